// The three key encodings that turn a key text into key bytes, and parseKey,
// the hex-key parser, in its two builds.
#pragma once

#include "driver/Records.h"
#include "settings/KeyTypes.h"

#include <array>
#include <cstdint>
#include <string_view>

// Size of the scratch buffer that holds a hex key text: 63 bytes and a NUL.
inline constexpr std::size_t kKeyTextBufferSize = 64;

// Both builds of parseKey: zero the first `limit` bytes of `out` (when given),
// drop a prefix, then store one byte per pair of characters, at most `limit`.
// A pair yields the value of its leading hex digits (one or two, either
// case); a pair that does not start with a hex digit yields 0. Neither reads
// past the text's NUL nor writes past `limit`; a negative limit counts as 0,
// and without `out` nothing is written.
//
// The pane's build drops a leading "$", or else a leading "0x", and returns
// the number of characters after the prefix (the counted length of a key).
int32_t parseKeyPaneBuild(const char* text, uint8_t* out, int32_t limit);
// The loader's build drops a leading "$" and after it a leading "0x", and
// returns the number of bytes written.
int32_t parseKeyLoaderBuild(const char* text, uint8_t* out, int32_t limit);

// One of the two builds above, as its caller takes it.
using ParseKeyFunction = int32_t (*)(const char* text, uint8_t* out, int32_t limit);

// Text copy: the first keyLength bytes of the slot become the 8-bit text,
// padded with zero bytes or cut; no terminator. The slot's later bytes keep
// their values. keyLength is capped at the slot's 16 bytes.
void copyTextKey(std::string_view bytes8bit, uint8_t* slot, uint8_t keyLength);

// The 8-bit form of a key text (UTF-8) as parseKey takes it: at most 63 bytes
// and a NUL.
std::array<char, kKeyTextBufferSize> hexKeyScratch(std::string_view utf8);

// Password transformation through WirelessEncrypt, 128-bit when the slot's
// key length at this moment is above 5.
void transformPassword(std::string_view passwordUtf8, uint8_t* slot, uint8_t keyLengthNow);

// Hex parse: the 8-bit form of a key text (UTF-8) parsed by `parse` into a
// whole 16-byte key slot. Returns what `parse` returns.
int32_t parseHexKey(ParseKeyFunction parse, std::string_view keyUtf8, uint8_t* slot);

// Encodes a key text (UTF-8) into key slot 0 of the record by `encoding`:
// text copy of keyLength[0] bytes, hex parse through `parse`, or password
// transformation with the 128-bit flag taken from keyLength[0].
void encodePreferredKey(std::string_view keyUtf8, KeyEncoding encoding, ParseKeyFunction parse,
                        PrismPrefsRecord& record);

// A decimal number read the way atoi reads it, from at most the first 63
// characters: leading white space, an optional sign, then digits; 0 when
// there are none. Values beyond the int32_t range are clamped.
int32_t decimalValue(std::string_view text);
