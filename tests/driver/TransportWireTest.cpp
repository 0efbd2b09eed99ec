// The transport's frames, with the bytes written out by hand.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "platform/TransportWire.h"

namespace {

using namespace iokit::wire;

std::array<uint8_t, kHeaderSize> headerOf(const std::vector<uint8_t>& frame) {
    std::array<uint8_t, kHeaderSize> header{};
    std::copy_n(frame.begin(), kHeaderSize, header.begin());
    return header;
}

TEST(TransportWire, CallFrameBytes) {
    const std::vector<uint8_t> input{0xAA, 0xBB};
    const std::vector<uint8_t> expected{
        'N', 'M', 'B', 'K', 0x01, 0x00, 0x03, 0x00,  // magic, version 1, kind Call
        0x07, 0x00, 0x00, 0x00, 0x0E, 0x00, 0x00, 0x00,  // sequence 7, body 14 bytes
        0x02, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00,  // method 2, input size 2
        0x8E, 0x00, 0x00, 0x00, 0xAA, 0xBB,              // capacity 142, input
    };
    EXPECT_EQ(encodeCallRequest(7, 2, input, 142), expected);
}

TEST(TransportWire, ReplyFrameRoundTrip) {
    const std::vector<uint8_t> frame = encodeCallReply(9, CallReply{-5, {1, 2, 3}});
    const auto header = decodeHeader(headerOf(frame));
    ASSERT_TRUE(header.has_value());
    EXPECT_EQ(header->kind, FrameKind::Reply);
    EXPECT_EQ(header->sequence, 9u);
    ASSERT_EQ(header->bodySize, 11u);
    const auto reply = decodeCallReply(std::span(frame).subspan(kHeaderSize));
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(reply->status, -5);
    EXPECT_EQ(reply->output, (std::vector<uint8_t>{1, 2, 3}));
}

struct HeaderCase {
    const char* name;
    std::array<uint8_t, kHeaderSize> bytes;
    bool valid;
};

class TransportWireHeader : public testing::TestWithParam<HeaderCase> {};

TEST_P(TransportWireHeader, IsCheckedFieldByField) {
    EXPECT_EQ(decodeHeader(GetParam().bytes).has_value(), GetParam().valid);
}

INSTANTIATE_TEST_SUITE_P(
    Transport, TransportWireHeader,
    testing::Values(
        HeaderCase{"Good", {'N', 'M', 'B', 'K', 1, 0, 4, 0, 0, 0, 0, 0, 8, 0, 0, 0}, true},
        HeaderCase{"LargestBody", {'N', 'M', 'B', 'K', 1, 0, 3, 0, 0, 0, 0, 0, 0x0C, 0x10, 0, 0}, true},
        HeaderCase{"BodyOneTooLarge", {'N', 'M', 'B', 'K', 1, 0, 3, 0, 0, 0, 0, 0, 0x0D, 0x10, 0, 0}, false},
        HeaderCase{"HugeBody", {'N', 'M', 'B', 'K', 1, 0, 4, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}, false},
        HeaderCase{"WrongMagic", {'N', 'M', 'B', 'X', 1, 0, 4, 0, 0, 0, 0, 0, 8, 0, 0, 0}, false},
        HeaderCase{"WrongVersion", {'N', 'M', 'B', 'K', 2, 0, 4, 0, 0, 0, 0, 0, 8, 0, 0, 0}, false},
        HeaderCase{"KindZero", {'N', 'M', 'B', 'K', 1, 0, 0, 0, 0, 0, 0, 0, 8, 0, 0, 0}, false},
        HeaderCase{"KindFive", {'N', 'M', 'B', 'K', 1, 0, 5, 0, 0, 0, 0, 0, 8, 0, 0, 0}, false}),
    [](const auto& info) { return info.param.name; });

struct BodyCase {
    const char* name;
    std::vector<uint8_t> body;
    bool valid;
};

class TransportWireCallBody : public testing::TestWithParam<BodyCase> {};

TEST_P(TransportWireCallBody, MustBeExactlyAsLongAsItsFieldsSay) {
    EXPECT_EQ(decodeCallRequest(GetParam().body).has_value(), GetParam().valid);
}

INSTANTIATE_TEST_SUITE_P(
    Transport, TransportWireCallBody,
    testing::Values(BodyCase{"NoInput", {5, 0, 0, 0, 0, 0, 0, 0, 0x20, 0x03, 0, 0}, true},
                    BodyCase{"OneByte", {0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0x42}, true},
                    BodyCase{"ShortOfFixedPart", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, false},
                    BodyCase{"InputMissing", {0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0x42}, false},
                    BodyCase{"InputTooLong", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x42}, false},
                    BodyCase{"InputSizeOverLimit", {0, 0, 0, 0, 0x01, 0x10, 0, 0, 0, 0, 0, 0}, false},
                    BodyCase{"CapacityOverLimit", {0, 0, 0, 0, 0, 0, 0, 0, 0x01, 0x10, 0, 0}, false}),
    [](const auto& info) { return info.param.name; });

class TransportWireReplyBody : public testing::TestWithParam<BodyCase> {};

TEST_P(TransportWireReplyBody, MustBeExactlyAsLongAsItsFieldsSay) {
    EXPECT_EQ(decodeCallReply(GetParam().body).has_value(), GetParam().valid);
}

INSTANTIATE_TEST_SUITE_P(
    Transport, TransportWireReplyBody,
    testing::Values(BodyCase{"Empty", {0, 0, 0, 0, 0, 0, 0, 0}, true},
                    BodyCase{"TwoBytes", {0, 0, 0, 0, 2, 0, 0, 0, 7, 8}, true},
                    BodyCase{"ShortOfFixedPart", {0, 0, 0, 0, 0, 0, 0}, false},
                    BodyCase{"OutputCutShort", {0, 0, 0, 0, 3, 0, 0, 0, 7, 8}, false},
                    BodyCase{"OutputOverLimit", {0, 0, 0, 0, 0x01, 0x10, 0, 0}, false}),
    [](const auto& info) { return info.param.name; });

TEST(TransportWire, OpenBodiesAreFourBytes) {
    EXPECT_EQ(decodeOpenRequest(std::vector<uint8_t>{1, 0, 0, 0})->connectionType, 1u);
    EXPECT_FALSE(decodeOpenRequest(std::vector<uint8_t>{1, 0, 0}).has_value());
    EXPECT_FALSE(decodeOpenReply(std::vector<uint8_t>{0, 0, 0, 0, 0}).has_value());
}

}  // namespace
