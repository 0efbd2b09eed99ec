#include "driver/Records.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

namespace {

struct FieldCase {
    const char* name;
    std::size_t offset;
    std::size_t size;
    std::size_t expectedOffset;
    std::size_t expectedSize;
};

void PrintTo(const FieldCase& row, std::ostream* out) { *out << row.name; }

#define FIELD(record, field, offset, size) \
    FieldCase{#record "_" #field, offsetof(record, field), sizeof(record::field), offset, size}

// Offsets and sizes as the driver interface lays the records out.
const std::vector<FieldCase> kFields = {
    FIELD(PrismPrefsRecord, driverWord, 0, 2),
    FIELD(PrismPrefsRecord, flags, 2, 2),
    FIELD(PrismPrefsRecord, ssid, 4, 64),
    FIELD(PrismPrefsRecord, portType, 68, 2),
    FIELD(PrismPrefsRecord, wepEnabled, 70, 2),
    FIELD(PrismPrefsRecord, txKeyIndex, 72, 2),
    FIELD(PrismPrefsRecord, keyLength, 74, 4),
    FIELD(PrismPrefsRecord, key, 78, 64),
    FIELD(NMX80211UserClientRID, rid, 0, 2),
    FIELD(NMX80211UserClientRID, length, 2, 2),
    FIELD(NMX80211UserClientRID, data, 4, 1024),
    FIELD(NMX80211ScanRecord, channel, 0, 2),
    FIELD(NMX80211ScanRecord, noise, 2, 2),
    FIELD(NMX80211ScanRecord, signal, 4, 2),
    FIELD(NMX80211ScanRecord, bssid, 6, 6),
    FIELD(NMX80211ScanRecord, beaconInterval, 12, 2),
    FIELD(NMX80211ScanRecord, capability, 14, 2),
    FIELD(NMX80211ScanRecord, ssidLength, 16, 2),
    FIELD(NMX80211ScanRecord, ssid, 18, 32),
};

#undef FIELD

class SettingsRecordLayout : public testing::TestWithParam<FieldCase> {};

TEST_P(SettingsRecordLayout, FieldSitsAtItsOffset) {
    const FieldCase& row = GetParam();
    EXPECT_EQ(row.offset, row.expectedOffset);
    EXPECT_EQ(row.size, row.expectedSize);
}

INSTANTIATE_TEST_SUITE_P(Fields, SettingsRecordLayout, testing::ValuesIn(kFields),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SettingsRecordSizes, RecordsHaveNoPadding) {
    EXPECT_EQ(sizeof(PrismPrefsRecord), 142u);
    EXPECT_EQ(sizeof(NMX80211UserClientRID), 1028u);
    EXPECT_EQ(sizeof(NMX80211ScanRecord), 50u);
    EXPECT_EQ(kScanRecordCount * sizeof(NMX80211ScanRecord), 800u);
    EXPECT_EQ(alignof(PrismPrefsRecord), 1u);
}

TEST(SettingsRecordSizes, KeySlotsAreSixteenBytesApart) {
    PrismPrefsRecord record{};
    auto* base = reinterpret_cast<const uint8_t*>(&record);
    for (std::size_t slot = 0; slot < kKeySlotCount; ++slot) {
        EXPECT_EQ(static_cast<std::size_t>(record.key[slot] - base), 78 + 16 * slot) << slot;
    }
}

TEST(SettingsRecordByteOrder, RecordFieldsAreInHostOrder) {
    PrismPrefsRecord record{};
    record.portType = 0x0104;
    uint16_t host = 0x0104;
    EXPECT_EQ(std::memcmp(reinterpret_cast<const uint8_t*>(&record) + 68, &host, 2), 0);
}

struct WordCase {
    const char* name;
    uint8_t low;
    uint8_t high;
    uint16_t word;
};

void PrintTo(const WordCase& row, std::ostream* out) { *out << row.name; }

class SettingsPayloadWord : public testing::TestWithParam<WordCase> {};

TEST_P(SettingsPayloadWord, BuiltLittleEndianFromTwoBytes) {
    EXPECT_EQ(littleEndianWord(GetParam().low, GetParam().high), GetParam().word);
}

INSTANTIATE_TEST_SUITE_P(Words, SettingsPayloadWord,
                         testing::Values(WordCase{"Zero", 0x00, 0x00, 0x0000},
                                         WordCase{"LowOnly", 0x34, 0x00, 0x0034},
                                         WordCase{"HighOnly", 0x00, 0x80, 0x8000},
                                         WordCase{"Both", 0x34, 0x12, 0x1234},
                                         WordCase{"AllBits", 0xFF, 0xFF, 0xFFFF}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
