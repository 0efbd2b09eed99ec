// Stored keys are never shown: a key field shows one bullet per character of
// the stored text, and a field that starts with a bullet is left unchanged.
#pragma once

#include <string>
#include <string_view>

// U+2022 BULLET in UTF-8 (0xA5 in Mac OS Roman).
inline constexpr std::string_view kMaskCharacter = "\xE2\x80\xA2";

std::string maskOfStoredKey(std::string_view storedUtf8);
bool showsStoredKey(std::string_view fieldUtf8);
