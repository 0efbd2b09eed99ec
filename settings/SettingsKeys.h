// The keys of the settings file and the fixed values they take.
#pragma once

#include <array>
#include <string_view>

namespace settings_keys {

inline constexpr std::string_view kDesiredSSID = "DesiredSSID";
inline constexpr std::string_view kIBSSMode = "IBSSmode";
inline constexpr std::string_view kShortPreamble = "ShortPreamble";
inline constexpr std::string_view kRememberMostRecentSSID = "RememberMostRecentSSID";
inline constexpr std::string_view kStoreWEPKeysInKeychain = "StoreWEPKeysInKeychain";
inline constexpr std::string_view kWEPKeyType = "WEPKeyType";
inline constexpr std::string_view kWEPKeyValue = "WEPKeyValue";
inline constexpr std::string_view kWEPMultipleKeys = "WEPMultipleKeys";
inline constexpr std::string_view kWEPKey1 = "WEPKey1";
inline constexpr std::string_view kWEPKey2 = "WEPKey2";
inline constexpr std::string_view kWEPKey3 = "WEPKey3";
inline constexpr std::string_view kWEPKey4 = "WEPKey4";
// The keys of multiple-key mode, key N at index N - 1.
inline constexpr std::array<std::string_view, 4> kWEPKeys = {kWEPKey1, kWEPKey2, kWEPKey3, kWEPKey4};
inline constexpr std::string_view kWEPTxKey = "WEPTxKey";

}  // namespace settings_keys

namespace settings_values {

// Switches: only exactly "YES" is on.
inline constexpr std::string_view kYes = "YES";
inline constexpr std::string_view kNo = "NO";
// "DesiredSSID": join any network.
inline constexpr std::string_view kAnyNetwork = "ANY";
// "WEPKeyType": no encryption; no key type.
inline constexpr std::string_view kNoKeyType = "none";

}  // namespace settings_values
