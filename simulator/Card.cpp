#include "simulator/Card.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <random>

namespace simulator {
namespace {

struct RateStep {
    uint16_t minimumSignal;
    uint16_t code;
};

// From strong to weak; the last step takes every signal.
constexpr RateStep kRateSteps[] = {
    {50, kTxRate11Mbps},
    {40, kTxRate5_5Mbps},
    {30, kTxRate2Mbps},
    {0, kTxRate1Mbps},
};

constexpr uint16_t kFirstConfigurationRecord = 0xFC00;
constexpr uint16_t kLastConfigurationRecord = 0xFCFF;

Card::JitterSource randomJitter() {
    auto engine = std::make_shared<std::minstd_rand>(std::random_device{}());
    return [engine] { return std::uniform_int_distribution<int>(-kSignalJitter, kSignalJitter)(*engine); };
}

std::string recordName(const PrismPrefsRecord& settings) {
    const auto* name = reinterpret_cast<const char*>(settings.ssid);
    return std::string(name, strnlen(name, sizeof settings.ssid));
}

// Builds a payload: words little-endian, as the card delivers them.
class PayloadWriter {
public:
    PayloadWriter& word(uint16_t value) {
        put(static_cast<uint8_t>(value));
        return put(static_cast<uint8_t>(value >> 8));
    }
    PayloadWriter& bytes(const void* data, std::size_t size) {
        const auto* first = static_cast<const uint8_t*>(data);
        for (std::size_t i = 0; i < size; ++i) put(first[i]);
        return *this;
    }
    PayloadWriter& zeros(std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) put(0);
        return *this;
    }
    // The reported length: the bytes written, in whole words, never 0.
    RecordPayload take() {
        payload_.length = static_cast<uint16_t>(std::max<std::size_t>(2, (offset_ + 1) & ~std::size_t{1}));
        return payload_;
    }

private:
    PayloadWriter& put(uint8_t byte) {
        if (offset_ < payload_.data.size()) payload_.data[offset_++] = byte;
        return *this;
    }
    RecordPayload payload_;
    std::size_t offset_ = 0;
};

RecordPayload identityPayload(const FirmwareIdentity& identity) {
    return PayloadWriter().word(identity.componentId).word(identity.variant).word(identity.major).word(identity.minor).take();
}

HardwareAddress adHocBSSID(const HardwareAddress& mac) {
    HardwareAddress bssid = mac;
    bssid[0] = static_cast<uint8_t>((bssid[0] | 0x02) & ~0x01);  // locally administered, unicast
    return bssid;
}

}  // namespace

uint16_t txRateForSignal(uint16_t signal) {
    for (const RateStep& step : kRateSteps) {
        if (signal >= step.minimumSignal) return step.code;
    }
    return kTxRate1Mbps;
}

bool settingsMatchAccessPoint(const PrismPrefsRecord& settings, const AccessPoint& point) {
    if (settings.ssid[0] != 0 && recordName(settings) != point.ssid) return false;
    if (point.wepKey.empty()) return settings.wepEnabled == 0;
    if (settings.wepEnabled != 1 || settings.txKeyIndex >= kKeySlotCount) return false;
    const std::size_t length = settings.keyLength[settings.txKeyIndex];
    return length == point.wepKey.size() &&
           std::equal(point.wepKey.begin(), point.wepKey.end(), settings.key[settings.txKeyIndex]);
}

Card::Card(World world, TimeSource now, JitterSource jitter)
    : world_(std::move(world)),
      settings_(world_.settingsRecord),
      now_(std::move(now)),
      jitter_(jitter ? std::move(jitter) : randomJitter()),
      associationStart_(now_()) {}

PrismPrefsRecord Card::settings() const {
    std::lock_guard guard(lock_);
    return settings_;
}

void Card::takeSettings(const PrismPrefsRecord& settings) {
    std::lock_guard guard(lock_);
    settings_ = settings;
    associationStart_ = now_();
}

Link Card::link() const {
    std::lock_guard guard(lock_);
    return linkLocked();
}

Link Card::linkLocked() const {
    Link link;
    if (now_() - associationStart_ < kAssociationTime) return link;
    if (settings_.portType == kPortTypeAdHoc) {
        link.portStatus = kPortConnectedAdHoc;
        link.ssid = recordName(settings_);
        link.bssid = adHocBSSID(world_.macAddress);
        link.channel = kAdHocChannel;
        return link;
    }
    if (settings_.portType != kPortTypeInfrastructure) return link;
    const AccessPoint* best = nullptr;
    for (const AccessPoint& point : world_.accessPoints) {
        if (settingsMatchAccessPoint(settings_, point) && (best == nullptr || point.signal > best->signal)) best = &point;
    }
    if (best == nullptr) return link;
    link.portStatus = kPortConnected;
    link.ssid = best->ssid;
    link.bssid = best->bssid;
    link.channel = static_cast<uint8_t>(best->channel);
    link.signal = best->signal;
    link.noise = best->noise;
    return link;
}

std::optional<RecordPayload> Card::readRecord(uint16_t number) const {
    std::lock_guard guard(lock_);
    if (const auto fixed = world_.configRecords.find(number); fixed != world_.configRecords.end()) {
        return PayloadWriter().bytes(fixed->second.data(), fixed->second.size()).take();
    }
    return simulatedRecord(number);
}

std::optional<RecordPayload> Card::simulatedRecord(uint16_t number) const {
    switch (number) {
        case CnfOwnMACAddress: return PayloadWriter().bytes(world_.macAddress.data(), world_.macAddress.size()).take();
        case PRIIdentity: return identityPayload(world_.priIdentity);
        case STAIdentity: return identityPayload(world_.staIdentity);
        case NICIdentity: return PayloadWriter().word(world_.hardwareType).zeros(6).take();
        case NICSerialNumber: {
            const std::string& serial = world_.serialNumber;
            return PayloadWriter().bytes(serial.data(), serial.size()).zeros(kSerialNumberSize - serial.size()).take();
        }
        case SymbolFirmwareVersion: {
            if (!world_.symbolFirmwareVersion) return PayloadWriter().zeros(2).take();
            const std::string& text = *world_.symbolFirmwareVersion;
            return PayloadWriter().bytes(text.data(), text.size()).zeros(1).take();
        }
        default: break;
    }
    const Link link = linkLocked();
    switch (number) {
        case PortStatus: return PayloadWriter().word(link.portStatus).take();
        case CurrentSSID:
            return PayloadWriter().word(static_cast<uint16_t>(link.ssid.size())).bytes(link.ssid.data(), link.ssid.size()).take();
        case CurrentBSSID: return PayloadWriter().bytes(link.bssid.data(), link.bssid.size()).take();
        case CommsQuality: {
            const int jittered = link.signal == 0 ? 0 : std::clamp<int>(link.signal + jitter_(), 0, 0xFFFF);
            const uint16_t signal = static_cast<uint16_t>(jittered);
            const uint16_t quality = signal > link.noise ? static_cast<uint16_t>(signal - link.noise) : 0;
            return PayloadWriter().word(quality).word(signal).word(link.noise).take();
        }
        case CurrentTxRate: return PayloadWriter().word(txRateForSignal(link.signal)).take();
        case CurrentChannel: return PayloadWriter().word(link.channel).take();
        default: return std::nullopt;
    }
}

bool Card::writeRecord(uint16_t number, const uint8_t (&data)[kRIDDataCapacity]) {
    if (number < kFirstConfigurationRecord || number > kLastConfigurationRecord) return false;
    std::lock_guard guard(lock_);
    auto& fixed = world_.configRecords[number];
    fixed.assign(std::begin(data), std::end(data));
    if (number == CnfOwnMACAddress) std::copy_n(data, world_.macAddress.size(), world_.macAddress.begin());
    return true;
}

std::vector<NMX80211ScanRecord> Card::scan() const {
    std::lock_guard guard(lock_);
    std::vector<NMX80211ScanRecord> records;
    for (const AccessPoint& point : world_.accessPoints) {
        if (records.size() == kScanRecordCount) break;
        NMX80211ScanRecord record{};
        record.channel = point.channel;
        record.noise = point.noise;
        record.signal = point.signal;
        std::copy(point.bssid.begin(), point.bssid.end(), record.bssid);
        record.beaconInterval = kBeaconInterval;
        record.capability = static_cast<uint16_t>(kCapabilityESS | (point.wepKey.empty() ? 0 : kCapabilityPrivacy));
        record.ssidLength = static_cast<uint16_t>(point.ssid.size());
        std::memcpy(record.ssid, point.ssid.data(), std::min(point.ssid.size(), sizeof record.ssid));
        records.push_back(record);
    }
    return records;
}

}  // namespace simulator
