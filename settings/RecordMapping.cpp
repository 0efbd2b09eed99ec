#include "settings/RecordMapping.h"

#include "platform/MacRoman.h"
#include "settings/KeyEncoding.h"
#include "settings/KeyTypes.h"
#include "settings/SettingsKeys.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

namespace keys = settings_keys;
namespace values = settings_values;

constexpr std::size_t kMaxSSIDLength = kSSIDFieldSize - 1;

bool isOn(const SettingsDictionary& settings, std::string_view key) {
    return settings.string(key) == values::kYes;
}

void mapNetwork(const std::string& desiredSSID, PrismPrefsRecord& record) {
    if (desiredSSID == values::kAnyNetwork) {
        record.ssid[0] = 0;
        return;
    }
    setNetworkName(record, desiredSSID);
}

// Sets the WEP fields of a recognised key type and returns the encoding of
// the preferred key; anything else leaves them and reads the key as a password.
KeyEncoding mapKeyType(const SettingsDictionary& settings, PrismPrefsRecord& record) {
    std::optional<std::string> name = settings.string(keys::kWEPKeyType);
    const KeyType* type = name ? keyTypeNamed(*name) : nullptr;
    if (!type) return KeyEncoding::PasswordTransformation;
    record.keyLength[0] = type->keyLength;
    record.wepEnabled = 1;
    record.txKeyIndex = 0;
    return type->encoding;
}

void mapPreferredKey(const SettingsDictionary& settings, KeyEncoding encoding, PrismPrefsRecord& record) {
    if (std::optional<std::string> value = settings.string(keys::kWEPKeyValue)) {
        encodePreferredKey(*value, encoding, parseKeyLoaderBuild, record);
    }
}

void mapMultipleKeys(const SettingsDictionary& settings, PrismPrefsRecord& record) {
    record.wepEnabled = 1;
    for (std::size_t slot = 0; slot < kKeySlotCount; ++slot) {
        const std::string text = settings.string(keys::kWEPKeys[slot]).value_or("");
        record.keyLength[slot] = static_cast<uint8_t>(parseHexKey(parseKeyLoaderBuild, text, record.key[slot]));
    }
    if (std::optional<std::string> txKey = settings.string(keys::kWEPTxKey)) {
        record.txKeyIndex = txKeyIndexFromSetting(*txKey);
    }
}

}  // namespace

void setNetworkName(PrismPrefsRecord& record, std::string_view nameUtf8) {
    const std::string name = platform::toMacRoman(nameUtf8);
    std::memset(record.ssid, 0, kSSIDFieldSize);
    std::memcpy(record.ssid, name.data(), std::min(name.size(), kMaxSSIDLength));
}

PrismPrefsRecord mapSettingsOntoRecord(const SettingsDictionary& settings, PrismPrefsRecord record) {
    std::optional<std::string> desiredSSID = settings.string(keys::kDesiredSSID);
    if (!desiredSSID) return record;
    mapNetwork(*desiredSSID, record);
    KeyEncoding encoding = mapKeyType(settings, record);
    mapPreferredKey(settings, encoding, record);
    record.portType = isOn(settings, keys::kIBSSMode) ? kPortTypeAdHoc : kPortTypeInfrastructure;
    if (isOn(settings, keys::kShortPreamble)) {
        record.flags |= kShortPreambleFlag;
    } else {
        record.flags &= static_cast<uint16_t>(~kShortPreambleFlag);
    }
    if (isOn(settings, keys::kWEPMultipleKeys)) mapMultipleKeys(settings, record);
    return record;
}

uint16_t txKeyIndexFromSetting(std::string_view text) {
    const int32_t keyNumber = decimalValue(text);
    const bool namesAKey = keyNumber >= 1 && keyNumber <= static_cast<int32_t>(kKeySlotCount);
    return namesAKey ? static_cast<uint16_t>(keyNumber - 1) : 0;
}
