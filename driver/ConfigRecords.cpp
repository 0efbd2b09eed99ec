#include "driver/ConfigRecords.h"

#include <algorithm>
#include <cstring>

#include "driver/80211UserClientWrapper.h"

namespace {

// A text of at most maxLength bytes from offset, ended early by a zero byte,
// never past the payload.
std::string zeroEndedText(const NMX80211UserClientRID& record, std::size_t offset, std::size_t maxLength) {
    if (offset >= kRIDDataCapacity) return {};
    const std::size_t limit = std::min(maxLength, kRIDDataCapacity - offset);
    const auto* start = reinterpret_cast<const char*>(record.data + offset);
    return std::string(start, strnlen(start, limit));
}

constexpr std::size_t kSSIDLengthOffset = 0;
constexpr std::size_t kSSIDTextOffset = 2;
constexpr std::size_t kSignalLevelOffset = 2;
constexpr std::size_t kIdentityVariantOffset = 2;
constexpr std::size_t kIdentityMajorOffset = 4;
constexpr std::size_t kIdentityMinorOffset = 6;

}  // namespace

std::optional<std::string_view> configRecordName(uint16_t number) {
    for (const ConfigRecordInfo& info : kConfigRecords) {
        if (info.number == number) return info.name;
    }
    return std::nullopt;
}

uint16_t payloadWord(const NMX80211UserClientRID& record, std::size_t offset) {
    if (offset + 1 >= kRIDDataCapacity) return 0;
    return littleEndianWord(record.data[offset], record.data[offset + 1]);
}

HardwareAddress hardwareAddress(const NMX80211UserClientRID& record) {
    HardwareAddress address;
    std::copy_n(record.data, address.size(), address.begin());
    return address;
}

FirmwareIdentity firmwareIdentity(const NMX80211UserClientRID& record) {
    return FirmwareIdentity{payloadWord(record, 0), payloadWord(record, kIdentityVariantOffset),
                            payloadWord(record, kIdentityMajorOffset), payloadWord(record, kIdentityMinorOffset)};
}

uint16_t hardwareType(const NMX80211UserClientRID& record) { return payloadWord(record, 0); }
uint16_t portStatus(const NMX80211UserClientRID& record) { return payloadWord(record, 0); }
uint16_t signalLevel(const NMX80211UserClientRID& record) { return payloadWord(record, kSignalLevelOffset); }
uint16_t txRateCode(const NMX80211UserClientRID& record) { return payloadWord(record, 0); }
uint8_t channelNumber(const NMX80211UserClientRID& record) { return record.data[0]; }

std::string currentSSIDBytes(const NMX80211UserClientRID& record) {
    // Only the low byte of the length word counts.
    const std::size_t length = std::min<std::size_t>(record.data[kSSIDLengthOffset], kRIDDataCapacity - kSSIDTextOffset);
    return std::string(reinterpret_cast<const char*>(record.data + kSSIDTextOffset), length);
}

std::string serialNumberBytes(const NMX80211UserClientRID& record) {
    return zeroEndedText(record, 0, kSerialNumberSize);
}

std::optional<std::string> symbolFirmwareVersionBytes(const NMX80211UserClientRID& record) {
    if (record.data[0] != kSymbolVersionMark) return std::nullopt;
    return zeroEndedText(record, 0, kRIDDataCapacity);
}

int32_t readConfigRecord(Nimbrel80211UserClientWrapper& userClient, uint16_t number, NMX80211UserClientRID& buffer) {
    buffer.rid = number;
    return userClient.getRID(&buffer);
}
