// Stand-in for the Apple80211 framework's WEP key derivation from an AirPort
// base-station password.
#pragma once

#include <cstdint>
#include <string_view>

// Derives a WEP key from the password (UTF-8; its Mac OS Roman bytes are
// used) into the first 13 bytes of keySlot when is128Bit is non-zero, else
// into its first 5 bytes; the slot's other bytes are left alone. An empty
// password gives an all-zero key. Returns 0, or -1 when there is no slot or
// the digest cannot be computed.
int WirelessEncrypt(std::string_view passwordUtf8, uint8_t* keySlot, int is128Bit);
