#include "settings/KeyEncoding.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint8_t kSentinel = 0xEE;
constexpr std::size_t kGuard = 8;  // sentinel bytes beyond the limit

struct ParseCase {
    const char* name;
    std::optional<std::string> text;  // none: no text
    int32_t limit;
    Bytes paneBytes;    // the first `limit` bytes after the pane's build
    int32_t paneResult;
    Bytes loaderBytes;  // the first `limit` bytes after the loader's build
    int32_t loaderResult;
};

void PrintTo(const ParseCase& row, std::ostream* out) { *out << row.name; }

Bytes padded(Bytes bytes, std::size_t size) {
    bytes.resize(size, 0);
    return bytes;
}

const Bytes kTenDigitBytes = {0x01, 0x23, 0x45, 0x67, 0x89};
const std::string k36Digits = "00112233445566778899aabbccddeeff0102";  // 36 digits
const Bytes k16Bytes = {0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77,
                        0x88, 0x99, 0xaa, 0xbb, 0xcc, 0xdd, 0xee, 0xff};

const std::vector<ParseCase> kParseCases = {
    {"TenDigits", "0123456789", 16, padded(kTenDigitBytes, 16), 10, padded(kTenDigitBytes, 16), 5},
    {"UpperCaseDigits", "ABCDEFabcd", 16, padded({0xab, 0xcd, 0xef, 0xab, 0xcd}, 16), 10,
     padded({0xab, 0xcd, 0xef, 0xab, 0xcd}, 16), 5},
    {"DollarPrefix", "$0123456789", 16, padded(kTenDigitBytes, 16), 10, padded(kTenDigitBytes, 16), 5},
    {"ZeroXPrefix", "0x0123456789", 16, padded(kTenDigitBytes, 16), 10, padded(kTenDigitBytes, 16), 5},
    // The pane's build drops only the "$" and reads "0x" as a pair: '0' then a
    // non-digit yields 0; the loader's build drops all three characters.
    {"DollarThenZeroX", "$0x0123456789", 16, padded({0x00, 0x01, 0x23, 0x45, 0x67, 0x89}, 16), 12,
     padded(kTenDigitBytes, 16), 5},
    {"UpperCaseXIsNoPrefix", "0X0123456789", 16, padded({0x00, 0x01, 0x23, 0x45, 0x67, 0x89}, 16), 12,
     padded({0x00, 0x01, 0x23, 0x45, 0x67, 0x89}, 16), 6},
    {"ZeroXThenDollarIsOnePrefix", "0x$01", 16, padded({0x00}, 16), 3, padded({0x00}, 16), 1},
    {"OddLengthDropsLastDigit", "0123456", 16, padded({0x01, 0x23, 0x45}, 16), 7,
     padded({0x01, 0x23, 0x45}, 16), 3},
    {"SingleDigit", "7", 16, Bytes(16, 0), 1, Bytes(16, 0), 0},
    {"MoreThan32DigitsStopAtLimit", k36Digits, 16, k16Bytes, 36, k16Bytes, 16},
    {"LimitBelowPairs", "0123456789", 2, {0x01, 0x23}, 10, {0x01, 0x23}, 2},
    {"NoText", std::nullopt, 16, Bytes(16, 0), 0, Bytes(16, 0), 0},
    {"EmptyText", "", 16, Bytes(16, 0), 0, Bytes(16, 0), 0},
    {"PrefixOnly", "$", 16, Bytes(16, 0), 0, Bytes(16, 0), 0},
    {"LimitZero", "0123456789", 0, {}, 10, {}, 0},
    {"NegativeLimit", "0123456789", -4, {}, 10, {}, 0},
    // Pairs that are not a hexadecimal number: the leading hex digits count.
    {"PairWithNonDigitSecond", "1g2G", 16, padded({0x01, 0x02}, 16), 4, padded({0x01, 0x02}, 16), 2},
    {"PairStartingWithNonDigit", "g1 1-1", 16, padded({0x00, 0x00, 0x00}, 16), 6,
     padded({0x00, 0x00, 0x00}, 16), 3},
    {"MacRomanBytes", "\x8e\x8e" "ff", 16, padded({0x00, 0xff}, 16), 4, padded({0x00, 0xff}, 16), 2},
};

// The text in a buffer of exactly its size, so that reading past its NUL is
// caught by the address sanitizer; the output with sentinels beyond the limit.
struct ParseRun {
    Bytes written;
    Bytes guard;
    int32_t result;
};

template <typename Parser>
ParseRun runBuild(Parser parser, const ParseCase& row) {
    std::vector<char> text;
    if (row.text) text.assign(row.text->c_str(), row.text->c_str() + row.text->size() + 1);
    std::size_t limit = row.limit > 0 ? static_cast<std::size_t>(row.limit) : 0;
    Bytes out(limit + kGuard, kSentinel);
    int32_t result = parser(row.text ? text.data() : nullptr, out.data(), row.limit);
    return {Bytes(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(limit)),
            Bytes(out.begin() + static_cast<std::ptrdiff_t>(limit), out.end()), result};
}

class SettingsParseKey : public testing::TestWithParam<ParseCase> {};

TEST_P(SettingsParseKey, BothBuildsSideBySide) {
    const ParseCase& row = GetParam();
    ParseRun pane = runBuild(parseKeyPaneBuild, row);
    ParseRun loader = runBuild(parseKeyLoaderBuild, row);
    EXPECT_EQ(pane.written, row.paneBytes);
    EXPECT_EQ(pane.result, row.paneResult);
    EXPECT_EQ(pane.guard, Bytes(kGuard, kSentinel)) << "pane's build wrote past the limit";
    EXPECT_EQ(loader.written, row.loaderBytes);
    EXPECT_EQ(loader.result, row.loaderResult);
    EXPECT_EQ(loader.guard, Bytes(kGuard, kSentinel)) << "loader's build wrote past the limit";
}

INSTANTIATE_TEST_SUITE_P(Texts, SettingsParseKey, testing::ValuesIn(kParseCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct CountCase {
    const char* name;
    const char* text;
    int32_t counted;
};

void PrintTo(const CountCase& row, std::ostream* out) { *out << row.name; }

class SettingsParseKeyCount : public testing::TestWithParam<CountCase> {};

// The pane's build without an output area: writes nothing, counts characters.
TEST_P(SettingsParseKeyCount, PaneBuildCountsWithoutOutput) {
    EXPECT_EQ(parseKeyPaneBuild(GetParam().text, nullptr, 0), GetParam().counted);
    EXPECT_EQ(parseKeyPaneBuild(GetParam().text, nullptr, 16), GetParam().counted);
}

INSTANTIATE_TEST_SUITE_P(Texts, SettingsParseKeyCount,
                         testing::Values(CountCase{"TenDigits", "0123456789", 10},
                                         CountCase{"Dollar", "$0123456789", 10},
                                         CountCase{"ZeroX", "0x0123456789", 10},
                                         CountCase{"DollarZeroX", "$0x0123456789", 12},
                                         CountCase{"UpperX", "0X0123456789", 12},
                                         CountCase{"NoText", nullptr, 0},
                                         CountCase{"Empty", "", 0}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
