#include "settings/KeyEncoding.h"

#include "driver/Records.h"
#include "platform/MacRoman.h"
#include "platform/WirelessEncrypt.h"
#include "settings/KeyTypes.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

constexpr std::size_t kMaxKeyTextLength = kKeyTextBufferSize - 1;

int hexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The one digit-pair reader of both builds: the value of the leading hex
// digits of the pair at `pair`, one or two; 0 when it starts with none. The
// second character is looked at only when the first is a digit, so the
// reader never passes a NUL.
uint8_t readDigitPair(const char* pair) {
    int high = hexDigitValue(pair[0]);
    if (high < 0) return 0;
    int low = hexDigitValue(pair[1]);
    if (low < 0) return static_cast<uint8_t>(high);
    return static_cast<uint8_t>(high * 16 + low);
}

const char* dropPanePrefix(const char* text) {
    if (text[0] == '$') return text + 1;
    if (text[0] == '0' && text[1] == 'x') return text + 2;
    return text;
}

const char* dropLoaderPrefix(const char* text) {
    if (text[0] == '$') ++text;
    if (text[0] == '0' && text[1] == 'x') text += 2;
    return text;
}

int32_t clampedCount(std::size_t count) {
    return static_cast<int32_t>(std::min<std::size_t>(count, std::numeric_limits<int32_t>::max()));
}

struct ParseOutcome {
    std::size_t digitsLength;  // characters after the prefix
    std::size_t bytesWritten;
};

ParseOutcome parseDigits(const char* digits, uint8_t* out, int32_t limit) {
    std::size_t capacity = (out && limit > 0) ? static_cast<std::size_t>(limit) : 0;
    std::size_t length = std::strlen(digits);
    std::size_t pairs = std::min(length / 2, capacity);
    for (std::size_t i = 0; i < pairs; ++i) out[i] = readDigitPair(digits + 2 * i);
    return {length, pairs};
}

void zeroOutput(uint8_t* out, int32_t limit) {
    if (out && limit > 0) std::memset(out, 0, static_cast<std::size_t>(limit));
}

}  // namespace

int32_t parseKeyPaneBuild(const char* text, uint8_t* out, int32_t limit) {
    zeroOutput(out, limit);
    if (!text) return 0;
    return clampedCount(parseDigits(dropPanePrefix(text), out, limit).digitsLength);
}

int32_t parseKeyLoaderBuild(const char* text, uint8_t* out, int32_t limit) {
    zeroOutput(out, limit);
    if (!text) return 0;
    return clampedCount(parseDigits(dropLoaderPrefix(text), out, limit).bytesWritten);
}

void copyTextKey(std::string_view bytes8bit, uint8_t* slot, uint8_t keyLength) {
    std::size_t length = std::min<std::size_t>(keyLength, kKeySlotSize);
    std::size_t copied = std::min(bytes8bit.size(), length);
    std::copy_n(bytes8bit.begin(), copied, slot);
    std::memset(slot + copied, 0, length - copied);
}

std::array<char, kKeyTextBufferSize> hexKeyScratch(std::string_view utf8) {
    std::array<char, kKeyTextBufferSize> scratch{};
    std::string bytes = platform::toMacRoman(utf8);
    std::memcpy(scratch.data(), bytes.data(), std::min(bytes.size(), kMaxKeyTextLength));
    return scratch;
}

void transformPassword(std::string_view passwordUtf8, uint8_t* slot, uint8_t keyLengthNow) {
    WirelessEncrypt(passwordUtf8, slot, keyLengthNow > kKeyLength64Bit ? 1 : 0);
}

int32_t parseHexKey(ParseKeyFunction parse, std::string_view keyUtf8, uint8_t* slot) {
    return parse(hexKeyScratch(keyUtf8).data(), slot, static_cast<int32_t>(kKeySlotSize));
}

void encodePreferredKey(std::string_view keyUtf8, KeyEncoding encoding, ParseKeyFunction parse,
                        PrismPrefsRecord& record) {
    uint8_t* slot = record.key[0];
    switch (encoding) {
        case KeyEncoding::TextCopy:
            copyTextKey(platform::toMacRoman(keyUtf8), slot, record.keyLength[0]);
            break;
        case KeyEncoding::HexParse:
            parseHexKey(parse, keyUtf8, slot);
            break;
        case KeyEncoding::PasswordTransformation:
            transformPassword(keyUtf8, slot, record.keyLength[0]);
            break;
    }
}

int32_t decimalValue(std::string_view text) {
    text = text.substr(0, kMaxKeyTextLength);
    std::size_t at = 0;
    auto isSpace = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    while (at < text.size() && isSpace(text[at])) ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
    constexpr int64_t kMagnitudeLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
    int64_t magnitude = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        magnitude = std::min(magnitude * 10 + (text[at] - '0'), kMagnitudeLimit);
    }
    int64_t value = negative ? -magnitude : magnitude;
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}
