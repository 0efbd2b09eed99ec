// The check of the preferred WEP key before settings are saved or the pane
// is left.
#pragma once

#include <optional>
#include <string_view>

inline constexpr std::string_view kInvalidKeyAlertTitle = "Invalid WEP Keys";
inline constexpr std::string_view kInvalidKeyAlertButton = "OK";

// The message of the failed rule, or none when the key passes. popupPosition
// is the selected entry of the encryption pop-up, none when nothing is
// selected. Hex keys are measured by their counted length (8-bit form, first
// 63 bytes, without a "$" or "0x" prefix), text keys by their characters.
std::optional<std::string_view> checkPreferredKey(std::optional<int> popupPosition,
                                                  std::string_view keyTextUtf8);
