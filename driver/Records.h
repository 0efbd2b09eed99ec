// The three records that cross the driver boundary. They travel as raw
// bytes, so size, offsets and packing are part of the driver interface.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#pragma pack(push, 1)

// The driver's settings record. 16-bit fields are in host order.
struct PrismPrefsRecord {
    uint16_t driverWord;  // the driver's own; always sent back as it came
    uint16_t flags;       // bit 0: short preamble; bits 1-15 are the driver's
    uint8_t ssid[64];     // NUL-terminated; byte 0 == 0 means any network
    uint16_t portType;    // 1 infrastructure, 4 ad-hoc
    uint16_t wepEnabled;
    uint16_t txKeyIndex;  // 0..3
    uint8_t keyLength[4]; // per slot: 5, 13 or 0
    uint8_t key[4][16];
};

// One configuration record. The payload keeps the card's little-endian order.
struct NMX80211UserClientRID {
    uint16_t rid;
    uint16_t length;
    uint8_t data[1024];
};

// One access point of a scan: the first 50 bytes of the firmware's element.
struct NMX80211ScanRecord {
    uint16_t channel;  // 0 marks an unused record: the end of the list
    uint16_t noise;
    uint16_t signal;
    uint8_t bssid[6];
    uint16_t beaconInterval;
    uint16_t capability;
    uint16_t ssidLength;  // bytes of ssid that hold the name, 0..32
    uint8_t ssid[32];     // not NUL-terminated
};

#pragma pack(pop)

inline constexpr std::size_t kPrefsRecordSize = 142;
inline constexpr std::size_t kRIDRecordSize = 1028;
inline constexpr std::size_t kRIDDataCapacity = 1024;
inline constexpr std::size_t kScanRecordSize = 50;
inline constexpr std::size_t kScanRecordCount = 16;
inline constexpr std::size_t kScanAreaSize = kScanRecordSize * kScanRecordCount;  // 800
inline constexpr std::size_t kKeySlotSize = 16;
inline constexpr std::size_t kKeySlotCount = 4;
inline constexpr std::size_t kSSIDFieldSize = 64;

static_assert(sizeof(PrismPrefsRecord) == kPrefsRecordSize);
static_assert(offsetof(PrismPrefsRecord, driverWord) == 0);
static_assert(offsetof(PrismPrefsRecord, flags) == 2);
static_assert(offsetof(PrismPrefsRecord, ssid) == 4);
static_assert(offsetof(PrismPrefsRecord, portType) == 68);
static_assert(offsetof(PrismPrefsRecord, wepEnabled) == 70);
static_assert(offsetof(PrismPrefsRecord, txKeyIndex) == 72);
static_assert(offsetof(PrismPrefsRecord, keyLength) == 74);
static_assert(offsetof(PrismPrefsRecord, key) == 78);

static_assert(sizeof(NMX80211UserClientRID) == kRIDRecordSize);
static_assert(offsetof(NMX80211UserClientRID, rid) == 0);
static_assert(offsetof(NMX80211UserClientRID, length) == 2);
static_assert(offsetof(NMX80211UserClientRID, data) == 4);

static_assert(sizeof(NMX80211ScanRecord) == kScanRecordSize);
static_assert(offsetof(NMX80211ScanRecord, channel) == 0);
static_assert(offsetof(NMX80211ScanRecord, noise) == 2);
static_assert(offsetof(NMX80211ScanRecord, signal) == 4);
static_assert(offsetof(NMX80211ScanRecord, bssid) == 6);
static_assert(offsetof(NMX80211ScanRecord, beaconInterval) == 12);
static_assert(offsetof(NMX80211ScanRecord, capability) == 14);
static_assert(offsetof(NMX80211ScanRecord, ssidLength) == 16);
static_assert(offsetof(NMX80211ScanRecord, ssid) == 18);

// Port types of the settings record.
inline constexpr uint16_t kPortTypeInfrastructure = 1;
inline constexpr uint16_t kPortTypeAdHoc = 4;
inline constexpr uint16_t kShortPreambleFlag = 0x0001;

// A 16-bit value of a configuration-record payload: little-endian whatever
// the host's order, so it is always put together from its two bytes.
constexpr uint16_t littleEndianWord(uint8_t low, uint8_t high) {
    return static_cast<uint16_t>(low | (high << 8));
}
