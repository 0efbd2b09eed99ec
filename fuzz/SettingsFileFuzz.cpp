// The settings-file reader and the record mapping behind it: the input is a
// settings file's bytes (XML or binary property list). A dictionary that it
// reads is mapped onto a fixed driver record, as the loader does, and written
// back and read again, as the pane's apply does, which must keep every entry.
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>

#include "driver/Records.h"
#include "fuzz/FuzzSupport.h"
#include "platform/PropertyList.h"
#include "settings/RecordMapping.h"
#include "settings/SettingsFile.h"

namespace {

// What a driver might report: every field set, so that a field the mapping
// must leave alone shows when it changes.
PrismPrefsRecord driverRecord() {
    PrismPrefsRecord record;
    std::memset(&record, 0x5A, sizeof record);
    record.driverWord = 0xBEEF;
    record.flags = 0xFFFE;
    record.portType = kPortTypeInfrastructure;
    record.wepEnabled = 0;
    record.txKeyIndex = 2;
    const uint8_t lengths[kKeySlotCount] = {5, 13, 0, 5};
    std::memcpy(record.keyLength, lengths, sizeof lengths);
    std::memset(record.ssid, 0, sizeof record.ssid);
    std::memcpy(record.ssid, "Driver", 6);
    return record;
}

void checkMapped(const PrismPrefsRecord& before, const PrismPrefsRecord& after) {
    if (after.driverWord != before.driverWord) fuzz::fail("the driver's own word changed");
    if ((after.flags & ~kShortPreambleFlag) != (before.flags & ~kShortPreambleFlag))
        fuzz::fail("flag bits other than the short preamble changed");
    if (std::memchr(after.ssid, 0, kSSIDFieldSize) == nullptr) fuzz::fail("a network name without its terminating zero");
    if (after.txKeyIndex >= kKeySlotCount && after.txKeyIndex != before.txKeyIndex)
        fuzz::fail("a transmit key index outside the four slots");
    for (uint8_t length : after.keyLength) {
        if (length > kKeySlotSize) fuzz::fail("a key length beyond its slot");
    }
}

// Every entry comes back under its key, and every string (all that the
// system itself writes) byte for byte. Other values only keep their type:
// the XML form cannot hold every binary date exactly, and it writes a binary
// UID (no settings value at all) as the dictionary that stands for one.
void checkReadBack(const SettingsDictionary& read, const SettingsDictionary& reread) {
    using Kind = platform::PropertyValue::Kind;
    if (read.size() != reread.size()) fuzz::fail("a written settings file reads back with other entries");
    for (const auto& [key, value] : read.entries()) {
        const platform::PropertyValue* again = reread.find(key);
        if (!again) fuzz::fail("an entry lost on writing");
        if (value.kind() != Kind::Other && again->kind() != value.kind())
            fuzz::fail("an entry that changes its type on writing");
        if ((again->kind() == Kind::String) != (value.kind() == Kind::String))
            fuzz::fail("an entry that becomes or stops being a string on writing");
        if (value.kind() == platform::PropertyValue::Kind::String && !(*again == value))
            fuzz::fail("a string that changes on writing");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::optional<SettingsDictionary> settings = platform::parsePropertyListDictionary(std::span(data, size));
    if (!settings) return 0;

    const PrismPrefsRecord before = driverRecord();
    checkMapped(before, mapSettingsOntoRecord(*settings, before));

    // Apply writes the whole dictionary back; reading that must give every
    // entry again, unknown and non-string ones included.
    const std::optional<std::string> written = platform::serializeXmlPropertyList(*settings);
    if (!written) fuzz::fail("a dictionary that was read cannot be written");
    const auto* bytes = reinterpret_cast<const uint8_t*>(written->data());
    const std::optional<SettingsDictionary> reread = platform::parsePropertyListDictionary(std::span(bytes, written->size()));
    if (!reread) fuzz::fail("a written settings file does not read back");
    checkReadBack(*settings, *reread);
    return 0;
}
