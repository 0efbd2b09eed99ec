// The host's plain parts: JSON text, script lines and command-line options.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>

#include "host/HostOptions.h"
#include "host/Json.h"
#include "host/ScriptParser.h"
#include "tests/support/CardSimulatorProcess.h"

namespace {

struct StringCase {
    const char* name;
    std::string input;
    std::string expected;
};

void PrintTo(const StringCase& c, std::ostream* os) {
    *os << c.name;
}

std::string caseName(const testing::TestParamInfo<StringCase>& info) {
    return info.param.name;
}

// ---------------------------------------------------------------- JSON text

class HostJsonString : public testing::TestWithParam<StringCase> {};

TEST_P(HostJsonString, QuotesAndEscapes) {
    EXPECT_EQ(host::jsonString(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HostJsonString,
    testing::Values(StringCase{"Empty", "", R"("")"}, StringCase{"Plain", "Office", R"("Office")"},
                    StringCase{"Quote", "say \"hi\"", R"("say \"hi\"")"},
                    StringCase{"Backslash", "a\\b", R"("a\\b")"},
                    StringCase{"CarriageReturnStaysEscaped", "one\rtwo", R"("one\rtwo")"},
                    StringCase{"NewlineAndTab", "a\nb\tc", R"("a\nb\tc")"},
                    StringCase{"BackspaceAndFormFeed", "\b\f", R"("\b\f")"},
                    StringCase{"OtherControlCharacters", std::string("\x01\x1f\0", 3), R"("\u0001\u001f\u0000")"},
                    StringCase{"SlashAndDeleteUnchanged", "a/b\x7f", "\"a/b\x7f\""},
                    // U+00E9, U+2022 BULLET, U+1F600: UTF-8 passes through.
                    StringCase{"MultiByteUtf8", "\xc3\xa9\xe2\x80\xa2\xf0\x9f\x98\x80",
                               "\"\xc3\xa9\xe2\x80\xa2\xf0\x9f\x98\x80\""},
                    StringCase{"StrayContinuationByte", "a\x80z", R"("a\ufffdz")"},
                    StringCase{"InvalidLeadByte", "\xff", R"("\ufffd")"},
                    StringCase{"TruncatedSequence", "\xe2\x80", R"("\ufffd\ufffd")"},
                    StringCase{"OverlongForm", "\xc0\xaf", R"("\ufffd\ufffd")"},
                    StringCase{"Surrogate", "\xed\xa0\x80", R"("\ufffd\ufffd\ufffd")"},
                    StringCase{"AboveUnicode", "\xf4\x90\x80\x80", R"("\ufffd\ufffd\ufffd\ufffd")"}),
    caseName);

struct NumberCase {
    const char* name;
    double value;
    const char* expected;
};

void PrintTo(const NumberCase& c, std::ostream* os) {
    *os << c.name;
}

class HostJsonNumber : public testing::TestWithParam<NumberCase> {};

TEST_P(HostJsonNumber, ShortestForm) {
    EXPECT_EQ(host::jsonNumber(GetParam().value), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, HostJsonNumber,
                         testing::Values(NumberCase{"Zero", 0.0, "0"}, NumberCase{"Whole", 42.0, "42"},
                                         NumberCase{"Half", 42.5, "42.5"}, NumberCase{"Negative", -3.25, "-3.25"},
                                         NumberCase{"Tenth", 0.1, "0.1"},
                                         NumberCase{"NotANumber", std::nan(""), "null"},
                                         NumberCase{"Infinite", std::numeric_limits<double>::infinity(), "null"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(HostJson, StringArray) {
    EXPECT_EQ(host::jsonStringArray({}), "[]");
    EXPECT_EQ(host::jsonStringArray({"a", "b\"c"}), R"(["a","b\"c"])");
}

// ------------------------------------------------------------- script lines

class HostScriptUnescape : public testing::TestWithParam<StringCase> {};

TEST_P(HostScriptUnescape, ResolvesTheFourEscapes) {
    EXPECT_EQ(host::unescapeText(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HostScriptUnescape,
    testing::Values(StringCase{"NoEscapes", "plain text", "plain text"}, StringCase{"Backslash", R"(a\\b)", "a\\b"},
                    StringCase{"CarriageReturn", R"(one\rtwo)", "one\rtwo"},
                    StringCase{"Newline", R"(one\ntwo)", "one\ntwo"}, StringCase{"Tab", R"(a\tb)", "a\tb"},
                    StringCase{"EscapedBackslashBeforeR", R"(\\r)", "\\r"},
                    StringCase{"OtherBackslashStays", R"(a\qb)", "a\\qb"},
                    StringCase{"TrailingBackslashStays", "end\\", "end\\"}),
    caseName);

TEST(HostScriptParser, SkipsBlankAndCommentLinesAndCountsEveryLine) {
    std::vector<host::ScriptLine> lines =
        host::parseScript("# a comment\n\nselect\n   \n  # indented comment\r\ntype showKey1 a b \r\ntick 2");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].number, 3);
    EXPECT_EQ(lines[0].command, "select");
    EXPECT_EQ(lines[0].rest, "");
    EXPECT_EQ(lines[1].number, 6);
    EXPECT_EQ(lines[1].command, "type");
    EXPECT_EQ(lines[1].rest, "showKey1 a b ");  // the CR of a CR LF line goes, the spaces stay
    EXPECT_EQ(lines[2].number, 7);
    EXPECT_EQ(lines[2].rest, "2");
}

struct SplitCase {
    const char* name;
    std::string rest;
    std::string outlet;
    std::string text;
};

void PrintTo(const SplitCase& c, std::ostream* os) {
    *os << c.name;
}

class HostScriptOutletAndText : public testing::TestWithParam<SplitCase> {};

TEST_P(HostScriptOutletAndText, TextIsAllAfterTheSpace) {
    host::OutletAndText split = host::splitOutletAndText(GetParam().rest);
    EXPECT_EQ(split.outlet, GetParam().outlet);
    EXPECT_EQ(split.text, GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Cases, HostScriptOutletAndText,
                         testing::Values(SplitCase{"Word", "field abc", "field", "abc"},
                                         SplitCase{"Spaces", "field  two  words ", "field", " two  words "},
                                         SplitCase{"EmptyAfterSpace", "field ", "field", ""},
                                         SplitCase{"NoText", "field", "field", ""},
                                         SplitCase{"Nothing", "", "", ""}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(HostScriptParser, SplitWords) {
    EXPECT_EQ(host::splitWords("  matrix \t 1 "), (std::vector<std::string>{"matrix", "1"}));
    EXPECT_TRUE(host::splitWords("   ").empty());
}

struct CountCase {
    const char* name;
    const char* text;
    std::optional<int> expected;
};

void PrintTo(const CountCase& c, std::ostream* os) {
    *os << c.name;
}

class HostScriptCount : public testing::TestWithParam<CountCase> {};

TEST_P(HostScriptCount, DecimalWithoutSign) {
    EXPECT_EQ(host::parseCount(GetParam().text, 100), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, HostScriptCount,
                         testing::Values(CountCase{"Zero", "0", 0}, CountCase{"Number", "12", 12},
                                         CountCase{"AtLimit", "100", 100}, CountCase{"AboveLimit", "101", std::nullopt},
                                         CountCase{"Negative", "-1", std::nullopt},
                                         CountCase{"Plus", "+1", std::nullopt},
                                         CountCase{"Trailing", "3x", std::nullopt},
                                         CountCase{"Empty", "", std::nullopt},
                                         CountCase{"Huge", "99999999999999999999", std::nullopt}),
                         [](const auto& info) { return std::string(info.param.name); });

// ------------------------------------------------------------------ options

struct OptionsCase {
    const char* name;
    std::vector<std::string> arguments;
    bool valid;
    std::optional<std::string> panes = std::nullopt;
    std::string pane = {};

void PrintTo(const OptionsCase& c, std::ostream* os) {
    *os << c.name;
}
    std::optional<std::string> registry = std::nullopt;
    std::optional<std::string> script = std::nullopt;
};

class HostOptionsParse : public testing::TestWithParam<OptionsCase> {};

TEST_P(HostOptionsParse, ReadsTheFourOptions) {
    const OptionsCase& c = GetParam();
    std::string error;
    std::optional<host::HostOptions> options = host::parseHostOptions(c.arguments, error);
    ASSERT_EQ(options.has_value(), c.valid) << error;
    if (!options) {
        EXPECT_FALSE(error.empty());
        return;
    }
    EXPECT_EQ(options->panesFolder, c.panes);
    EXPECT_EQ(options->paneName, c.pane);
    EXPECT_EQ(options->serviceRegistry, c.registry);
    EXPECT_EQ(options->scriptFile, c.script);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HostOptionsParse,
    testing::Values(OptionsCase{"None", {}, true, std::nullopt, "", std::nullopt, std::nullopt},
                    OptionsCase{"All",
                                {"--panes", "/p", "--pane", "WirelessPane", "--registry", "/r", "--script", "s.txt"},
                                true, "/p", "WirelessPane", "/r", "s.txt"},
                    OptionsCase{"WithEquals", {"--pane=Wireless Pane", "--registry=/r"}, true, std::nullopt,
                                "Wireless Pane", "/r", std::nullopt},
                    OptionsCase{"MissingValue", {"--panes"}, false},
                    OptionsCase{"UnknownOption", {"--frobnicate"}, false},
                    OptionsCase{"StrayArgument", {"WirelessPane"}, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HostOptions, DefaultPanesFolderIsTheBuildTreesWhenRunFromOne) {
    testsupport::TemporaryFolder tree;
    std::filesystem::create_directories(tree.file("bin"));
    std::filesystem::create_directories(tree.file("panes"));
    // Not yet a build tree: the installed layout.
    EXPECT_EQ(host::defaultPanesFolder(tree.file("bin")), tree.file("lib/PreferencePanes"));
    ASSERT_TRUE(testsupport::writeTextFile(tree.file("CMakeCache.txt"), ""));
    EXPECT_EQ(host::defaultPanesFolder(tree.file("bin")), tree.file("panes"));
}

}  // namespace
