// Network names taken from a scan area written record by record.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "pane/KeyMask.h"
#include "pane/NetworkList.h"

namespace {

struct ScanEntry {
    uint16_t channel;
    uint16_t ssidLength;
    std::string ssid;  // at most 32 bytes
};

struct ScanCase {
    std::string name;
    std::vector<ScanEntry> entries;
    std::vector<std::string> names;
};

void PrintTo(const ScanCase& c, std::ostream* out) { *out << c.name; }

std::vector<std::string> sixteenNames() {
    std::vector<std::string> names;
    for (int i = 0; i < 16; ++i) names.push_back(std::string("N").append(std::to_string(10 + i)));
    return names;
}

std::vector<ScanEntry> sixteenNetworks() {
    std::vector<ScanEntry> entries;
    for (const std::string& name : sixteenNames()) entries.push_back({1, 3, name});
    return entries;
}

const std::string k32 = "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345";

std::vector<ScanCase> scanCases() {
    return {
        {"Empty", {}, {}},
        {"ThreeInDriverOrder",
         {{11, 6, "Office"}, {1, 4, "Cafe"}, {6, 7, "Library"}},
         {"Office", "Cafe", "Library"}},
        {"EqualNamesKept", {{1, 4, "Home"}, {6, 4, "Home"}}, {"Home", "Home"}},
        {"EmptyNameKept", {{1, 0, "Hidden"}, {6, 4, "Home"}}, {"", "Home"}},
        {"StopsAtChannelZero", {{1, 4, "Home"}, {0, 4, "Gone"}, {6, 4, "Lost"}}, {"Home"}},
        {"LengthCountsNotTheBytes", {{1, 3, "Homeland"}}, {"Hom"}},
        {"FullNameField", {{1, 32, k32}}, {k32}},
        {"OverlongLengthCutToField", {{1, 40, k32}, {6, 4, "Next"}}, {k32, "Next"}},
        {"SixteenFilled", sixteenNetworks(), sixteenNames()},
        {"EightBitBytesKept", {{3, 2, "\xA5\x8A"}}, {"\xA5\x8A"}},
    };
}

class PaneNetworkList : public testing::TestWithParam<ScanCase> {};

TEST_P(PaneNetworkList, ListsScannedNames) {
    NMX80211ScanRecord area[kScanRecordCount];
    std::memset(area, 0, sizeof area);
    const auto& entries = GetParam().entries;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        area[i].channel = entries[i].channel;
        area[i].ssidLength = entries[i].ssidLength;
        std::memcpy(area[i].ssid, entries[i].ssid.data(), std::min<std::size_t>(entries[i].ssid.size(), 32));
    }
    EXPECT_EQ(scannedNetworkNames(area), GetParam().names);
}

INSTANTIATE_TEST_SUITE_P(Cases, PaneNetworkList, testing::ValuesIn(scanCases()),
                         [](const auto& info) { return info.param.name; });

struct MaskCase {
    std::string name;
    std::string stored;
    std::string mask;
};

void PrintTo(const MaskCase& c, std::ostream* out) { *out << c.name; }

const std::string kBullet = "\xE2\x80\xA2";

class PaneKeyMask : public testing::TestWithParam<MaskCase> {};

TEST_P(PaneKeyMask, OneBulletPerCharacter) {
    const std::string mask = maskOfStoredKey(GetParam().stored);
    EXPECT_EQ(mask, GetParam().mask);
    EXPECT_EQ(showsStoredKey(mask), !GetParam().stored.empty());
}

std::string bullets(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += kBullet;
    return text;
}

INSTANTIATE_TEST_SUITE_P(Cases, PaneKeyMask,
                         testing::Values(MaskCase{"Empty", "", ""}, MaskCase{"Thirteen", "abcdefghijklm", bullets(13)},
                                         MaskCase{"HexWithPrefix", "$0123456789", bullets(11)},
                                         MaskCase{"NonAsciiCountsCharacters", "caf\xC3\xA9", bullets(4)}),
                         [](const auto& info) { return info.param.name; });

TEST(PaneKeyMaskField, OnlyALeadingBulletCountsAsUnchanged) {
    EXPECT_TRUE(showsStoredKey(kBullet + "typed"));
    EXPECT_FALSE(showsStoredKey("typed" + kBullet));
    EXPECT_FALSE(showsStoredKey("\xE2\x80"));  // a cut bullet is no bullet
    EXPECT_FALSE(showsStoredKey(""));
}

}  // namespace
