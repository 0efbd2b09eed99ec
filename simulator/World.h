// The world of a simulated card: the card itself, its driver's settings
// record, the networks in range and the faults to play. A world file changes
// the built-in demo world: each key present replaces that part of it.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <variant>
#include <vector>

#include "driver/ConfigRecords.h"
#include "driver/Records.h"

namespace platform {
class PropertyDictionary;
}

namespace simulator {

inline constexpr std::size_t kMaxAccessPointSSID = 32;
inline constexpr std::size_t kMaxReplyDelayMilliseconds = 600000;

struct AccessPoint {
    std::string ssid;  // 8-bit form
    HardwareAddress bssid{};
    uint16_t channel = 1;
    uint16_t signal = 0;
    uint16_t noise = 0;
    std::vector<uint8_t> wepKey;  // 5 or 13 bytes; empty for an open network
};

struct World {
    uint16_t hardwareType = 0;
    HardwareAddress macAddress{};
    std::string serialNumber;  // 8-bit form, at most 12 bytes
    FirmwareIdentity priIdentity{};
    FirmwareIdentity staIdentity{};
    std::optional<std::string> symbolFirmwareVersion;  // 8-bit form
    PrismPrefsRecord settingsRecord{};
    std::vector<AccessPoint> accessPoints;
    std::map<uint16_t, std::vector<uint8_t>> configRecords;  // fixed payloads
    std::set<uint16_t> failingConfigRecords;
    std::set<uint32_t> failingMethods;
    std::chrono::milliseconds replyDelay{0};
};

// An Intersil PRISM 2.5 card and three networks in range on channels 1, 6
// and 11: one open, one with a 64-bit and one with a 128-bit WEP key.
World demoWorld();

// The world that a dictionary describes on top of the demo world, or the
// problem with it in one line.
std::variant<World, std::string> worldFromDictionary(const platform::PropertyDictionary& dictionary);

// The same for a file: an XML or binary property list.
std::variant<World, std::string> loadWorldFile(const std::string& path);

}  // namespace simulator
