#include "host/Json.h"

#include <charconv>
#include <cmath>
#include <cstdint>

namespace host {

namespace {

constexpr std::string_view kReplacementCharacter = "\\ufffd";

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// Length of the well-formed UTF-8 sequence at text[at], or 0.
std::size_t sequenceLength(std::string_view text, std::size_t at) {
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
    unsigned char lead = byte(0);
    std::size_t length = lead < 0x80 ? 1 : lead < 0xC2 ? 0 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF5 ? 4 : 0;
    if (length == 0 || at + length > text.size()) return 0;
    for (std::size_t i = 1; i < length; ++i)
        if (!isContinuation(byte(i))) return 0;
    // No overlong forms, no surrogates, nothing above U+10FFFF.
    if (lead == 0xE0 && byte(1) < 0xA0) return 0;
    if (lead == 0xED && byte(1) > 0x9F) return 0;
    if (lead == 0xF0 && byte(1) < 0x90) return 0;
    if (lead == 0xF4 && byte(1) > 0x8F) return 0;
    return length;
}

void appendEscaped(std::string& out, char c) {
    switch (c) {
    case '"': out += "\\\""; return;
    case '\\': out += "\\\\"; return;
    case '\b': out += "\\b"; return;
    case '\f': out += "\\f"; return;
    case '\n': out += "\\n"; return;
    case '\r': out += "\\r"; return;
    case '\t': out += "\\t"; return;
    default: break;
    }
    if (static_cast<unsigned char>(c) < 0x20) {
        static constexpr char kHex[] = "0123456789abcdef";
        out += "\\u00";
        out += kHex[(c >> 4) & 0xF];
        out += kHex[c & 0xF];
        return;
    }
    out += c;
}

}  // namespace

std::string jsonString(std::string_view utf8) {
    std::string out = "\"";
    for (std::size_t at = 0; at < utf8.size();) {
        std::size_t length = sequenceLength(utf8, at);
        if (length == 0) {
            out += kReplacementCharacter;
            ++at;
        } else if (length == 1) {
            appendEscaped(out, utf8[at++]);
        } else {
            out.append(utf8.substr(at, length));
            at += length;
        }
    }
    out += '"';
    return out;
}

std::string jsonNumber(double value) {
    if (!std::isfinite(value)) return "null";
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string jsonBool(bool value) {
    return value ? "true" : "false";
}

std::string jsonStringArray(const std::vector<std::string>& items) {
    std::string out = "[";
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) out += ',';
        out += jsonString(items[i]);
    }
    out += ']';
    return out;
}

}  // namespace host
