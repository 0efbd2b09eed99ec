// How the status display and the diagnostics report reach the card: one read
// of one configuration record. The caller has set the buffer's rid; a
// non-zero result is a successful read. Bound to the wrapper's getRID: in the
// pane, to fake payloads in tests.
#pragma once

#include <cstdint>
#include <functional>

#include "driver/Records.h"

using RecordReader = std::function<int32_t(NMX80211UserClientRID*)>;

// One record buffer for a series of reads: each read names its record anew,
// and the payload of the last successful read stays in the buffer.
class ConfigRecordReads {
public:
    explicit ConfigRecordReads(const RecordReader& read) : read_(read) { buffer_ = NMX80211UserClientRID{}; }
    bool read(uint16_t rid) {
        buffer_.rid = rid;
        return read_(&buffer_) != 0;
    }
    const NMX80211UserClientRID& record() const { return buffer_; }

private:
    const RecordReader& read_;
    NMX80211UserClientRID buffer_;
};
