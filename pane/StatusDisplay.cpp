#include "pane/StatusDisplay.h"

#include <cstdio>
#include <cstring>
#include <iterator>

#include "driver/ConfigRecords.h"

namespace {

constexpr const char* kNotAvailable = "n/a";
constexpr const char* kConnected = "<Connected>";

struct RateLabel {
    uint16_t code;
    const char* label;
};
constexpr RateLabel kRateLabels[] = {
    {kTxRate1Mbps, "1Mbps"},
    {kTxRate2Mbps, "2Mbps"},
    {kTxRate5_5Mbps, "5Mbps"},
    {kTxRate11Mbps, "11Mbps"},
};

std::string rateLabel(uint16_t code) {
    for (const RateLabel& rate : kRateLabels) {
        if (rate.code == code) return rate.label;
    }
    return "";
}

// What each connection state shows: a fixed text, or the network's name
// (and for status 4 the access point too).
struct PortState {
    uint16_t status;
    const char* stateText;  // null: the network name
    bool showsAccessPoint;
};
constexpr PortState kPortStates[] = {
    {kPortDisabled, "<DISABLED>", false},
    {kPortSearching, "<Searching for Network...>", false},
    {kPortConnectedAdHoc, nullptr, false},
    {kPortConnected, nullptr, true},
    {kPortOutOfRange, "<Out of Range>", false},
    {kPortConnectedWDS, "<Connected to WDS>", false},
};

const PortState* portState(uint16_t status) {
    for (const PortState& state : kPortStates) {
        if (state.status == status) return &state;
    }
    return nullptr;
}

std::string macText(const HardwareAddress& octets) {
    char text[32];
    std::snprintf(text, sizeof text, "%02X:%02X:%02X:%02X:%02X:%02X", octets[0], octets[1], octets[2], octets[3],
                  octets[4], octets[5]);
    return text;
}

std::string accessPointText(const HardwareAddress& octets, int channel) {
    char text[64];
    std::snprintf(text, sizeof text, "%02X:%02X:%02X:%02X:%02X:%02X  (channel %d)", octets[0], octets[1], octets[2],
                  octets[3], octets[4], octets[5], channel);
    return text;
}

void showConnectionState(ConfigRecordReads& reads, int channel, StatusTexts& status) {
    status.bssid = kNotAvailable;
    if (!reads.read(PortStatus)) {
        status.ssid = kNotAvailable;
        return;
    }
    const PortState* state = portState(portStatus(reads.record()));
    if (!state) return;  // no state of its own: the shown state stays
    if (state->stateText) {
        status.ssid = state->stateText;
        return;
    }
    if (state->showsAccessPoint && reads.read(CurrentBSSID)) {
        status.bssid = accessPointText(hardwareAddress(reads.record()), channel);
    }
    status.ssid = reads.read(CurrentSSID) ? currentSSIDBytes(reads.record()) : std::string(kConnected);
}

}  // namespace

StatusTexts readStatus(const RecordReader& read) {
    StatusTexts status;
    ConfigRecordReads reads(read);

    const bool showsRate = reads.read(NICIdentity) && isIntersilFamily(hardwareType(reads.record()));
    const int channel = reads.read(CurrentChannel) ? channelNumber(reads.record()) : -1;
    status.signal = reads.read(CommsQuality) ? static_cast<double>(signalLevel(reads.record())) : 0.0;
    if (showsRate && reads.read(CurrentTxRate)) status.txRate = rateLabel(txRateCode(reads.record()));
    status.mac = reads.read(CnfOwnMACAddress) ? macText(hardwareAddress(reads.record())) : std::string(kNotAvailable);
    showConnectionState(reads, channel, status);
    return status;
}
