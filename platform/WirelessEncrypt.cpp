// The passphrase-to-key methods common to 802.11b equipment.
#include "platform/WirelessEncrypt.h"

#include "platform/MacRoman.h"

#include <dlfcn.h>
#include <openssl/md5.h>
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
// loading, although most settings files have no such key. The plain MD5
// functions are used because the EVP interface first sets up libcrypto's
// providers and configuration, which costs more than the whole loader run.
class LazyMd5 {
public:
    static constexpr std::size_t kDigestLength = MD5_DIGEST_LENGTH;

    static const LazyMd5& instance() {
        static const LazyMd5 md5;
        return md5;
    }

    bool compute(const unsigned char* data, std::size_t length, unsigned char* digest) const {
        if (init_ == nullptr || update_ == nullptr || final_ == nullptr) return false;
        MD5_CTX context;
        return init_(&context) == 1 && update_(&context, data, length) == 1 && final_(digest, &context) == 1;
    }

private:
    using InitFunction = int (*)(MD5_CTX*);
    using UpdateFunction = int (*)(MD5_CTX*, const void*, std::size_t);
    using FinalFunction = int (*)(unsigned char*, MD5_CTX*);

#define NIMBREL_STRINGIFY_VALUE(x) NIMBREL_STRINGIFY(x)
#define NIMBREL_STRINGIFY(x) #x
    // The run-time name that matches the headers this file is built with.
    static constexpr const char* kLibraryName = "libcrypto.so." NIMBREL_STRINGIFY_VALUE(OPENSSL_VERSION_MAJOR);
#undef NIMBREL_STRINGIFY
#undef NIMBREL_STRINGIFY_VALUE

    // The handle is never closed: the functions stay in use until exit.
    LazyMd5() {
        void* handle = dlopen(kLibraryName, RTLD_NOW | RTLD_LOCAL);
        if (handle != nullptr) {
            init_ = reinterpret_cast<InitFunction>(dlsym(handle, "MD5_Init"));
            update_ = reinterpret_cast<UpdateFunction>(dlsym(handle, "MD5_Update"));
            final_ = reinterpret_cast<FinalFunction>(dlsym(handle, "MD5_Final"));
        }
        // Said once, since callers do not look at the result of a derivation.
        if (init_ == nullptr || update_ == nullptr || final_ == nullptr) {
            const char* reason = dlerror();
            std::fprintf(stderr, "WirelessEncrypt: no MD5 for 128-bit password keys: %s\n",
                         reason != nullptr ? reason : kLibraryName);
        }
    }

    InitFunction init_ = nullptr;
    UpdateFunction update_ = nullptr;
    FinalFunction final_ = nullptr;
};

// 128-bit keys: MD5 of the password repeated to exactly 64 bytes.
bool deriveKey104(const std::string& password, uint8_t* slot) {
    std::array<unsigned char, kDigestInputLength> repeated{};
    for (std::size_t i = 0; i < repeated.size(); ++i) {
        repeated[i] = static_cast<unsigned char>(password[i % password.size()]);
    }
    static_assert(LazyMd5::kDigestLength >= kKey104Length);
    std::array<unsigned char, LazyMd5::kDigestLength> digest{};
    if (!LazyMd5::instance().compute(repeated.data(), repeated.size(), digest.data())) return false;
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
