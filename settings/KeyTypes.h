// The WEP key types: the values of "WEPKeyType" with their place in the
// pane's encryption pop-up, key length and encoding.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

enum class KeyEncoding { TextCopy, HexParse, PasswordTransformation };

struct KeyType {
    std::string_view name;
    int popupPosition;
    uint8_t keyLength;
    KeyEncoding encoding;
};

inline constexpr uint8_t kKeyLength64Bit = 5;
inline constexpr uint8_t kKeyLength128Bit = 13;

// Position 0 of the pop-up is no encryption ("none"), which is no key type.
inline constexpr int kNoEncryptionPopupPosition = 0;

inline constexpr std::array<KeyType, 6> kKeyTypes = {{
    {"password", 1, kKeyLength64Bit, KeyEncoding::PasswordTransformation},
    {"password128", 2, kKeyLength128Bit, KeyEncoding::PasswordTransformation},
    {"hex64", 3, kKeyLength64Bit, KeyEncoding::HexParse},
    {"hex128", 4, kKeyLength128Bit, KeyEncoding::HexParse},
    {"ascii64", 5, kKeyLength64Bit, KeyEncoding::TextCopy},
    {"ascii128", 6, kKeyLength128Bit, KeyEncoding::TextCopy},
}};

// The key type of that exact (case-sensitive) name, or none.
const KeyType* keyTypeNamed(std::string_view name);

// The key type at that pop-up position, or none (also for position 0).
const KeyType* keyTypeAtPosition(int popupPosition);
