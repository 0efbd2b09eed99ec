// The passphrase-to-key methods common to 802.11b equipment.
#include "platform/WirelessEncrypt.h"

#include "platform/MacRoman.h"

#include <dlfcn.h>
#include <openssl/evp.h>
#include <openssl/opensslv.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr std::size_t kKey40Length = 5;
constexpr std::size_t kKey104Length = 13;
constexpr std::size_t kDigestInputLength = 64;

// libcrypto's MD5, opened the first time a 128-bit password key is derived.
// Linking libcrypto would make every start of WirelessLoader pay for its
// loading and relocation, although most settings files have no such key.
class LazyMd5 {
public:
    static const LazyMd5& instance() {
        static const LazyMd5 md5;
        return md5;
    }

    bool available() const { return digest_ != nullptr && md5_ != nullptr; }

    bool compute(const unsigned char* data, std::size_t length, unsigned char* out, unsigned int* outLength) const {
        if (!available()) return false;
        const EVP_MD* md5 = md5_();
        return md5 != nullptr && digest_(data, length, out, outLength, md5, nullptr) == 1;
    }

private:
    using DigestFunction = decltype(&EVP_Digest);
    using Md5Function = decltype(&EVP_md5);

#define NIMBREL_STRINGIFY_VALUE(x) NIMBREL_STRINGIFY(x)
#define NIMBREL_STRINGIFY(x) #x
    // The run-time name that matches the headers this file is built with.
    static constexpr const char* kLibraryName = "libcrypto.so." NIMBREL_STRINGIFY_VALUE(OPENSSL_VERSION_MAJOR);
#undef NIMBREL_STRINGIFY
#undef NIMBREL_STRINGIFY_VALUE

    // The handle is never closed: the functions stay in use until exit.
    LazyMd5() : handle_(dlopen(kLibraryName, RTLD_NOW | RTLD_LOCAL)) {
        if (handle_ != nullptr) {
            digest_ = reinterpret_cast<DigestFunction>(dlsym(handle_, "EVP_Digest"));
            md5_ = reinterpret_cast<Md5Function>(dlsym(handle_, "EVP_md5"));
        }
        // Said once, since callers do not look at the result of a derivation.
        if (!available()) {
            const char* reason = dlerror();
            std::fprintf(stderr, "WirelessEncrypt: no MD5 for 128-bit password keys: %s\n",
                         reason != nullptr ? reason : kLibraryName);
        }
    }

    void* handle_ = nullptr;
    DigestFunction digest_ = nullptr;
    Md5Function md5_ = nullptr;
};

// 128-bit keys: MD5 of the password repeated to exactly 64 bytes.
bool deriveKey104(const std::string& password, uint8_t* slot) {
    std::array<unsigned char, kDigestInputLength> repeated{};
    for (std::size_t i = 0; i < repeated.size(); ++i) {
        repeated[i] = static_cast<unsigned char>(password[i % password.size()]);
    }
    std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
    unsigned int digestLength = 0;
    if (!LazyMd5::instance().compute(repeated.data(), repeated.size(), digest.data(), &digestLength) ||
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
