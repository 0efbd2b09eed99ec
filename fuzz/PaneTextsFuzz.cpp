// The status display, the diagnostics report and the network list decoded
// from arbitrary driver replies. Each configuration-record read takes its
// reply from the input, as the transport would deliver it: a flags byte (bit
// 0: the read fails), a 16-bit reply size (cut to the record's 1028 bytes)
// and that many bytes, which overwrite the record buffer from its start. A
// read past the end of the input fails. What is left after the status and
// report reads fills the scan area.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>

#include "driver/Records.h"
#include "fuzz/FuzzSupport.h"
#include "pane/DiagnosticsReport.h"
#include "pane/NetworkList.h"
#include "pane/RecordReader.h"
#include "pane/StatusDisplay.h"
#include "platform/MacRoman.h"

namespace {

class ReplyStream {
public:
    explicit ReplyStream(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    // What the wrapper's getRID: returns: the record's length after the
    // reply, 0 when the call fails.
    int32_t read(NMX80211UserClientRID* record) {
        if (bytes_.size() < 3) {
            bytes_ = {};
            return 0;
        }
        const bool fails = bytes_[0] & 1;
        const std::size_t size = std::min<std::size_t>(littleEndianWord(bytes_[1], bytes_[2]), kRIDRecordSize);
        bytes_ = bytes_.subspan(3);
        if (fails) return 0;
        record->length = kRIDDataCapacity;
        const std::size_t taken = std::min(size, bytes_.size());
        std::memcpy(record, bytes_.data(), taken);
        bytes_ = bytes_.subspan(taken);
        return record->length;
    }

    std::span<const uint8_t> rest() const { return bytes_; }

private:
    std::span<const uint8_t> bytes_;
};

// Texts reach the controls as UTF-8 through the 8-bit form.
void show(const std::string& bytes8bit) { platform::fromMacRoman(bytes8bit); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    ReplyStream replies(std::span(data, size));
    const RecordReader read = [&replies](NMX80211UserClientRID* record) { return replies.read(record); };

    const StatusTexts status = readStatus(read);
    show(status.mac);
    show(status.bssid);
    if (status.ssid) show(*status.ssid);
    if (status.txRate) show(*status.txRate);

    const std::string report = composeDiagnostics(read);
    if (report.size() >= kDiagnosticsCapacity) fuzz::fail("a report beyond its area");
    show(report);

    NMX80211ScanRecord area[kScanRecordCount];
    std::memset(area, 0, sizeof area);
    const std::span<const uint8_t> rest = replies.rest();
    if (!rest.empty()) std::memcpy(area, rest.data(), std::min(rest.size(), sizeof area));
    for (const std::string& name : scannedNetworkNames(area)) {
        if (name.size() > sizeof area[0].ssid) fuzz::fail("a network name longer than its field");
        show(name);
    }
    return 0;
}
