#include "settings/KeyCheck.h"

#include "platform/MacRoman.h"
#include "settings/KeyEncoding.h"
#include "settings/KeyTypes.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

namespace {

// The rule of each key type whose keys must have an exact length; the
// password types always pass.
struct KeyRule {
    KeyEncoding encoding;
    uint8_t keyLength;
    std::string_view message;
};

constexpr std::array<KeyRule, 4> kKeyRules = {{
    {KeyEncoding::HexParse, kKeyLength64Bit, "64-bit WEP keys must consist of a sequence of 10 hex digits."},
    {KeyEncoding::HexParse, kKeyLength128Bit, "128-bit WEP keys must consist of a sequence of 26 hex digits."},
    {KeyEncoding::TextCopy, kKeyLength64Bit, "64-bit WEP passwords must consist of a sequence of 5 characters."},
    {KeyEncoding::TextCopy, kKeyLength128Bit,
     "128-bit WEP passwords must consist of a sequence of 13 characters."},
}};

constexpr std::size_t kHexDigitsPerByte = 2;

const KeyRule* ruleFor(const KeyType& type) {
    auto rule = std::find_if(kKeyRules.begin(), kKeyRules.end(), [&](const KeyRule& r) {
        return r.encoding == type.encoding && r.keyLength == type.keyLength;
    });
    return rule == kKeyRules.end() ? nullptr : &*rule;
}

// Hex keys: the counted length that the pane's parseKey reports for the
// 8-bit text. Text keys: their characters.
bool hasRequiredLength(const KeyRule& rule, std::string_view keyTextUtf8) {
    if (rule.encoding == KeyEncoding::TextCopy) {
        return platform::characterCount(keyTextUtf8) == rule.keyLength;
    }
    int32_t counted = parseKeyPaneBuild(hexKeyScratch(keyTextUtf8).data(), nullptr, 0);
    return static_cast<std::size_t>(counted) == rule.keyLength * kHexDigitsPerByte;
}

}  // namespace

std::optional<std::string_view> checkPreferredKey(std::optional<int> popupPosition,
                                                  std::string_view keyTextUtf8) {
    if (!popupPosition) return std::nullopt;
    const KeyType* type = keyTypeAtPosition(*popupPosition);
    const KeyRule* rule = type ? ruleFor(*type) : nullptr;
    if (!rule || hasRequiredLength(*rule, keyTextUtf8)) return std::nullopt;
    return rule->message;
}
