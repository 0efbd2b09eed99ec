// The passphrase-to-key methods common to 802.11b equipment.
#include "platform/WirelessEncrypt.h"

#include "platform/MacRoman.h"

#include <openssl/evp.h>

#include <array>
#include <cstring>
#include <string>

namespace {

constexpr std::size_t kKey40Length = 5;
constexpr std::size_t kKey104Length = 13;
constexpr std::size_t kDigestInputLength = 64;

// 128-bit keys: MD5 of the password repeated to exactly 64 bytes.
bool deriveKey104(const std::string& password, uint8_t* slot) {
    std::array<unsigned char, kDigestInputLength> repeated{};
    for (std::size_t i = 0; i < repeated.size(); ++i) {
        repeated[i] = static_cast<unsigned char>(password[i % password.size()]);
    }
    std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
    unsigned int digestLength = 0;
    if (EVP_Digest(repeated.data(), repeated.size(), digest.data(), &digestLength, EVP_md5(), nullptr) != 1 ||
        digestLength < kKey104Length) {
        return false;
    }
    std::memcpy(slot, digest.data(), kKey104Length);
    return true;
}

// 64-bit keys: the password folded by XOR into a 32-bit little-endian seed,
// stepped through a linear congruential generator once per key byte.
void deriveKey40(const std::string& password, uint8_t* slot) {
    std::array<uint8_t, 4> folded{};
    for (std::size_t i = 0; i < password.size(); ++i) {
        folded[i % 4] ^= static_cast<uint8_t>(password[i]);
    }
    uint32_t seed = static_cast<uint32_t>(folded[0]) | static_cast<uint32_t>(folded[1]) << 8 |
                    static_cast<uint32_t>(folded[2]) << 16 | static_cast<uint32_t>(folded[3]) << 24;
    for (std::size_t i = 0; i < kKey40Length; ++i) {
        seed = seed * 0x343FDu + 0x269EC3u;
        slot[i] = static_cast<uint8_t>(seed >> 16);
    }
}

}  // namespace

int WirelessEncrypt(std::string_view passwordUtf8, uint8_t* keySlot, int is128Bit) {
    if (keySlot == nullptr) return -1;
    std::size_t keyLength = is128Bit ? kKey104Length : kKey40Length;
    std::string password = platform::toMacRoman(passwordUtf8);
    if (password.empty()) {
        std::memset(keySlot, 0, keyLength);
        return 0;
    }
    if (is128Bit) return deriveKey104(password, keySlot) ? 0 : -1;
    deriveKey40(password, keySlot);
    return 0;
}
