// The live status area: connection state or network name, access point and
// channel, transmit rate, signal level and the card's MAC address, decoded
// from the card's configuration records.
#pragma once

#include <optional>
#include <string>

#include "pane/RecordReader.h"

// What one refresh shows. Texts are 8-bit (Mac OS Roman) as the records hold
// them; a field without a value keeps what the control showed before.
struct StatusTexts {
    double signal = 0.0;                // raw signal-level word, 0 after a failed read
    std::optional<std::string> txRate;  // Intersil-family cards with a readable rate only
    std::string mac;
    std::optional<std::string> ssid;    // unchanged for a port status without a state of its own
    std::string bssid;
};

// One refresh: at most eight reads, in the order NICIdentity, CurrentChannel,
// CommsQuality, CurrentTxRate, CnfOwnMACAddress, PortStatus, CurrentBSSID,
// CurrentSSID.
StatusTexts readStatus(const RecordReader& read);
