// The configuration record catalogue: record numbers, the word rule, the card
// family and the bounded texts.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "driver/ConfigRecords.h"

namespace {

NMX80211UserClientRID payloadOf(const std::vector<uint8_t>& bytes, uint8_t fill = 0) {
    NMX80211UserClientRID record;
    std::memset(&record, fill, sizeof record);
    if (!bytes.empty()) std::memcpy(record.data, bytes.data(), bytes.size());
    return record;
}

struct NamedNumber {
    const char* name;
    uint16_t number;
};

TEST(DriverCatalogue, TableHoldsTheTwelveRecordNumbers) {
    const NamedNumber expected[] = {
        {"CnfOwnMACAddress", 64513}, {"PRIIdentity", 64770},           {"NICSerialNumber", 64778},
        {"NICIdentity", 64779},      {"STAIdentity", 64800},           {"SymbolFirmwareVersion", 64804},
        {"PortStatus", 64832},       {"CurrentSSID", 64833},           {"CurrentBSSID", 64834},
        {"CommsQuality", 64835},     {"CurrentTxRate", 64836},         {"CurrentChannel", 64961},
    };
    ASSERT_EQ(kConfigRecords.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(kConfigRecords[i].name, expected[i].name);
        EXPECT_EQ(kConfigRecords[i].number, expected[i].number) << expected[i].name;
        EXPECT_EQ(configRecordName(expected[i].number), expected[i].name);
    }
    EXPECT_FALSE(configRecordName(0xFD45).has_value());
}

struct WordCase {
    const char* name;
    std::vector<uint8_t> bytes;
    std::size_t offset;
    uint16_t expected;
};

class DriverCatalogueWord : public testing::TestWithParam<WordCase> {};

TEST_P(DriverCatalogueWord, IsPutTogetherLowByteFirst) {
    const WordCase& c = GetParam();
    EXPECT_EQ(payloadWord(payloadOf(c.bytes), c.offset), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Driver, DriverCatalogueWord,
    testing::Values(WordCase{"HardwareType8013", {0x13, 0x80}, 0, 0x8013},
                    WordCase{"HighByteOnly", {0x00, 0x01}, 0, 0x0100},
                    WordCase{"AtByteTwo", {0xAA, 0xBB, 0x34, 0x12}, 2, 0x1234},
                    WordCase{"AllOnes", {0xFF, 0xFF}, 0, 0xFFFF},
                    WordCase{"LastWholeWord", {}, 1022, 0},
                    WordCase{"PastThePayload", {}, 1023, 0}),
    [](const auto& info) { return info.param.name; });

TEST(DriverCatalogue, WordAtTheEndOfThePayloadUsesItsLastTwoBytes) {
    NMX80211UserClientRID record = payloadOf({});
    record.data[1022] = 0x01;
    record.data[1023] = 0x02;
    EXPECT_EQ(payloadWord(record, 1022), 0x0201);
}

struct FamilyCase {
    uint16_t hardwareType;
    bool intersil;
};

class DriverCatalogueFamily : public testing::TestWithParam<FamilyCase> {};

TEST_P(DriverCatalogueFamily, Bit15DecidesTheFamily) {
    EXPECT_EQ(isIntersilFamily(GetParam().hardwareType), GetParam().intersil) << std::hex << GetParam().hardwareType;
}

INSTANTIATE_TEST_SUITE_P(Driver, DriverCatalogueFamily,
                         testing::Values(FamilyCase{0x0000, false}, FamilyCase{0x0002, false},
                                         FamilyCase{0x7FFF, false}, FamilyCase{0x8000, true},
                                         FamilyCase{0x800B, true}, FamilyCase{0xFFFF, true}));

TEST(DriverCatalogue, DecodesTheFixedLayouts) {
    const NMX80211UserClientRID identity = payloadOf({0x1F, 0x00, 0x04, 0x00, 0x01, 0x00, 0x07, 0x00});
    EXPECT_EQ(firmwareIdentity(identity), (FirmwareIdentity{31, 4, 1, 7}));

    const NMX80211UserClientRID mac = payloadOf({0x00, 0x0A, 0xFF, 0x01, 0x23, 0x45, 0x99});
    EXPECT_EQ(hardwareAddress(mac), (HardwareAddress{0x00, 0x0A, 0xFF, 0x01, 0x23, 0x45}));

    EXPECT_EQ(hardwareType(payloadOf({0x13, 0x80})), 0x8013);
    EXPECT_EQ(portStatus(payloadOf({0x04, 0x00})), 4);
    EXPECT_EQ(signalLevel(payloadOf({0x10, 0x00, 0x2E, 0x01})), 0x012E);
    EXPECT_EQ(txRateCode(payloadOf({0x08, 0x00})), 8);
    EXPECT_EQ(channelNumber(payloadOf({0x0B, 0x07})), 11);  // only the low byte
}

struct TextCase {
    const char* name;
    std::vector<uint8_t> bytes;
    uint8_t fill;  // the rest of the payload
    std::string expected;
};

class DriverCatalogueSSID : public testing::TestWithParam<TextCase> {};

TEST_P(DriverCatalogueSSID, TakesAsManyBytesAsTheLengthByteSays) {
    EXPECT_EQ(currentSSIDBytes(payloadOf(GetParam().bytes, GetParam().fill)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Driver, DriverCatalogueSSID,
    testing::Values(TextCase{"Empty", {0x00, 0x00, 'A', 'B'}, 0, ""},
                    TextCase{"Name", {0x05, 0x00, 'H', 'e', 'l', 'l', 'o', 'X'}, 0, "Hello"},
                    TextCase{"HighLengthByteIgnored", {0x03, 0x01, 'a', 'b', 'c', 'd'}, 0, "abc"},
                    TextCase{"ZeroBytesKept", {0x03, 0x00, 'a', 0x00, 'c'}, 0, std::string("a\0c", 3)},
                    TextCase{"EightBitBytes", {0x02, 0x00, 0x8E, 0xA5}, 0, "\x8E\xA5"},
                    TextCase{"LongestName", {0xFF, 0x00}, 'z', std::string(255, 'z')}),
    [](const auto& info) { return info.param.name; });

class DriverCatalogueSerial : public testing::TestWithParam<TextCase> {};

TEST_P(DriverCatalogueSerial, TakesAtMostTwelveBytesUpToAZero) {
    EXPECT_EQ(serialNumberBytes(payloadOf(GetParam().bytes, GetParam().fill)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Driver, DriverCatalogueSerial,
    testing::Values(TextCase{"Twelve", {'0', '1', 'U', 'T', '2', '6', '2', '3', '0', '4', '8', '1'}, 'Q', "01UT26230481"},
                    TextCase{"SixthByteZero", {'A', 'B', 'C', 'D', 'E', 0, 'G'}, 0, "ABCDE"},
                    TextCase{"Absent", {}, 0, ""}),
    [](const auto& info) { return info.param.name; });

TEST(DriverCatalogue, SymbolVersionNeedsALeadingV) {
    EXPECT_EQ(symbolFirmwareVersionBytes(payloadOf({'V', '2', '.', '5', '0', 0, 'x'})), "V2.50");
    for (uint8_t first : {uint8_t{0}, uint8_t{'v'}, uint8_t{'W'}, uint8_t{'2'}}) {
        EXPECT_FALSE(symbolFirmwareVersionBytes(payloadOf({first, '2', '.', '5', 0})).has_value()) << int(first);
    }
}

TEST(DriverCatalogue, SymbolVersionWithoutAZeroStopsAtThePayloadsEnd) {
    const NMX80211UserClientRID record = payloadOf({'V'}, 'x');
    const auto version = symbolFirmwareVersionBytes(record);
    ASSERT_TRUE(version.has_value());
    EXPECT_EQ(*version, "V" + std::string(1023, 'x'));
}

}  // namespace
