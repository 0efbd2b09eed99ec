// The 8-bit form through iconv. Conversion goes one character at a time, so
// that one character always gives exactly one byte, whatever iconv would make
// of combining sequences or unconvertible characters.
#include "platform/MacRoman.h"

#include <iconv.h>

#include <cstdint>

namespace platform {

namespace {

constexpr char kReplacement = '?';
constexpr std::string_view kReplacementCharacterUtf8 = "\xEF\xBF\xBD";  // U+FFFD

// One conversion direction, opened once per thread.
class Converter {
public:
    Converter(const char* to, const char* from) : handle_(iconv_open(to, from)) {}
    ~Converter() {
        if (valid()) iconv_close(handle_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }

    // Converts one whole unit; false when iconv refuses any part of it.
    bool convert(std::string_view in, std::string& out) {
        if (!valid()) return false;
        iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        char buffer[16];
        char* inPtr = const_cast<char*>(in.data());
        std::size_t inLeft = in.size();
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        if (iconv(handle_, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1) ||
            inLeft != 0) {
            return false;
        }
        out.assign(buffer, outPtr);
        return true;
    }

private:
    iconv_t handle_;
};

Converter& toMacRomanConverter() {
    thread_local Converter converter("MACINTOSH", "UTF-8");
    return converter;
}

Converter& fromMacRomanConverter() {
    thread_local Converter converter("UTF-8", "MACINTOSH");
    return converter;
}

bool isContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Length of the valid UTF-8 sequence at the start of `text`, or 0 when it
// does not start with one (overlong forms and surrogates are not valid).
std::size_t validSequenceLength(std::string_view text) {
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    unsigned char lead = byte(0);
    std::size_t length;
    uint32_t codePoint;
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07;
    } else {
        return 0;
    }
    if (text.size() < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if (!isContinuation(byte(i))) return 0;
        codePoint = (codePoint << 6) | (byte(i) & 0x3F);
    }
    bool overlong = (length == 3 && codePoint < 0x800) || (length == 4 && codePoint < 0x10000);
    bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
    if (overlong || surrogate || codePoint > 0x10FFFF) return 0;
    return length;
}

// Calls visit(character, valid) for each character of the text; an invalid
// byte is a character of its own.
template <typename Visit>
void forEachCharacter(std::string_view utf8, Visit visit) {
    while (!utf8.empty()) {
        std::size_t length = validSequenceLength(utf8);
        bool valid = length != 0;
        if (!valid) length = 1;
        visit(utf8.substr(0, length), valid);
        utf8.remove_prefix(length);
    }
}

}  // namespace

std::string toMacRoman(std::string_view utf8) {
    std::string result;
    result.reserve(utf8.size());
    std::string converted;
    forEachCharacter(utf8, [&](std::string_view character, bool valid) {
        bool one = valid && toMacRomanConverter().convert(character, converted) && converted.size() == 1;
        result += one ? converted[0] : kReplacement;
    });
    return result;
}

std::string fromMacRoman(std::string_view bytes) {
    std::string result;
    result.reserve(bytes.size() * 2);
    std::string converted;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bool ok = fromMacRomanConverter().convert(bytes.substr(i, 1), converted);
        result += ok ? std::string_view(converted) : kReplacementCharacterUtf8;
    }
    return result;
}

std::size_t characterCount(std::string_view utf8) {
    std::size_t count = 0;
    forEachCharacter(utf8, [&](std::string_view, bool) { ++count; });
    return count;
}

}  // namespace platform
