// The client side against a driver that answers with broken, short,
// oversized or no replies: every call fails with 0 and never writes past the
// caller's record. And what the wrapper puts on the wire and makes of a
// well-formed reply.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

#include "driver/80211UserClientWrapper.h"
#include "platform/TransportWire.h"
#include "tests/driver/FakeDriver.h"
#include "tests/support/CardSimulatorProcess.h"

namespace {

using namespace iokit::wire;
using testsupport::FakeDriver;

constexpr std::size_t kGuardSize = 64;
constexpr uint8_t kGuardByte = 0xA5;

// A caller's record followed by a guard region that no call may touch.
class GuardedBuffer {
public:
    explicit GuardedBuffer(std::size_t size) : size_(size), bytes_(size + kGuardSize, kGuardByte) {
        std::fill_n(bytes_.begin(), size, 0);
    }
    uint8_t* data() { return bytes_.data(); }
    bool guardIntact() const {
        return std::all_of(bytes_.begin() + static_cast<std::ptrdiff_t>(size_), bytes_.end(),
                           [](uint8_t b) { return b == kGuardByte; });
    }

private:
    std::size_t size_;
    std::vector<uint8_t> bytes_;
};

struct Operation {
    const char* name;
    std::size_t recordSize;  // the caller's record: the output capacity
    std::function<int32_t(Nimbrel80211UserClientWrapper&, uint8_t*)> run;
};

const Operation kOperations[] = {
    {"getRID", kRIDRecordSize,
     [](auto& w, uint8_t* b) {
         auto* record = reinterpret_cast<NMX80211UserClientRID*>(b);
         record->rid = 0xFD40;
         return w.getRID(record);
     }},
    {"setRID", kRIDRecordSize, [](auto& w, uint8_t* b) { return w.setRID(reinterpret_cast<NMX80211UserClientRID*>(b)); }},
    {"getPrefs", kPrefsRecordSize, [](auto& w, uint8_t* b) { return w.getPrefs(reinterpret_cast<PrismPrefsRecord*>(b)); }},
    {"setPrefs", kPrefsRecordSize, [](auto& w, uint8_t* b) { return w.setPrefs(reinterpret_cast<PrismPrefsRecord*>(b)); }},
    {"apScan", kScanAreaSize, [](auto& w, uint8_t* b) { return w.apScan(reinterpret_cast<NMX80211ScanRecord*>(b)); }},
};

std::vector<uint8_t> header(FrameKind kind, uint32_t sequence, uint32_t bodySize) {
    std::vector<uint8_t> bytes{'N', 'M', 'B', 'K', 1, 0, static_cast<uint8_t>(kind), 0};
    for (uint32_t value : {sequence, bodySize}) {
        for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<uint8_t>(value >> shift));
    }
    return bytes;
}

uint32_t capacityOf(const Frame& request) { return decodeCallRequest(request.body)->outputCapacity; }

std::vector<uint8_t> wellFormedReply(const Frame& request, std::size_t outputSize) {
    return encodeCallReply(request.header.sequence, CallReply{0, std::vector<uint8_t>(outputSize, 0x3C)});
}

struct BrokenReply {
    const char* name;
    FakeDriver::Script script;
};

const BrokenReply kBrokenReplies[] = {
    {"HeaderCutShort",
     [](const Frame& r) {
         auto bytes = wellFormedReply(r, capacityOf(r));
         bytes.resize(10);
         return FakeDriver::Answer{bytes, true, false};
     }},
    {"BodyCutShort",
     [](const Frame& r) {
         auto bytes = wellFormedReply(r, capacityOf(r));
         bytes.resize(bytes.size() - 20);
         return FakeDriver::Answer{bytes, true, false};
     }},
    {"OutputBeyondCapacity",
     [](const Frame& r) { return FakeDriver::Answer{wellFormedReply(r, capacityOf(r) + 8), false, false}; }},
    {"BodyBeyondWireLimit",
     [](const Frame& r) {
         auto bytes = header(FrameKind::Reply, r.header.sequence, kMaxBodySize + 1);
         bytes.resize(bytes.size() + kMaxBodySize + 1, 0x3C);
         return FakeDriver::Answer{bytes, false, false};
     }},
    {"OutputSizeBeyondBody",
     [](const Frame& r) {
         auto bytes = header(FrameKind::Reply, r.header.sequence, 8 + 4);
         const uint32_t claimed = capacityOf(r);
         bytes.insert(bytes.end(), {0, 0, 0, 0, static_cast<uint8_t>(claimed), static_cast<uint8_t>(claimed >> 8), 0, 0,
                                    1, 2, 3, 4});
         return FakeDriver::Answer{bytes, false, false};
     }},
    {"Garbage", [](const Frame&) { return FakeDriver::Answer{std::vector<uint8_t>(200, 0x5A), false, false}; }},
    {"WrongVersion",
     [](const Frame& r) {
         auto bytes = wellFormedReply(r, 4);
         bytes[4] = 2;
         return FakeDriver::Answer{bytes, false, false};
     }},
    {"AnotherRequestsSequence",
     [](const Frame& r) {
         return FakeDriver::Answer{encodeCallReply(r.header.sequence + 1, CallReply{0, {1, 2}}), false, false};
     }},
    {"OpenReplyInsteadOfReply",
     [](const Frame& r) { return FakeDriver::Answer{encodeOpenReply(r.header.sequence, {0}), false, false}; }},
    {"ClosedWithoutReply", [](const Frame&) { return FakeDriver::Answer{{}, true, false}; }},
};

// Cases print as their names in failure messages.
template <typename Case>
void printName(const Case& c, std::ostream* out) {
    *out << c.name;
}
void PrintTo(const Operation& c, std::ostream* out) { printName(c, out); }
void PrintTo(const BrokenReply& c, std::ostream* out) { printName(c, out); }

class TransportClientBrokenReply : public testing::TestWithParam<std::tuple<BrokenReply, Operation>> {};

TEST_P(TransportClientBrokenReply, FailsTheCallAndClosesWithoutOverrun) {
    const auto& [broken, operation] = GetParam();
    testsupport::TemporaryFolder folder;
    FakeDriver driver(folder.file("registry"), broken.script);
    ASSERT_TRUE(driver.listening());
    Nimbrel80211UserClientWrapper userClient(folder.file("registry"));
    ASSERT_EQ(userClient.connect(), 1);

    GuardedBuffer buffer(operation.recordSize);
    EXPECT_EQ(operation.run(userClient, buffer.data()), 0);
    EXPECT_TRUE(buffer.guardIntact());

    // The connection is closed: the next call fails without reaching the driver.
    EXPECT_EQ(operation.run(userClient, buffer.data()), 0);
    EXPECT_TRUE(buffer.guardIntact());
    EXPECT_EQ(driver.calls().size(), 1u);
    EXPECT_EQ(userClient.disconnect(), 1);
}

INSTANTIATE_TEST_SUITE_P(Transport, TransportClientBrokenReply,
                         testing::Combine(testing::ValuesIn(kBrokenReplies), testing::ValuesIn(kOperations)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name;
                         });

TEST(TransportClient, SilentDriverFailsTheCallAfterTheTimeout) {
    testsupport::TemporaryFolder folder;
    FakeDriver driver(folder.file("registry"), [](const Frame&) { return FakeDriver::Answer{{}, false, true}; });
    Nimbrel80211UserClientWrapper userClient(folder.file("registry"));
    ASSERT_EQ(userClient.connect(), 1);
    GuardedBuffer buffer(kPrefsRecordSize);
    EXPECT_EQ(userClient.getPrefs(reinterpret_cast<PrismPrefsRecord*>(buffer.data())), 0);
    EXPECT_EQ(userClient.getPrefs(reinterpret_cast<PrismPrefsRecord*>(buffer.data())), 0);
    EXPECT_EQ(driver.calls().size(), 1u);
    EXPECT_TRUE(buffer.guardIntact());
}

struct BrokenOpen {
    const char* name;
    FakeDriver::Script script;
};

const BrokenOpen kBrokenOpens[] = {
    {"Refused",
     [](const Frame& r) {
         return FakeDriver::Answer{encodeOpenReply(r.header.sequence, {static_cast<int32_t>(0xE00002C7)}), true, false};
     }},
    {"Garbage", [](const Frame&) { return FakeDriver::Answer{std::vector<uint8_t>(40, 0xEE), false, false}; }},
    {"ReplyInsteadOfOpenReply",
     [](const Frame& r) { return FakeDriver::Answer{encodeCallReply(r.header.sequence, {0, {}}), false, false}; }},
    {"OpenReplyBodyTooLong",
     [](const Frame& r) {
         auto bytes = header(FrameKind::OpenReply, r.header.sequence, 5);
         bytes.insert(bytes.end(), {0, 0, 0, 0, 0});
         return FakeDriver::Answer{bytes, false, false};
     }},
    {"ClosedWithoutReply", [](const Frame&) { return FakeDriver::Answer{{}, true, false}; }},
};

void PrintTo(const BrokenOpen& c, std::ostream* out) { printName(c, out); }

class TransportClientBrokenOpen : public testing::TestWithParam<BrokenOpen> {};

TEST_P(TransportClientBrokenOpen, LeavesTheWrapperHalfOpen) {
    testsupport::TemporaryFolder folder;
    FakeDriver driver(folder.file("registry"), [](const Frame& r) { return FakeDriver::reply(r, 0, {}); },
                      GetParam().script);
    Nimbrel80211UserClientWrapper userClient(folder.file("registry"));
    EXPECT_EQ(userClient.connect(), 0);
    EXPECT_NE(userClient.serviceObject(), 0u);
    EXPECT_EQ(userClient.dataPort(), 0u);
    PrismPrefsRecord record{};
    EXPECT_EQ(userClient.getPrefs(&record), 0);
    EXPECT_EQ(userClient.disconnect(), 1);
    EXPECT_EQ(userClient.serviceObject(), 0u);
    EXPECT_EQ(userClient.dataPort(), 0u);
    EXPECT_TRUE(driver.calls().empty());
}

INSTANTIATE_TEST_SUITE_P(Transport, TransportClientBrokenOpen, testing::ValuesIn(kBrokenOpens),
                         [](const auto& info) { return info.param.name; });

// What each operation puts on the wire.
struct RequestCase {
    const char* name;
    uint32_t method;
    uint32_t inputSize;
    uint32_t capacity;
    std::function<int32_t(Nimbrel80211UserClientWrapper&)> run;
    std::function<void(const std::vector<uint8_t>& input)> checkInput;
};

NMX80211UserClientRID ridRequest(uint16_t rid, uint16_t length) {
    NMX80211UserClientRID record;
    std::memset(&record, 0x11, sizeof record);
    record.rid = rid;
    record.length = length;
    return record;
}

uint16_t hostWordAt(const std::vector<uint8_t>& bytes, std::size_t offset) {
    uint16_t value = 0;
    std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}

const RequestCase kRequests[] = {
    {"GetRIDAsksFor1024BytesWhateverTheCallerLeft", 0, 1028, 1028,
     [](auto& w) {
         auto record = ridRequest(0xFD41, 7);
         return w.getRID(&record);
     },
     [](const std::vector<uint8_t>& input) {
         EXPECT_EQ(hostWordAt(input, 0), 0xFD41);
         EXPECT_EQ(hostWordAt(input, 2), 1024);
     }},
    {"SetRIDSendsTheRecordAsPrepared", 1, 1028, 1028,
     [](auto& w) {
         auto record = ridRequest(0xFC01, 6);
         return w.setRID(&record);
     },
     [](const std::vector<uint8_t>& input) {
         EXPECT_EQ(hostWordAt(input, 0), 0xFC01);
         EXPECT_EQ(hostWordAt(input, 2), 6);
         EXPECT_EQ(input[4], 0x11);
     }},
    {"GetPrefsSendsTheWholeRecord", 2, 142, 142,
     [](auto& w) {
         PrismPrefsRecord record;
         std::memset(&record, 0x22, sizeof record);
         return w.getPrefs(&record);
     },
     [](const std::vector<uint8_t>& input) { EXPECT_EQ(input, std::vector<uint8_t>(142, 0x22)); }},
    {"SetPrefsSendsTheWholeRecord", 3, 142, 142,
     [](auto& w) {
         PrismPrefsRecord record;
         std::memset(&record, 0x33, sizeof record);
         return w.setPrefs(&record);
     },
     [](const std::vector<uint8_t>& input) { EXPECT_EQ(input, std::vector<uint8_t>(142, 0x33)); }},
    {"APScanSendsNothingAndOffers800Bytes", 5, 0, 800,
     [](auto& w) {
         std::vector<NMX80211ScanRecord> area(16);
         return w.apScan(area.data());
     },
     [](const std::vector<uint8_t>&) {}},
};

void PrintTo(const RequestCase& c, std::ostream* out) { printName(c, out); }

class DriverWrapperRequest : public testing::TestWithParam<RequestCase> {};

TEST_P(DriverWrapperRequest, PutsTheRecordOnTheWire) {
    const RequestCase& c = GetParam();
    testsupport::TemporaryFolder folder;
    FakeDriver driver(folder.file("registry"), [](const Frame& r) { return FakeDriver::reply(r, 0, {}); });
    Nimbrel80211UserClientWrapper userClient(folder.file("registry"));
    ASSERT_EQ(userClient.connect(), 1);
    c.run(userClient);
    const auto calls = driver.calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].method, c.method);
    EXPECT_EQ(calls[0].input.size(), c.inputSize);
    EXPECT_EQ(calls[0].outputCapacity, c.capacity);
    c.checkInput(calls[0].input);
    userClient.disconnect();
}

INSTANTIATE_TEST_SUITE_P(Driver, DriverWrapperRequest, testing::ValuesIn(kRequests),
                         [](const auto& info) { return info.param.name; });

// What each operation makes of a well-formed reply.
struct ResultCase {
    const char* name;
    int32_t status;
    std::vector<uint8_t> output;
    std::function<int32_t(Nimbrel80211UserClientWrapper&)> run;
    int32_t expected;
};

std::vector<uint8_t> ridReply(uint16_t rid, uint16_t length) {
    NMX80211UserClientRID record{};
    record.rid = rid;
    record.length = length;
    const auto* bytes = reinterpret_cast<const uint8_t*>(&record);
    return std::vector<uint8_t>(bytes, bytes + sizeof record);
}

int32_t getRIDOnce(Nimbrel80211UserClientWrapper& w) {
    auto record = ridRequest(0xFD40, 1024);
    return w.getRID(&record);
}

int32_t setRIDOnce(Nimbrel80211UserClientWrapper& w) {
    auto record = ridRequest(0xFC01, 6);
    return w.setRID(&record);
}

int32_t getPrefsOnce(Nimbrel80211UserClientWrapper& w) {
    PrismPrefsRecord record{};
    return w.getPrefs(&record);
}

int32_t apScanOnce(Nimbrel80211UserClientWrapper& w) {
    std::vector<NMX80211ScanRecord> area(16);
    return w.apScan(area.data());
}

const ResultCase kResults[] = {
    {"GetRIDReturnsTheReportedLength", 0, ridReply(0xFD40, 34), getRIDOnce, 34},
    {"GetRIDWithLengthZeroReturnsZero", 0, ridReply(0xFD40, 0), getRIDOnce, 0},
    {"SetRIDReturnsTheLengthAfterTheCall", 0, ridReply(0xFC01, 8), setRIDOnce, 8},
    {"GetPrefsReturns142WhateverTheSizeReported", 0, std::vector<uint8_t>(10, 1), getPrefsOnce, 142},
    {"APScanReturnsTheSizeReported", 0, std::vector<uint8_t>(100, 1), apScanOnce, 100},
    {"APScanWithNothingReturnedIsZero", 0, {}, apScanOnce, 0},
    {"FailedGetRIDIsZero", -1, {}, getRIDOnce, 0},
    {"FailedGetPrefsIsZero", 7, {}, getPrefsOnce, 0},
    {"FailedAPScanIsZero", -1, {}, apScanOnce, 0},
};

void PrintTo(const ResultCase& c, std::ostream* out) { printName(c, out); }

class DriverWrapperResult : public testing::TestWithParam<ResultCase> {};

TEST_P(DriverWrapperResult, FollowsTheReply) {
    const ResultCase& c = GetParam();
    testsupport::TemporaryFolder folder;
    FakeDriver driver(folder.file("registry"), [&c](const Frame& r) { return FakeDriver::reply(r, c.status, c.output); });
    Nimbrel80211UserClientWrapper userClient(folder.file("registry"));
    ASSERT_EQ(userClient.connect(), 1);
    EXPECT_EQ(c.run(userClient), c.expected);
    userClient.disconnect();
}

INSTANTIATE_TEST_SUITE_P(Driver, DriverWrapperResult, testing::ValuesIn(kResults),
                         [](const auto& info) { return info.param.name; });

}  // namespace
