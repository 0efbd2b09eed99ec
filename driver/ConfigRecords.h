// The card's configuration records: the record numbers that the system reads
// and how their payloads are decoded. Payload words are little-endian
// whatever the host's order, and texts never run past the 1024-byte payload
// even when the card supplies no terminating zero.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "driver/Records.h"

// Record numbers of the PRISM firmware interface, the same on every card.
enum ConfigRecordNumber : uint16_t {
    CnfOwnMACAddress = 0xFC01,
    PRIIdentity = 0xFD02,
    NICSerialNumber = 0xFD0A,
    NICIdentity = 0xFD0B,
    STAIdentity = 0xFD20,
    SymbolFirmwareVersion = 0xFD24,
    PortStatus = 0xFD40,
    CurrentSSID = 0xFD41,
    CurrentBSSID = 0xFD42,
    CommsQuality = 0xFD43,
    CurrentTxRate = 0xFD44,
    CurrentChannel = 0xFDC1,
};

struct ConfigRecordInfo {
    ConfigRecordNumber number;
    std::string_view name;
};

// Every record that the system reads, in ascending number order.
inline constexpr std::array<ConfigRecordInfo, 12> kConfigRecords{{
    {CnfOwnMACAddress, "CnfOwnMACAddress"},
    {PRIIdentity, "PRIIdentity"},
    {NICSerialNumber, "NICSerialNumber"},
    {NICIdentity, "NICIdentity"},
    {STAIdentity, "STAIdentity"},
    {SymbolFirmwareVersion, "SymbolFirmwareVersion"},
    {PortStatus, "PortStatus"},
    {CurrentSSID, "CurrentSSID"},
    {CurrentBSSID, "CurrentBSSID"},
    {CommsQuality, "CommsQuality"},
    {CurrentTxRate, "CurrentTxRate"},
    {CurrentChannel, "CurrentChannel"},
}};

// The name of a record number of the table; none for any other number.
std::optional<std::string_view> configRecordName(uint16_t number);

// Connection states of PortStatus.
enum PortStatusValue : uint16_t {
    kPortDisabled = 1,
    kPortSearching = 2,
    kPortConnectedAdHoc = 3,  // shown by name, without a BSSID
    kPortConnected = 4,       // name, BSSID and channel
    kPortOutOfRange = 5,
    kPortConnectedWDS = 6,
};

// Rate codes of CurrentTxRate.
enum TxRateCode : uint16_t {
    kTxRate1Mbps = 1,
    kTxRate2Mbps = 2,
    kTxRate5_5Mbps = 4,
    kTxRate11Mbps = 8,
};

// Hardware types from this value up (bit 15 set) are Intersil PRISM cards;
// below it they are Orinoco cards.
inline constexpr uint16_t kIntersilFamilyFirstType = 0x8000;

constexpr bool isIntersilFamily(uint16_t hardwareType) {
    return (hardwareType & kIntersilFamilyFirstType) != 0;
}

// The word at payload bytes offset and offset + 1, low byte first; 0 when
// the word would reach past the payload.
uint16_t payloadWord(const NMX80211UserClientRID& record, std::size_t offset);

// Firmware identity (PRIIdentity, STAIdentity): four words.
struct FirmwareIdentity {
    uint16_t componentId;
    uint16_t variant;
    uint16_t major;
    uint16_t minor;
    bool operator==(const FirmwareIdentity&) const = default;
};

using HardwareAddress = std::array<uint8_t, 6>;

inline constexpr std::size_t kSerialNumberSize = 12;
inline constexpr uint8_t kSymbolVersionMark = 0x56;  // 'V'

// Decoding of each payload. Texts come back as the card's 8-bit bytes.
HardwareAddress hardwareAddress(const NMX80211UserClientRID& record);  // CnfOwnMACAddress, CurrentBSSID
FirmwareIdentity firmwareIdentity(const NMX80211UserClientRID& record);
uint16_t hardwareType(const NMX80211UserClientRID& record);  // NICIdentity
uint16_t portStatus(const NMX80211UserClientRID& record);
uint16_t signalLevel(const NMX80211UserClientRID& record);  // CommsQuality
uint16_t txRateCode(const NMX80211UserClientRID& record);   // CurrentTxRate
uint8_t channelNumber(const NMX80211UserClientRID& record);  // CurrentChannel

// CurrentSSID: as many bytes as payload byte 0 says, from payload byte 2.
std::string currentSSIDBytes(const NMX80211UserClientRID& record);
// NICSerialNumber: payload bytes 0-11, ended early by a zero byte.
std::string serialNumberBytes(const NMX80211UserClientRID& record);
// SymbolFirmwareVersion: the text up to the first zero byte, present only
// when it begins with 'V'.
std::optional<std::string> symbolFirmwareVersionBytes(const NMX80211UserClientRID& record);

class Nimbrel80211UserClientWrapper;

// One read: puts the number in the buffer's rid and calls getRID:. A
// non-zero result is a successful read.
int32_t readConfigRecord(Nimbrel80211UserClientWrapper& userClient, uint16_t number, NMX80211UserClientRID& buffer);
