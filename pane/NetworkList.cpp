#include "pane/NetworkList.h"

#include <algorithm>

std::vector<std::string> scannedNetworkNames(const NMX80211ScanRecord (&area)[kScanRecordCount]) {
    std::vector<std::string> names;
    for (const NMX80211ScanRecord& record : area) {
        if (record.channel == 0) break;
        // A length beyond the name field would read into the next record.
        const std::size_t length = std::min<std::size_t>(record.ssidLength, sizeof record.ssid);
        names.emplace_back(reinterpret_cast<const char*>(record.ssid), length);
    }
    return names;
}
