// The simulated card: its settings, its association with the networks of
// its world, and the configuration records and scan results that follow.
// Safe to use from several threads.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "driver/ConfigRecords.h"
#include "driver/Records.h"
#include "simulator/World.h"

namespace simulator {

// How long the card searches after start and after each new settings record.
inline constexpr std::chrono::milliseconds kAssociationTime{1000};
// The channel of the card's own ad-hoc network.
inline constexpr uint8_t kAdHocChannel = 10;
// The signal level varies by up to this much from one read to the next.
inline constexpr int kSignalJitter = 2;
inline constexpr uint16_t kBeaconInterval = 100;
inline constexpr uint16_t kCapabilityESS = 0x0001;
inline constexpr uint16_t kCapabilityPrivacy = 0x0010;

// The transmit-rate code that a signal level allows.
uint16_t txRateForSignal(uint16_t signal);

// Whether a settings record may join an access point: the names match (any
// name when the record's is empty) and so does the security.
bool settingsMatchAccessPoint(const PrismPrefsRecord& settings, const AccessPoint& point);

struct Link {
    uint16_t portStatus = kPortSearching;
    std::string ssid;  // 8-bit form
    HardwareAddress bssid{};
    uint8_t channel = 0;
    uint16_t signal = 0;  // 0 when not joined to an access point
    uint16_t noise = 0;
};

struct RecordPayload {
    std::array<uint8_t, kRIDDataCapacity> data{};
    uint16_t length = 0;  // what a read reports: never 0
};

class Card {
public:
    using Clock = std::chrono::steady_clock;
    using TimeSource = std::function<Clock::time_point()>;
    using JitterSource = std::function<int()>;  // from -kSignalJitter to kSignalJitter

    explicit Card(World world, TimeSource now = Clock::now, JitterSource jitter = {});

    PrismPrefsRecord settings() const;
    // Takes all 142 bytes and starts a new association.
    void takeSettings(const PrismPrefsRecord& settings);

    // The payload of a record; none for a record that this card doesn't have.
    std::optional<RecordPayload> readRecord(uint16_t number) const;
    // Configuration records (0xFC00-0xFCFF) only; the others are read-only.
    bool writeRecord(uint16_t number, const uint8_t (&data)[kRIDDataCapacity]);

    // One record per access point in range, at most 16.
    std::vector<NMX80211ScanRecord> scan() const;

    Link link() const;

private:
    Link linkLocked() const;
    std::optional<RecordPayload> simulatedRecord(uint16_t number) const;

    mutable std::mutex lock_;
    World world_;
    PrismPrefsRecord settings_;
    TimeSource now_;
    JitterSource jitter_;
    Clock::time_point associationStart_;
};

}  // namespace simulator
