#include "simulator/World.h"

#include <sys/stat.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string_view>

#include "platform/MacRoman.h"
#include "platform/PropertyList.h"

namespace simulator {
namespace {

using platform::PropertyDictionary;
using platform::PropertyValue;

// A problem with one value, or none.
using Problem = std::optional<std::string>;

std::string quoted(std::string_view key) { return "\"" + std::string(key) + "\""; }

Problem readInteger(const PropertyValue& value, std::string_view key, int64_t low, int64_t high, int64_t& out) {
    const auto number = value.asInteger();
    if (!number || *number < low || *number > high)
        return quoted(key) + " must be an integer from " + std::to_string(low) + " to " + std::to_string(high);
    out = *number;
    return std::nullopt;
}

template <typename T>
Problem readUnsigned(const PropertyValue& value, std::string_view key, int64_t high, T& out) {
    int64_t number = 0;
    if (Problem problem = readInteger(value, key, 0, high, number)) return problem;
    out = static_cast<T>(number);
    return std::nullopt;
}

Problem readString(const PropertyValue& value, std::string_view key, std::string& out) {
    const auto text = value.asString();
    if (!text) return quoted(key) + " must be a string";
    out = *text;
    return std::nullopt;
}

// A text in its 8-bit form, at most maxBytes long.
Problem readCardText(const PropertyValue& value, std::string_view key, std::size_t maxBytes, std::string& out) {
    std::string text;
    if (Problem problem = readString(value, key, text)) return problem;
    out = platform::toMacRoman(text);
    if (out.size() > maxBytes) return quoted(key) + " must be at most " + std::to_string(maxBytes) + " bytes";
    return std::nullopt;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::optional<std::vector<uint8_t>> hexBytes(std::string_view text) {
    if (text.size() % 2 != 0) return std::nullopt;
    std::vector<uint8_t> bytes;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int high = hexDigit(text[i]);
        const int low = hexDigit(text[i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        bytes.push_back(static_cast<uint8_t>(high * 16 + low));
    }
    return bytes;
}

// "00:0A:FF:01:23:45"
std::optional<HardwareAddress> parseHardwareAddress(std::string_view text) {
    constexpr std::size_t kTextSize = 17;
    if (text.size() != kTextSize) return std::nullopt;
    HardwareAddress address{};
    for (std::size_t i = 0; i < address.size(); ++i) {
        if (i > 0 && text[3 * i - 1] != ':') return std::nullopt;
        const auto byte = hexBytes(text.substr(3 * i, 2));
        if (!byte) return std::nullopt;
        address[i] = (*byte)[0];
    }
    return address;
}

Problem readHardwareAddress(const PropertyValue& value, std::string_view key, HardwareAddress& out) {
    const auto text = value.asString();
    const auto address = text ? parseHardwareAddress(*text) : std::nullopt;
    if (!address) return quoted(key) + " must be a string of the form 00:0A:FF:01:23:45";
    out = *address;
    return std::nullopt;
}

Problem readIdentity(const PropertyValue& value, std::string_view key, FirmwareIdentity& out) {
    const auto items = value.asArray();
    const std::string problem = quoted(key) + " must be an array of 4 integers from 0 to 65535";
    if (!items || items->size() != 4) return problem;
    std::array<uint16_t, 4> words{};
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (readUnsigned((*items)[i], key, 0xFFFF, words[i])) return problem;
    }
    out = FirmwareIdentity{words[0], words[1], words[2], words[3]};
    return std::nullopt;
}

template <typename T>
Problem readNumberSet(const PropertyValue& value, std::string_view key, int64_t high, std::set<T>& out) {
    const auto items = value.asArray();
    const std::string problem = quoted(key) + " must be an array of integers from 0 to " + std::to_string(high);
    if (!items) return problem;
    out.clear();
    for (const PropertyValue& item : *items) {
        T number{};
        if (readUnsigned(item, key, high, number)) return problem;
        out.insert(number);
    }
    return std::nullopt;
}

Problem readSettingsRecord(const PropertyValue& value, std::string_view key, PrismPrefsRecord& out) {
    const auto data = value.asData();
    if (!data || data->size() != kPrefsRecordSize)
        return quoted(key) + " must be data of exactly " + std::to_string(kPrefsRecordSize) + " bytes";
    std::memcpy(&out, data->data(), kPrefsRecordSize);
    return std::nullopt;
}

Problem readConfigRecords(const PropertyValue& value, std::string_view key,
                          std::map<uint16_t, std::vector<uint8_t>>& out) {
    const auto records = value.asDictionary();
    if (!records) return quoted(key) + " must be a dictionary";
    out.clear();
    for (const auto& [number, payload] : records->entries()) {
        uint32_t rid = 0;
        const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), rid);
        if (number.empty() || error != std::errc() || end != number.data() + number.size() || rid > 0xFFFF)
            return quoted(key) + ": " + quoted(number) + " is not a record number (decimal, 0 to 65535)";
        const auto data = payload.asData();
        if (!data || data->size() > kRIDDataCapacity)
            return quoted(key) + ": record " + number + " must be data of at most 1024 bytes";
        out[static_cast<uint16_t>(rid)] = *data;
    }
    return std::nullopt;
}

Problem readAccessPoint(const PropertyDictionary& entry, std::size_t index, AccessPoint& point) {
    const std::string where = "AccessPoints item " + std::to_string(index + 1);
    for (const char* required : {"SSID", "BSSID", "Channel"}) {
        if (!entry.contains(required)) return where + ": " + quoted(required) + " is missing";
    }
    for (const auto& [key, value] : entry.entries()) {
        Problem problem;
        if (key == "SSID") problem = readCardText(value, key, kMaxAccessPointSSID, point.ssid);
        else if (key == "BSSID") problem = readHardwareAddress(value, key, point.bssid);
        else if (key == "Channel") {
            int64_t channel = 0;
            problem = readInteger(value, key, 1, 14, channel);
            point.channel = static_cast<uint16_t>(channel);
        } else if (key == "Signal") problem = readUnsigned(value, key, 0xFFFF, point.signal);
        else if (key == "Noise") problem = readUnsigned(value, key, 0xFFFF, point.noise);
        else if (key == "WEPKey") {
            const auto text = value.asString();
            const auto key64or128 = text && (text->size() == 10 || text->size() == 26) ? hexBytes(*text) : std::nullopt;
            if (!key64or128) problem = quoted(key) + " must be 10 or 26 hex digits";
            else point.wepKey = *key64or128;
        } else {
            problem = "unknown key " + quoted(key);
        }
        if (problem) return where + ": " + *problem;
    }
    return std::nullopt;
}

Problem readAccessPoints(const PropertyValue& value, std::string_view key, std::vector<AccessPoint>& out) {
    const auto items = value.asArray();
    if (!items) return quoted(key) + " must be an array of dictionaries";
    out.clear();
    for (std::size_t i = 0; i < items->size(); ++i) {
        const auto entry = (*items)[i].asDictionary();
        if (!entry) return quoted(key) + ": item " + std::to_string(i + 1) + " is not a dictionary";
        AccessPoint point;
        if (Problem problem = readAccessPoint(*entry, i, point)) return problem;
        out.push_back(std::move(point));
    }
    return std::nullopt;
}

using KeyReader = std::function<Problem(const PropertyValue&, std::string_view, World&)>;

const std::map<std::string_view, KeyReader>& keyReaders() {
    static const std::map<std::string_view, KeyReader> readers{
        {"HardwareType", [](auto& v, auto k, World& w) { return readUnsigned(v, k, 0xFFFF, w.hardwareType); }},
        {"MACAddress", [](auto& v, auto k, World& w) { return readHardwareAddress(v, k, w.macAddress); }},
        {"SerialNumber",
         [](auto& v, auto k, World& w) { return readCardText(v, k, kSerialNumberSize, w.serialNumber); }},
        {"PRIIdentity", [](auto& v, auto k, World& w) { return readIdentity(v, k, w.priIdentity); }},
        {"STAIdentity", [](auto& v, auto k, World& w) { return readIdentity(v, k, w.staIdentity); }},
        {"SymbolFirmwareVersion",
         [](auto& v, auto k, World& w) {
             std::string text;
             Problem problem = readCardText(v, k, kRIDDataCapacity - 1, text);
             w.symbolFirmwareVersion = text;
             return problem;
         }},
        {"SettingsRecord", [](auto& v, auto k, World& w) { return readSettingsRecord(v, k, w.settingsRecord); }},
        {"AccessPoints", [](auto& v, auto k, World& w) { return readAccessPoints(v, k, w.accessPoints); }},
        {"ConfigRecords", [](auto& v, auto k, World& w) { return readConfigRecords(v, k, w.configRecords); }},
        {"FailingConfigRecords",
         [](auto& v, auto k, World& w) { return readNumberSet(v, k, 0xFFFF, w.failingConfigRecords); }},
        {"FailingMethods",
         [](auto& v, auto k, World& w) { return readNumberSet(v, k, 0xFFFFFFFF, w.failingMethods); }},
        {"ReplyDelayMilliseconds",
         [](auto& v, auto k, World& w) {
             int64_t delay = 0;
             Problem problem = readInteger(v, k, 0, kMaxReplyDelayMilliseconds, delay);
             w.replyDelay = std::chrono::milliseconds(delay);
             return problem;
         }},
    };
    return readers;
}

PrismPrefsRecord demoSettingsRecord() {
    PrismPrefsRecord record{};
    record.driverWord = 0x2A5C;
    record.flags = 0x0300;  // the driver's own bits; long preamble
    record.portType = kPortTypeInfrastructure;
    return record;
}

AccessPoint demoAccessPoint(std::string ssid, std::string_view bssid, uint16_t channel, uint16_t signal,
                            uint16_t noise, std::string_view wepKey) {
    return AccessPoint{std::move(ssid), *parseHardwareAddress(bssid), channel, signal, noise,
                       hexBytes(wepKey).value_or(std::vector<uint8_t>{})};
}

}  // namespace

World demoWorld() {
    World world;
    world.hardwareType = 0x800B;  // PRISM 2.5, AMD parallel flash
    world.macAddress = {0x00, 0x02, 0x2D, 0x4A, 0x11, 0x7C};
    world.priIdentity = {21, 1, 1, 1};
    world.staIdentity = {31, 4, 1, 7};
    world.settingsRecord = demoSettingsRecord();
    world.accessPoints = {
        demoAccessPoint("Cafe Open", "00:40:96:A1:B2:C3", 1, 45, 8, ""),
        demoAccessPoint("Nimbrel Lab", "00:60:1D:22:33:44", 6, 62, 12, "1A2B3C4D5E"),
        demoAccessPoint("Office 128", "00:30:65:0F:0E:0D", 11, 38, 10, "0123456789ABCDEF0123456789"),
    };
    return world;
}

std::variant<World, std::string> worldFromDictionary(const PropertyDictionary& dictionary) {
    World world = demoWorld();
    for (const auto& [key, value] : dictionary.entries()) {
        const auto reader = keyReaders().find(key);
        if (reader == keyReaders().end()) return "unknown key " + quoted(key);
        if (Problem problem = reader->second(value, key, world)) return *problem;
    }
    return world;
}

std::variant<World, std::string> loadWorldFile(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) return std::string("cannot read: ") + std::strerror(errno);
    if (S_ISDIR(status.st_mode)) return "is a folder, not a property list";
    if (static_cast<uint64_t>(status.st_size) > platform::kMaxPropertyListFileSize) return "larger than 1 MiB";
    if (FILE* probe = std::fopen(path.c_str(), "rb")) std::fclose(probe);
    else return std::string("cannot read: ") + std::strerror(errno);
    const auto dictionary = platform::readPropertyListDictionary(path);
    if (!dictionary) return "not a property list with a dictionary at its root";
    return worldFromDictionary(*dictionary);
}

}  // namespace simulator
