#include "settings/SettingsFile.h"

#include "tests/settings/TempFolder.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

std::string xmlFile(const std::string& entries) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
           "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
           "<plist version=\"1.0\">\n<dict>\n" +
           entries + "</dict>\n</plist>\n";
}

// Made with python3: plistlib.dumps({'DesiredSSID': 'ANY', 'WEPTxKey': '2'},
// fmt=plistlib.FMT_BINARY)
const std::string kBinarySettings = [] {
    const unsigned char bytes[] = {
        0x62, 0x70, 0x6c, 0x69, 0x73, 0x74, 0x30, 0x30, 0xd2, 0x01, 0x02, 0x03, 0x04, 0x5b, 0x44,
        0x65, 0x73, 0x69, 0x72, 0x65, 0x64, 0x53, 0x53, 0x49, 0x44, 0x58, 0x57, 0x45, 0x50, 0x54,
        0x78, 0x4b, 0x65, 0x79, 0x53, 0x41, 0x4e, 0x59, 0x51, 0x32, 0x08, 0x0d, 0x19, 0x22, 0x26,
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
        0x05, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
        0x00, 0x28};
    return std::string(reinterpret_cast<const char*>(bytes), sizeof bytes);
}();

struct ReadCase {
    const char* name;
    std::optional<std::string> content;  // none: no file at all
    bool readsDictionary;
    Entries strings;                  // string values that read back
    std::vector<std::string> absent;  // keys whose value reads as no string
};

void PrintTo(const ReadCase& row, std::ostream* out) { *out << row.name; }

std::string oversized() {
    std::string file = xmlFile("<key>DesiredSSID</key><string>ANY</string>\n");
    file.insert(file.find("<dict>"), platform::kMaxPropertyListFileSize, '\n');
    return file;
}

const std::vector<ReadCase> kReadCases = {
    {"Missing", std::nullopt, false, {}, {}},
    {"Malformed", xmlFile("<key>DesiredSSID</key><string>ANY"), false, {}, {}},
    {"NotAPropertyList", "DesiredSSID = ANY;\n", false, {}, {}},
    {"RootIsNoDictionary", "<?xml version=\"1.0\"?><plist version=\"1.0\"><array/></plist>", false, {}, {}},
    {"Oversized", oversized(), false, {}, {}},
    {"Xml",
     xmlFile("<key>DesiredSSID</key><string>Home</string>\n<key>IBSSmode</key><string>YES</string>\n"
             "<key>WEPKeyValue</key><string></string>\n"),
     true,
     {{"DesiredSSID", "Home"}, {"IBSSmode", "YES"}, {"WEPKeyValue", ""}},
     {"ShortPreamble"}},
    {"Binary", kBinarySettings, true, {{"DesiredSSID", "ANY"}, {"WEPTxKey", "2"}}, {}},
    {"NonStringValues",
     xmlFile("<key>DesiredSSID</key><string>ANY</string>\n<key>IBSSmode</key><true/>\n"
             "<key>WEPTxKey</key><integer>2</integer>\n<key>WEPKeyValue</key><data>AQID</data>\n"
             "<key>WEPKey1</key><array><string>x</string></array>\n"),
     true,
     {{"DesiredSSID", "ANY"}},
     {"IBSSmode", "WEPTxKey", "WEPKeyValue", "WEPKey1"}},
};

class SettingsFileRead : public testing::TestWithParam<ReadCase> {};

TEST_P(SettingsFileRead, ReadsStringsOrNoDictionary) {
    const ReadCase& row = GetParam();
    TempFolder folder;
    std::string path = row.content ? folder.writeFile("settings.plist", *row.content)
                                   : folder.file("settings.plist");
    std::optional<SettingsDictionary> settings = readSettingsFile(path);
    ASSERT_EQ(settings.has_value(), row.readsDictionary);
    if (!settings) return;
    for (const auto& [key, value] : row.strings) EXPECT_EQ(settings->string(key), value) << key;
    for (const std::string& key : row.absent) EXPECT_FALSE(settings->string(key)) << key;
}

INSTANTIATE_TEST_SUITE_P(Files, SettingsFileRead, testing::ValuesIn(kReadCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A file as a pane writes it, with an entry of another program and values
// that only a hand edit gives: every entry comes back, byte for byte.
TEST(SettingsFileWrite, EveryEntryReadsBackUnchanged) {
    TempFolder folder;
    std::string path = folder.writeFile(
        "settings.plist",
        xmlFile("<key>DesiredSSID</key><string>Caf\xc3\xa9 &lt;5GHz&gt;</string>\n"
                "<key>WEPKeyValue</key><string>0x0123456789</string>\n"
                "<key>com.example.Unknown</key><string>kept</string>\n"
                "<key>HandEditedNumber</key><integer>-7</integer>\n"
                "<key>HandEditedData</key><data>AAEC/w==</data>\n"
                "<key>HandEditedList</key><array><real>2.5</real><false/>"
                "<dict><key>deep</key><date>2003-10-24T12:00:00Z</date></dict></array>\n"));
    std::optional<SettingsDictionary> first = readSettingsFile(path);
    ASSERT_TRUE(first);
    SettingsDictionary edited = *first;
    edited.setString("IBSSmode", "NO");

    ASSERT_TRUE(writeSettingsFile(path, edited));
    std::optional<SettingsDictionary> back = readSettingsFile(path);
    ASSERT_TRUE(back);
    ASSERT_EQ(back->size(), 7u);
    for (const auto& [key, value] : edited.entries()) {
        const platform::PropertyValue* read = back->find(key);
        ASSERT_NE(read, nullptr) << key;
        EXPECT_TRUE(*read == value) << key;
    }
    EXPECT_EQ(back->string("DesiredSSID"), "Caf\xc3\xa9 <5GHz>");
    EXPECT_EQ(back->string("WEPKeyValue"), "0x0123456789");
    EXPECT_EQ(back->string("com.example.Unknown"), "kept");
    EXPECT_EQ(back->find("HandEditedNumber")->asInteger(), -7);
    EXPECT_EQ(back->find("HandEditedData")->asData(), (std::vector<uint8_t>{0x00, 0x01, 0x02, 0xff}));
    EXPECT_EQ(back->string("IBSSmode"), "NO");
}

TEST(SettingsFileWrite, WholeDictionaryReplacesOldContents) {
    TempFolder folder;
    std::string path = folder.writeFile(
        "settings.plist", xmlFile("<key>Old</key><string>" + std::string(5000, 'o') + "</string>\n"));
    SettingsDictionary settings;
    settings.setString("DesiredSSID", "ANY");
    ASSERT_TRUE(writeSettingsFile(path, settings));
    std::optional<SettingsDictionary> back = readSettingsFile(path);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->size(), 1u);
    EXPECT_FALSE(back->contains("Old"));
}

TEST(SettingsFileWrite, FailureIsReported) {
    TempFolder folder;
    SettingsDictionary settings;
    settings.setString("DesiredSSID", "ANY");
    EXPECT_FALSE(writeSettingsFile(folder.file("missing-folder/settings.plist"), settings));
}

}  // namespace
