#include "platform/WirelessEncrypt.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace {

using Slot = std::array<uint8_t, 16>;

constexpr uint8_t kJunk = 0xA5;

Slot junkSlot() {
    Slot slot;
    slot.fill(kJunk);
    return slot;
}

// Derived key followed by the untouched junk of the rest of the slot.
Slot expectedSlot(std::vector<uint8_t> key) {
    Slot slot = junkSlot();
    std::copy(key.begin(), key.end(), slot.begin());
    return slot;
}

struct DerivationCase {
    const char* name;
    std::string password;  // UTF-8
    int is128Bit;
    std::vector<uint8_t> key;
};

void PrintTo(const DerivationCase& row, std::ostream* out) { *out << row.name; }

const std::string kLongPassword = "abcdefghijklmnopqrstuvwxyz0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";

// 13-byte keys computed with the openssl command, e.g. for "secret":
//   python3 -c "import sys; sys.stdout.buffer.write((b'secret'*64)[:64])" |
//     openssl md5 -binary | head -c 13 | od -An -tx1
// and for "Café" (Mac OS Roman 43 61 66 8E):
//   printf 'Caf\x8e%.0s' $(seq 16) | openssl md5 -binary | head -c 13 | od -An -tx1
// 5-byte keys computed with this separate python3 script:
//   f=[0,0,0,0]
//   for i,b in enumerate(pw): f[i%4]^=b
//   s=int.from_bytes(bytes(f),'little')
//   for _ in range(5): s=(s*0x343FD+0x269EC3)&0xFFFFFFFF; out.append((s>>16)&0xFF)
const std::vector<DerivationCase> kDerivations = {
    {"Key104Secret", "secret", 1,
     {0x1c, 0x06, 0x49, 0x22, 0x04, 0x6d, 0x65, 0x17, 0xdf, 0xef, 0x3b, 0x7e, 0xf3}},
    {"Key104OneCharacter", "a", 1,
     {0x01, 0x48, 0x42, 0xd4, 0x80, 0xb5, 0x71, 0x49, 0x5a, 0x4a, 0x03, 0x63, 0x79}},
    {"Key104LongerThanSixtyFour", kLongPassword, 1,
     {0x28, 0x93, 0xa2, 0xb6, 0x98, 0x1b, 0x7a, 0x93, 0xf5, 0x08, 0xbf, 0xd4, 0x17}},
    {"Key104MacRomanBytes", "Caf\xc3\xa9", 1,
     {0xa7, 0x0b, 0x81, 0x40, 0x56, 0x91, 0x65, 0x34, 0xbc, 0xb5, 0xbe, 0xf0, 0x84}},
    {"Key104Empty", "", 1, std::vector<uint8_t>(13, 0)},
    {"Key40Secret", "secret", 0, {0xc9, 0x3c, 0xa3, 0x1e, 0xca}},
    {"Key40OneCharacter", "a", 0, {0x63, 0xca, 0xce, 0x42, 0xd9}},
    {"Key40FourCharacters", "abcd", 0, {0x41, 0x19, 0x2b, 0x54, 0x2a}},
    {"Key40LongerThanSixtyFour", kLongPassword, 0, {0x0e, 0xb5, 0x78, 0x79, 0x4b}},
    {"Key40MacRomanBytes", "Caf\xc3\xa9", 0, {0x92, 0x38, 0x39, 0x0b, 0x01}},
    {"Key40Empty", "", 0, std::vector<uint8_t>(5, 0)},
};

class PlatformWirelessEncrypt : public testing::TestWithParam<DerivationCase> {};

TEST_P(PlatformWirelessEncrypt, DerivesKeyIntoSlotStart) {
    const DerivationCase& row = GetParam();
    Slot slot = junkSlot();
    EXPECT_EQ(WirelessEncrypt(row.password, slot.data(), row.is128Bit), 0);
    EXPECT_EQ(slot, expectedSlot(row.key));
}

INSTANTIATE_TEST_SUITE_P(Passwords, PlatformWirelessEncrypt, testing::ValuesIn(kDerivations),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PlatformWirelessEncryptSlot, NoSlotIsRefused) {
    EXPECT_NE(WirelessEncrypt("secret", nullptr, 1), 0);
}

}  // namespace
