// How saved settings change the driver's settings record.
#pragma once

#include <string_view>

#include "driver/Records.h"
#include "settings/SettingsFile.h"

// The record that `driverRecord` (as getPrefs: filled it) becomes under the
// settings. Without "DesiredSSID" nothing is mapped and the record comes back
// as it was. Only the fields the settings decide change: driverWord, the
// upper bits of flags and key bytes the settings don't touch come back as
// they came.
PrismPrefsRecord mapSettingsOntoRecord(const SettingsDictionary& settings, PrismPrefsRecord driverRecord);

// Sets ssid to a network name (UTF-8): its 8-bit form, at most 63 bytes,
// zeros after it. Shared by the loader's mapping and the pane's apply.
void setNetworkName(PrismPrefsRecord& record, std::string_view nameUtf8);

// The txKeyIndex of a "WEPTxKey" value, which counts keys from 1: 0 to 3, and
// 0 (the first key) when the value names no key. Also the pane's row for it.
uint16_t txKeyIndexFromSetting(std::string_view text);
