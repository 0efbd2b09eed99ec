// A card whose configuration records are payloads written out by hand. Any
// record without a payload fails to read; every read is logged.
#pragma once

#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "driver/Records.h"
#include "pane/RecordReader.h"

namespace pane_test {

using Payload = std::vector<uint8_t>;

// Record numbers, written out here rather than taken from the catalogue.
inline constexpr uint16_t kMACRecord = 0xFC01;
inline constexpr uint16_t kPRIRecord = 0xFD02;
inline constexpr uint16_t kSerialRecord = 0xFD0A;
inline constexpr uint16_t kNICRecord = 0xFD0B;
inline constexpr uint16_t kSTARecord = 0xFD20;
inline constexpr uint16_t kSymbolRecord = 0xFD24;
inline constexpr uint16_t kPortStatusRecord = 0xFD40;
inline constexpr uint16_t kSSIDRecord = 0xFD41;
inline constexpr uint16_t kBSSIDRecord = 0xFD42;
inline constexpr uint16_t kQualityRecord = 0xFD43;
inline constexpr uint16_t kTxRateRecord = 0xFD44;
inline constexpr uint16_t kChannelRecord = 0xFDC1;

// A payload that is one little-endian word at byte `offset`.
inline Payload wordAt(std::size_t offset, uint16_t value) {
    Payload payload(offset + 2, 0);
    payload[offset] = static_cast<uint8_t>(value & 0xFF);
    payload[offset + 1] = static_cast<uint8_t>(value >> 8);
    return payload;
}

inline Payload textPayload(const std::string& text) { return Payload(text.begin(), text.end()); }

struct FakeCard {
    std::map<uint16_t, Payload> records;
    std::vector<uint16_t> reads;

    RecordReader reader() {
        return [this](NMX80211UserClientRID* buffer) -> int32_t {
            reads.push_back(buffer->rid);
            const auto found = records.find(buffer->rid);
            if (found == records.end()) {
                // A failed read leaves rubbish behind, which must not be decoded.
                std::memset(buffer->data, 0xEE, sizeof buffer->data);
                return 0;
            }
            std::memset(buffer->data, 0, sizeof buffer->data);
            std::memcpy(buffer->data, found->second.data(), std::min(found->second.size(), sizeof buffer->data));
            buffer->length = 40;
            return buffer->length;
        };
    }
};

}  // namespace pane_test
