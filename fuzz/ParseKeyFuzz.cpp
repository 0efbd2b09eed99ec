// parseKey in both builds, the other key encodings and the key check, on
// arbitrary key texts. Byte 0 of the input gives the output limit (-23 to 23),
// byte 1 the encryption pop-up's position (none, or 0 to 7); the rest is the
// key text. Each output buffer is exactly as long as the limit and followed
// by a guard region; the text is a copy of exactly its length plus the NUL.
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "driver/Records.h"
#include "fuzz/FuzzSupport.h"
#include "settings/KeyCheck.h"
#include "settings/KeyEncoding.h"

namespace {

constexpr std::size_t kHeaderBytes = 2;

// Where the digits start after the prefix that each build drops.
std::size_t panePrefixLength(std::string_view text) {
    if (text.starts_with("$")) return 1;
    if (text.starts_with("0x")) return 2;
    return 0;
}

std::size_t loaderPrefixLength(std::string_view text) {
    std::size_t length = text.starts_with("$") ? 1 : 0;
    if (text.substr(length).starts_with("0x")) length += 2;
    return length;
}

// Runs one build on a guarded buffer and returns what it wrote there.
template <typename Build>
std::vector<uint8_t> parseGuarded(Build build, const char* text, int32_t limit, int32_t& result) {
    const std::size_t capacity = limit > 0 ? static_cast<std::size_t>(limit) : 0;
    fuzz::GuardedBuffer out(capacity);
    result = build(text, out.data(), limit);
    out.checkGuard();
    auto contents = out.contents();
    return std::vector<uint8_t>(contents.begin(), contents.end());
}

void checkParseKey(const char* text, int32_t limit) {
    const std::string_view view(text);
    const std::size_t capacity = limit > 0 ? static_cast<std::size_t>(limit) : 0;

    int32_t counted = 0;
    const std::vector<uint8_t> paneBytes = parseGuarded(parseKeyPaneBuild, text, limit, counted);
    if (static_cast<std::size_t>(counted) != view.size() - panePrefixLength(view))
        fuzz::fail("the pane's build miscounts the characters after the prefix");
    // The key check counts without an output buffer.
    if (parseKeyPaneBuild(text, nullptr, limit) != counted) fuzz::fail("the pane's count depends on the output buffer");

    int32_t written = 0;
    const std::vector<uint8_t> loaderBytes = parseGuarded(parseKeyLoaderBuild, text, limit, written);
    const std::size_t pairs = (view.size() - loaderPrefixLength(view)) / 2;
    if (static_cast<std::size_t>(written) != std::min(pairs, capacity))
        fuzz::fail("the loader's build reports other than the bytes it can write");
    if (parseKeyLoaderBuild(text, nullptr, limit) != 0) fuzz::fail("the loader's build writes without a buffer");

    // Bytes past the ones a build writes are zeroed.
    const std::size_t panePairs = std::min((view.size() - panePrefixLength(view)) / 2, capacity);
    for (std::size_t i = panePairs; i < capacity; ++i) {
        if (paneBytes[i] != 0) fuzz::fail("the pane's build leaves a byte past its pairs");
    }
    for (std::size_t i = static_cast<std::size_t>(written); i < capacity; ++i) {
        if (loaderBytes[i] != 0) fuzz::fail("the loader's build leaves a byte past its pairs");
    }
}

void checkOtherEncodings(std::string_view keyText, int32_t limit) {
    // The scratch form is at most 63 bytes and always terminated.
    const auto scratch = hexKeyScratch(keyText);
    if (std::memchr(scratch.data(), 0, scratch.size()) == nullptr) fuzz::fail("a key scratch without its NUL");
    checkParseKey(scratch.data(), limit);

    const uint8_t keyLength = static_cast<uint8_t>(limit < 0 ? -limit : limit);
    fuzz::GuardedBuffer slot(kKeySlotSize);
    copyTextKey(keyText, slot.data(), keyLength);
    slot.checkGuard();
    fuzz::GuardedBuffer passwordSlot(kKeySlotSize);
    transformPassword(keyText, passwordSlot.data(), keyLength);
    passwordSlot.checkGuard();
    decimalValue(keyText);
}

void checkKeyCheck(std::optional<int> popupPosition, std::string_view keyText) {
    const std::optional<std::string_view> message = checkPreferredKey(popupPosition, keyText);
    if (!popupPosition && message) fuzz::fail("a key fails the check with no pop-up entry selected");
    if (message && message->empty()) fuzz::fail("an empty failure message");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size < kHeaderBytes) return 0;
    const int32_t limit = static_cast<int8_t>(data[0]) % 24;
    const int position = data[1] % 9;
    const std::optional<int> popupPosition = position == 0 ? std::nullopt : std::optional<int>(position - 1);

    // The key text as the pane and the loader hold it: UTF-8 bytes of any
    // kind, and the C string that parseKey reads up to its first NUL.
    const std::string keyText(reinterpret_cast<const char*>(data) + kHeaderBytes, size - kHeaderBytes);
    std::vector<char> cText(keyText.begin(), keyText.end());
    cText.push_back('\0');

    checkParseKey(cText.data(), limit);
    checkOtherEncodings(keyText, limit);
    checkKeyCheck(popupPosition, keyText);
    return 0;
}
