// nimbrel-describe: shows settings records in readable form, for the demo
// and for anyone looking at what the driver holds.
//   nimbrel-describe prefs [--registry DIR]   the driver's current record
//   nimbrel-describe journal FILE             a simulator journal
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

#include "driver/80211UserClientWrapper.h"
#include "driver/Records.h"
#include "platform/Locations.h"

namespace {

std::string hexBytes(const uint8_t* bytes, std::size_t count) {
    std::string text;
    char pair[3];
    for (std::size_t i = 0; i < count; ++i) {
        std::snprintf(pair, sizeof pair, "%02x", bytes[i]);
        text += pair;
    }
    return text;
}

std::string ssidText(const PrismPrefsRecord& record) {
    if (record.ssid[0] == 0) return "(any network)";
    std::size_t length = strnlen(reinterpret_cast<const char*>(record.ssid), sizeof record.ssid);
    std::string quoted = "\"";
    quoted.append(reinterpret_cast<const char*>(record.ssid), length);
    return quoted += '"';
}

const char* portTypeName(uint16_t portType) {
    switch (portType) {
        case kPortTypeInfrastructure: return "infrastructure";
        case kPortTypeAdHoc: return "ad-hoc";
        default: return "unknown";
    }
}

void describe(const PrismPrefsRecord& record, std::ostream& out, std::string_view indent) {
    char line[160];
    std::snprintf(line, sizeof line, "driverWord 0x%04x, flags 0x%04x (%s preamble)", record.driverWord, record.flags,
                  (record.flags & kShortPreambleFlag) ? "short" : "long");
    out << indent << line << "\n";
    out << indent << "network    " << ssidText(record) << "\n";
    out << indent << "port type  " << record.portType << " (" << portTypeName(record.portType) << ")\n";
    out << indent << "WEP        " << (record.wepEnabled ? "on" : "off") << ", transmit key "
        << record.txKeyIndex + 1 << "\n";
    for (std::size_t slot = 0; slot < kKeySlotCount; ++slot) {
        std::size_t length = record.keyLength[slot];
        std::size_t shown = length < kKeySlotSize ? length : kKeySlotSize;
        out << indent << "key " << slot + 1 << "      " << length << " bytes";
        if (shown) out << ": " << hexBytes(record.key[slot], shown);
        out << "\n";
    }
}

std::optional<PrismPrefsRecord> recordFromHex(std::string_view hex) {
    if (hex.size() != 2 * kPrefsRecordSize) return std::nullopt;
    PrismPrefsRecord record;
    auto* bytes = reinterpret_cast<uint8_t*>(&record);
    for (std::size_t i = 0; i < kPrefsRecordSize; ++i) {
        unsigned value = 0;
        if (std::sscanf(std::string(hex.substr(2 * i, 2)).c_str(), "%2x", &value) != 1) return std::nullopt;
        bytes[i] = static_cast<uint8_t>(value);
    }
    return record;
}

int describeDriverRecord(const std::string& registry) {
    Nimbrel80211UserClientWrapper userClient(registry);
    if (!userClient.connect()) {
        userClient.disconnect();
        std::cerr << "nimbrel-describe: no wireless driver in " << registry << "\n";
        return 1;
    }
    PrismPrefsRecord record;
    std::memset(&record, 0, sizeof record);
    int32_t result = userClient.getPrefs(&record);
    userClient.disconnect();
    if (!result) {
        std::cerr << "nimbrel-describe: the driver did not deliver its settings record\n";
        return 1;
    }
    describe(record, std::cout, "  ");
    return 0;
}

int describeJournal(const std::string& path) {
    std::ifstream journal(path);
    if (!journal) {
        std::cerr << "nimbrel-describe: cannot read journal " << path << "\n";
        return 1;
    }
    std::string line;
    while (std::getline(journal, line)) {
        constexpr std::string_view kSetPrefs = "setPrefs ";
        std::size_t hexStart = line.rfind(' ');
        if (line.starts_with(kSetPrefs) && hexStart != std::string::npos) {
            std::cout << "  " << line.substr(0, hexStart) << ", record received:\n";
            if (auto record = recordFromHex(std::string_view(line).substr(hexStart + 1))) {
                describe(*record, std::cout, "      ");
            } else {
                std::cout << "      (not a whole settings record)\n";
            }
        } else {
            std::cout << "  " << line << "\n";
        }
    }
    return 0;
}

int usage() {
    std::cerr << "usage: nimbrel-describe prefs [--registry DIR]\n"
                 "       nimbrel-describe journal FILE\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usage();
    std::string_view command = argv[1];
    if (command == "prefs") {
        std::string registry = platform::kServiceRegistryPath;
        if (argc == 4 && std::string_view(argv[2]) == "--registry") registry = argv[3];
        else if (argc != 2) return usage();
        return describeDriverRecord(registry);
    }
    if (command == "journal" && argc == 3) return describeJournal(argv[2]);
    return usage();
}
