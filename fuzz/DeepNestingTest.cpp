// Settings files nested far deeper than any settings file could be. libplist
// builds, copies and frees its trees recursively, so such a file must be
// refused as no dictionary before it is parsed, through the same reader that
// the pane and the loader use. Each generator is first shown to produce a
// file that reads as a dictionary when shallow, so that a deep file is
// refused for its depth and not for a fault of the generator.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

#include "settings/SettingsFile.h"
#include "tests/settings/TempFolder.h"

namespace {

constexpr int kFarTooDeep = 100000;

// <dict><key>Deep</key><array><array>...</array></array></dict>
std::string xmlNested(int levels) {
    std::string text =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict><key>Deep</key>";
    for (int i = 0; i < levels; ++i) text += "<array>";
    for (int i = 0; i < levels; ++i) text += "</array>";
    return text + "</dict>\n</plist>\n";
}

// The same with no closing tags: the opening tags of a 100000-deep file fit
// well within the size limit, so only the nesting bound stops it.
std::string xmlOpenedOnly(int levels) {
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict><key>Deep</key>";
    for (int i = 0; i < levels; ++i) text += "<array>";
    return text;
}

void appendBigEndian(std::string& out, uint64_t value, int width) {
    for (int shift = 8 * (width - 1); shift >= 0; shift -= 8) out += static_cast<char>((value >> shift) & 0xFF);
}

// A binary property list written out by hand: object 0 the root dictionary
// {"Deep": object 2}, object 1 the key, objects 2 to levels + 1 arrays that
// each hold the next, the last one empty. References and offsets are three
// bytes wide.
std::string binaryNested(int levels) {
    constexpr int kWidth = 3;
    const uint64_t objects = static_cast<uint64_t>(levels) + 2;
    std::string file = "bplist00";
    std::vector<uint64_t> offsets;
    offsets.push_back(file.size());
    file += static_cast<char>(0xD1);  // dictionary of one entry: key ref, value ref
    appendBigEndian(file, 1, kWidth);
    appendBigEndian(file, 2, kWidth);
    offsets.push_back(file.size());
    file += static_cast<char>(0x54);  // ASCII string of 4
    file += "Deep";
    for (uint64_t object = 2; object < objects; ++object) {
        offsets.push_back(file.size());
        if (object + 1 < objects) {
            file += static_cast<char>(0xA1);  // array of one
            appendBigEndian(file, object + 1, kWidth);
        } else {
            file += static_cast<char>(0xA0);  // empty array
        }
    }
    const uint64_t offsetTable = file.size();
    for (uint64_t offset : offsets) appendBigEndian(file, offset, kWidth);
    file += std::string(6, '\0');
    file += static_cast<char>(kWidth);  // offset size
    file += static_cast<char>(kWidth);  // reference size
    appendBigEndian(file, objects, 8);
    appendBigEndian(file, 0, 8);  // top object
    appendBigEndian(file, offsetTable, 8);
    return file;
}

struct DeepCase {
    const char* name;
    std::string (*generate)(int);
    int levels;
    bool readsAsDictionary;
};

const DeepCase kDeepCases[] = {
    {"XmlShallow", xmlNested, 3, true},
    {"XmlFarTooDeep", xmlNested, kFarTooDeep, false},
    {"XmlDeepestWithinSizeLimit", xmlNested, 65000, false},
    {"XmlOpenedOnlyFarTooDeep", xmlOpenedOnly, kFarTooDeep, false},
    {"BinaryShallow", binaryNested, 3, true},
    {"BinaryFarTooDeep", binaryNested, kFarTooDeep, false},
};

void PrintTo(const DeepCase& deep, std::ostream* out) { *out << deep.name; }

class FuzzDeepNesting : public testing::TestWithParam<DeepCase> {};

TEST_P(FuzzDeepNesting, FarTooDeepReadsAsNoDictionary) {
    const DeepCase& deep = GetParam();
    TempFolder folder;
    const std::string path = folder.writeFile("com.nimbrel.80211b.plist", deep.generate(deep.levels));
    // Reading, and freeing what was read at the end of the scope.
    const std::optional<SettingsDictionary> settings = readSettingsFile(path);
    EXPECT_EQ(settings.has_value(), deep.readsAsDictionary);
    EXPECT_EQ(settings && settings->contains("Deep"), deep.readsAsDictionary);
}

INSTANTIATE_TEST_SUITE_P(Files, FuzzDeepNesting, testing::ValuesIn(kDeepCases),
                         [](const testing::TestParamInfo<DeepCase>& info) { return std::string(info.param.name); });

TEST(FuzzDeepNestingSizes, TheDeepestFilesStayWithinTheSizeLimit) {
    // Otherwise the size limit, not the nesting bound, would refuse them.
    EXPECT_LE(xmlNested(65000).size(), platform::kMaxPropertyListFileSize);
    EXPECT_LE(xmlOpenedOnly(kFarTooDeep).size(), platform::kMaxPropertyListFileSize);
    EXPECT_LE(binaryNested(kFarTooDeep).size(), platform::kMaxPropertyListFileSize);
}

}  // namespace
