// The lines of a host script: one command per line, blank lines and lines
// starting with '#' skipped.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace host {

struct ScriptLine {
    int number;           // counted from 1, as in the file
    std::string command;  // the first word
    std::string rest;     // everything after the space that follows it
};

std::vector<ScriptLine> parseScript(std::string_view text);

// TEXT with its escapes \\, \r, \n and \t resolved; any other backslash
// stays as it is.
std::string unescapeText(std::string_view text);

// The words of an argument list, split at spaces and tabs.
std::vector<std::string> splitWords(std::string_view text);

// "OUTLET TEXT": the outlet is the first word, the text all that follows the
// space after it (may be empty).
struct OutletAndText {
    std::string outlet;
    std::string text;
};
OutletAndText splitOutletAndText(std::string_view rest);

// A decimal count without sign: "0", "12". None for anything else or above
// the limit.
std::optional<int> parseCount(std::string_view text, int limit);

}  // namespace host
