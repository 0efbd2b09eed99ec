// Text in driver records: the 8-bit form, Mac OS Roman, one byte per
// character.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// The 8-bit form of a UTF-8 text: one byte per character. A character that
// Mac OS Roman cannot hold, and each byte that is not valid UTF-8, becomes '?'.
std::string toMacRoman(std::string_view utf8);

// The UTF-8 text of Mac OS Roman bytes. Never fails.
std::string fromMacRoman(std::string_view bytes);

// Number of characters (code points) of a UTF-8 text, each invalid byte
// counting as one: always the length of its 8-bit form.
std::size_t characterCount(std::string_view utf8);

}  // namespace platform
