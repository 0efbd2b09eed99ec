#include "platform/PropertyList.h"

#include "tests/settings/TempFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/types.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace {

using platform::PropertyDictionary;
using platform::PropertyValue;

const std::string kXmlHead =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
    "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
    "<plist version=\"1.0\">\n";
const std::string kXmlTail = "</plist>\n";

std::string xmlPlist(const std::string& body) { return kXmlHead + body + kXmlTail; }

std::string bytesOf(std::initializer_list<uint8_t> bytes) {
    return std::string(bytes.begin(), bytes.end());
}

// Made with python3: plistlib.dumps({'DesiredSSID': 'Home', 'IBSSmode': 'YES',
// 'Count': 3}, fmt=plistlib.FMT_BINARY)
const std::string kBinaryDictionary = bytesOf({
    0x62, 0x70, 0x6c, 0x69, 0x73, 0x74, 0x30, 0x30, 0xd3, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06,
    0x55, 0x43, 0x6f, 0x75, 0x6e, 0x74, 0x5b, 0x44, 0x65, 0x73, 0x69, 0x72, 0x65, 0x64, 0x53,
    0x53, 0x49, 0x44, 0x58, 0x49, 0x42, 0x53, 0x53, 0x6d, 0x6f, 0x64, 0x65, 0x10, 0x03, 0x54,
    0x48, 0x6f, 0x6d, 0x65, 0x53, 0x59, 0x45, 0x53, 0x08, 0x0f, 0x15, 0x21, 0x2a, 0x2c, 0x31,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x07, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x35,
});

// Made with python3: plistlib.dumps(['a'], fmt=plistlib.FMT_BINARY)
const std::string kBinaryArray = bytesOf({
    0x62, 0x70, 0x6c, 0x69, 0x73, 0x74, 0x30, 0x30, 0xa1, 0x01, 0x51, 0x61, 0x08, 0x0a, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x0c,
});

// A binary property list laid out by hand: a root dictionary {"k": object 2},
// then `arrays` one-element arrays, each referring to the next, the last one
// referring to an empty dictionary. With `fanOut` each array refers to the
// next one twice, so the graph is small but unfolds exponentially.
std::string binaryChain(int arrays, bool fanOut) {
    std::string out = "bplist00";
    std::vector<uint64_t> offsets;
    auto ref = [](int index) { return static_cast<char>(static_cast<uint8_t>(index >> 8)); };
    auto refLow = [](int index) { return static_cast<char>(static_cast<uint8_t>(index)); };
    // object 0: dictionary with one entry, key object 1, value object 2
    offsets.push_back(out.size());
    out += bytesOf({0xd1, 0x00, 0x01, 0x00, 0x02});
    // object 1: the key "k"
    offsets.push_back(out.size());
    out += bytesOf({0x51, 'k'});
    for (int i = 0; i < arrays; ++i) {
        int next = 2 + i + 1;
        offsets.push_back(out.size());
        out += static_cast<char>(fanOut ? 0xa2 : 0xa1);
        out += ref(next);
        out += refLow(next);
        if (fanOut) {
            out += ref(next);
            out += refLow(next);
        }
    }
    offsets.push_back(out.size());
    out += static_cast<char>(0xd0);  // the empty dictionary at the end
    uint64_t tableOffset = out.size();
    for (uint64_t offset : offsets) {
        for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((offset >> shift) & 0xff);
    }
    out += std::string(6, '\0');
    out += static_cast<char>(4);  // offset size
    out += static_cast<char>(2);  // reference size
    auto bigEndian64 = [&](uint64_t value) {
        for (int shift = 56; shift >= 0; shift -= 8) out += static_cast<char>((value >> shift) & 0xff);
    };
    bigEndian64(offsets.size());
    bigEndian64(0);
    bigEndian64(tableOffset);
    return out;
}

std::string repeated(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += text;
    return out;
}

std::string arrays(int levels) {
    std::string open, close;
    for (int i = 0; i < levels; ++i) {
        open += "<array>";
        close += "</array>";
    }
    return open + close;
}

std::string nestedArrays(int levels) { return xmlPlist("<dict><key>k</key>" + arrays(levels) + "</dict>"); }

// A valid settings file of exactly `size` bytes, padded with white space.
std::string settingsFileOfSize(std::size_t size) {
    std::string body = xmlPlist("<dict><key>DesiredSSID</key><string>Home</string></dict>");
    body.insert(body.size() - kXmlTail.size(), size - body.size(), ' ');
    return body;
}

using Entries = std::vector<std::pair<std::string, std::string>>;

struct ReadCase {
    const char* name;
    std::string content;
    bool readsDictionary;
    Entries strings;  // string entries expected when a dictionary is read
};

const std::vector<ReadCase> kReadCases = {
    {"EmptyFile", "", false, {}},
    {"NotAPropertyList", "DesiredSSID=Home\n", false, {}},
    {"TruncatedXml", kXmlHead + "<dict><key>DesiredSSID</key><string>Ho", false, {}},
    {"MismatchedTags", xmlPlist("<dict><key>A</key><string>x</array></dict>"), false, {}},
    {"XmlRootArray", xmlPlist("<array><string>a</string></array>"), false, {}},
    {"XmlRootString", xmlPlist("<string>DesiredSSID</string>"), false, {}},
    {"BinaryRootArray", kBinaryArray, false, {}},
    {"BinaryTruncated", kBinaryDictionary.substr(0, 60), false, {}},
    {"XmlDictionary",
     xmlPlist("<dict><key>DesiredSSID</key><string>Caf\xc3\xa9 &amp; Bar</string>"
              "<key>WEPKeyValue</key><string></string></dict>"),
     true,
     {{"DesiredSSID", "Caf\xc3\xa9 & Bar"}, {"WEPKeyValue", ""}}},
    {"EmptyXmlDictionary", xmlPlist("<dict/>"), true, {}},
    {"BinaryDictionary", kBinaryDictionary, true, {{"DesiredSSID", "Home"}, {"IBSSmode", "YES"}}},
    {"ExactlyOneMebibyte", settingsFileOfSize(platform::kMaxPropertyListFileSize), true,
     {{"DesiredSSID", "Home"}}},
    {"OneByteOverOneMebibyte", settingsFileOfSize(platform::kMaxPropertyListFileSize + 1), false,
     {}},
    // The root dictionary is the first of 64 permitted levels.
    {"XmlNestedToTheLimit", nestedArrays(63), true, {}},
    {"XmlNestedPastTheLimit", nestedArrays(64), false, {}},
    {"XmlNestedFarTooDeep", nestedArrays(200000), false, {}},
    {"XmlCloseTagsInCommentDoNotHideNesting",
     xmlPlist("<dict><!-- </array></array></array> --><key>k</key>" + arrays(64) + "</dict>"),
     false,
     {}},
    {"XmlUnterminatedComment", xmlPlist("<dict><!-- <key>a</key></dict>"), false, {}},
    // The parser honours quotes in tags and ends "<?>" at once: neither hides nesting.
    {"XmlQuotedSlashDoesNotHideNesting",
     xmlPlist("<dict><key>k</key>" + repeated("<array a=\"/>\">", 64) + repeated("</array>", 64) + "</dict>"),
     false,
     {}},
    {"XmlShortInstructionDoesNotHideNesting",
     xmlPlist("<dict><key>k</key><?>" + arrays(64) + "<? ?></dict>"), false, {}},
    {"XmlAmbiguousTagEnd", xmlPlist("<dict a=\">\"><key>k</key><string>v</string></dict>"), false, {}},
    {"XmlTagHoldingLessThan", xmlPlist("<dict <key>k</key><string>v</string></dict>"), false, {}},
    {"XmlSelfClosingContainers",
     xmlPlist("<dict><key>a</key><array/><key>d</key><dict /><key>s</key><string>v</string></dict>"), true,
     {{"s", "v"}}},
    {"XmlCommentsAndInstructions",
     xmlPlist("<!-- head --><dict><?pi x?><key>s</key><!-- <array> --><string>v</string></dict>"), true,
     {{"s", "v"}}},
    {"BinaryNestedToTheLimit", binaryChain(62, false), true, {}},
    {"BinaryNestedPastTheLimit", binaryChain(63, false), false, {}},
    {"BinaryNestedFarTooDeep", binaryChain(5000, false), false, {}},
    {"BinarySharedObjectsUnfoldTooFar", binaryChain(40, true), false, {}},
};

void PrintTo(const ReadCase& row, std::ostream* out) { *out << row.name; }

class PlatformPropertyListRead : public testing::TestWithParam<ReadCase> {};

TEST_P(PlatformPropertyListRead, ReadsOrRefuses) {
    const ReadCase& row = GetParam();
    TempFolder folder;
    auto read = platform::readPropertyListDictionary(folder.writeFile("in.plist", row.content));
    ASSERT_EQ(read.has_value(), row.readsDictionary);
    if (!read) return;
    for (const auto& [key, value] : row.strings) {
        EXPECT_EQ(read->string(key), value) << key;
    }
}

INSTANTIATE_TEST_SUITE_P(Files, PlatformPropertyListRead, testing::ValuesIn(kReadCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The check in front of the parser, on its own: files whose nesting a lexer
// could see deeper than the scan must be refused by the scan itself, since
// the parser frees a deep tree recursively when it gives up.
struct ScanCase {
    const char* name;
    std::string content;
    bool withinBound;
};

void PrintTo(const ScanCase& row, std::ostream* out) { *out << row.name; }

std::span<const uint8_t> bytesSpan(const std::string& text) {
    return std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

const std::vector<ScanCase> kScanCases = {
    {"PlainSettings", xmlPlist("<dict><key>k</key><string>v</string></dict>"), true},
    {"NestedToTheLimit", nestedArrays(63), true},
    {"NestedPastTheLimit", nestedArrays(64), false},
    {"UnclosedDeepNesting", kXmlHead + "<dict><key>k</key>" + repeated("<array>", 100000), false},
    {"QuotedSlashInOpeningTags", kXmlHead + "<dict><key>k</key>" + repeated("<array a=\"/>\">", 70000), false},
    {"ShortInstructionHidingTags", kXmlHead + "<dict><key>k</key><?>" + repeated("<array>", 100000) + "?>",
     false},
    {"CommentHidingTags", kXmlHead + "<dict><key>k</key><!-->" + repeated("<array>", 100000) + "-->", false},
    {"CloseTagsInCommentThenNesting",
     xmlPlist("<dict><!-- </array></array></array> --><key>k</key>" + arrays(64) + "</dict>"), false},
    {"CloseBeforeAnyOpen", xmlPlist("</array><dict/>"), false},
    {"BinaryToTheLimit", binaryChain(62, false), true},
    {"BinaryPastTheLimit", binaryChain(63, false), false},
    {"BinaryUnfoldingTooFar", binaryChain(40, true), false},
    {"BinaryUnfoldingWithinBound", binaryChain(10, true), true},
};

class PlatformPropertyListScan : public testing::TestWithParam<ScanCase> {};

TEST_P(PlatformPropertyListScan, BoundsNestingBeforeParsing) {
    EXPECT_EQ(platform::propertyListNestingWithinBound(bytesSpan(GetParam().content)), GetParam().withinBound);
}

INSTANTIATE_TEST_SUITE_P(Inputs, PlatformPropertyListScan, testing::ValuesIn(kScanCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PlatformPropertyListReadPaths, MissingFileAndFolderReadAsNoDictionary) {
    TempFolder folder;
    EXPECT_FALSE(platform::readPropertyListDictionary(folder.file("absent.plist")));
    EXPECT_FALSE(platform::readPropertyListDictionary(folder.file("")));
}

TEST(PlatformPropertyListReadPaths, BinaryNestedToTheLimitKeepsItsDepth) {
    auto read = platform::parsePropertyListDictionary(std::span(
        reinterpret_cast<const uint8_t*>(binaryChain(62, false).data()), binaryChain(62, false).size()));
    ASSERT_TRUE(read);
    int depth = 1;
    std::optional<PropertyValue> value = *read->find("k");
    while (auto items = value->asArray()) {
        ASSERT_EQ(items->size(), 1u);
        value = (*items)[0];
        ++depth;
    }
    EXPECT_EQ(value->kind(), PropertyValue::Kind::Dictionary);
    EXPECT_EQ(depth + 1, 64);
}

const std::string kHandEdited = xmlPlist(
    "<dict>"
    "<key>DesiredSSID</key><string>Home</string>"
    "<key>IBSSmode</key><true/>"
    "<key>WEPTxKey</key><integer>3</integer>"
    "<key>Gain</key><real>1.5</real>"
    "<key>Blob</key><data>AAEC/w==</data>"
    "<key>Since</key><date>2004-05-06T07:08:09Z</date>"
    "<key>List</key><array><string>a</string><integer>7</integer><dict/></array>"
    "<key>Nested</key><dict><key>inner</key><string>x</string></dict>"
    "</dict>");

struct KindCase {
    const char* key;
    PropertyValue::Kind kind;
};

TEST(PlatformPropertyListValues, NonStringValuesReadAsAbsentStrings) {
    TempFolder folder;
    auto read = platform::readPropertyListDictionary(folder.writeFile("in.plist", kHandEdited));
    ASSERT_TRUE(read);
    const KindCase cases[] = {
        {"IBSSmode", PropertyValue::Kind::Boolean}, {"WEPTxKey", PropertyValue::Kind::Integer},
        {"Gain", PropertyValue::Kind::Real},        {"Blob", PropertyValue::Kind::Data},
        {"Since", PropertyValue::Kind::Date},       {"List", PropertyValue::Kind::Array},
        {"Nested", PropertyValue::Kind::Dictionary},
    };
    for (const KindCase& row : cases) {
        ASSERT_TRUE(read->contains(row.key)) << row.key;
        EXPECT_EQ(read->find(row.key)->kind(), row.kind) << row.key;
        EXPECT_FALSE(read->string(row.key)) << row.key;
    }
    EXPECT_EQ(read->find("WEPTxKey")->asInteger(), 3);
    EXPECT_EQ(read->find("IBSSmode")->asBoolean(), true);
    EXPECT_EQ(read->find("Blob")->asData(), (std::vector<uint8_t>{0x00, 0x01, 0x02, 0xff}));
    EXPECT_EQ(read->find("Nested")->asDictionary()->string("inner"), "x");
    EXPECT_EQ(read->string("DesiredSSID"), "Home");
}

TEST(PlatformPropertyListWrite, EveryEntryReadsBackUnchanged) {
    TempFolder folder;
    auto original = platform::readPropertyListDictionary(folder.writeFile("in.plist", kHandEdited));
    ASSERT_TRUE(original);
    PropertyDictionary changed = *original;
    changed.setString("DesiredSSID", "Caf\xc3\xa9 <&> \"quoted\"");
    changed.setString("WEPKeyValue", "");
    changed.setString("UnknownKey", "kept");

    std::string out = folder.file("out.plist");
    ASSERT_TRUE(platform::writePropertyListDictionary(out, changed));
    std::string firstText = TempFolder::contents(out);
    EXPECT_EQ(firstText.rfind("<?xml", 0), 0u) << "written as XML";

    auto back = platform::readPropertyListDictionary(out);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->size(), changed.size());
    for (const auto& [key, value] : changed.entries()) {
        ASSERT_TRUE(back->find(key)) << key;
        EXPECT_TRUE(*back->find(key) == value) << key;
        EXPECT_EQ(back->find(key)->kind(), value.kind()) << key;
    }
    EXPECT_EQ(back->string("DesiredSSID"), "Caf\xc3\xa9 <&> \"quoted\"");
    EXPECT_EQ(back->find("Blob")->asData(), (std::vector<uint8_t>{0x00, 0x01, 0x02, 0xff}));
    EXPECT_EQ(back->find("List")->asArray()->at(1).asInteger(), 7);

    ASSERT_TRUE(platform::writePropertyListDictionary(out, *back));
    EXPECT_EQ(TempFolder::contents(out), firstText) << "a second round trip changes no byte";
}

TEST(PlatformPropertyListWrite, ComparisonSeesDeepDifferences) {
    TempFolder folder;
    auto a = platform::readPropertyListDictionary(folder.writeFile("a.plist", kHandEdited));
    std::string other = kHandEdited;
    other.replace(other.find("<integer>7</integer>"), 20, "<integer>8</integer>");
    auto b = platform::readPropertyListDictionary(folder.writeFile("b.plist", other));
    ASSERT_TRUE(a && b);
    EXPECT_FALSE(*a->find("List") == *b->find("List"));
    EXPECT_TRUE(*a->find("Nested") == *b->find("Nested"));
}

mode_t modeOf(const std::string& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info.st_mode & 07777;
}

ino_t inodeOf(const std::string& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info.st_ino;
}

TEST(PlatformPropertyListWrite, NewFileIsOwnerOnly) {
    TempFolder folder;
    PropertyDictionary dictionary;
    dictionary.setString("WEPKeyValue", "secret");
    mode_t previous = ::umask(0);
    bool written = platform::writePropertyListDictionary(folder.file("new.plist"), dictionary);
    ::umask(previous);
    ASSERT_TRUE(written);
    EXPECT_EQ(modeOf(folder.file("new.plist")), 0600u);
}

TEST(PlatformPropertyListWrite, ExistingFileIsRewrittenInPlaceKeepingItsMode) {
    TempFolder folder;
    std::string path = folder.writeFile("old.plist", std::string(4000, 'x'));
    ::chmod(path.c_str(), 0644);
    ino_t before = inodeOf(path);
    PropertyDictionary dictionary;
    dictionary.setString("DesiredSSID", "ANY");
    ASSERT_TRUE(platform::writePropertyListDictionary(path, dictionary));
    EXPECT_EQ(modeOf(path), 0644u);
    EXPECT_EQ(inodeOf(path), before) << "no temporary file and rename";
    auto back = platform::readPropertyListDictionary(path);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->size(), 1u);
    EXPECT_EQ(back->string("DesiredSSID"), "ANY");
}

TEST(PlatformPropertyListWrite, UnwritablePlacesReportFailure) {
    TempFolder folder;
    PropertyDictionary dictionary;
    dictionary.setString("DesiredSSID", "ANY");
    EXPECT_FALSE(platform::writePropertyListDictionary(folder.file("no/such/folder.plist"), dictionary));
    EXPECT_FALSE(platform::writePropertyListDictionary(folder.file(""), dictionary));
}

// A FIFO in the file's place neither blocks a reader or writer nor counts as a file.
TEST(PlatformPropertyListSpecialFiles, FifoIsRefusedWithoutBlocking) {
    TempFolder folder;
    std::string fifo = folder.file("settings.plist");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    PropertyDictionary dictionary;
    dictionary.setString("DesiredSSID", "ANY");
    EXPECT_FALSE(platform::readPropertyListDictionary(fifo));
    EXPECT_FALSE(platform::writePropertyListDictionary(fifo, dictionary));
}

}  // namespace
