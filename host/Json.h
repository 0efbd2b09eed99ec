// The pieces of JSON that the scripted host prints.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace host {

// A quoted JSON string. The text is UTF-8; a byte that is not part of a
// well-formed UTF-8 sequence becomes U+FFFD, so the line stays valid JSON.
std::string jsonString(std::string_view utf8);
// The shortest form that reads back as the same double; null when the value
// is not finite (JSON has no such number).
std::string jsonNumber(double value);
std::string jsonBool(bool value);
std::string jsonStringArray(const std::vector<std::string>& items);

}  // namespace host
