#include "host/ScriptParser.h"

#include <charconv>

namespace host {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view withoutLeadingBlanks(std::string_view text) {
    std::size_t start = 0;
    while (start < text.size() && isBlank(text[start])) ++start;
    return text.substr(start);
}

std::size_t firstBlank(std::string_view text) {
    for (std::size_t at = 0; at < text.size(); ++at)
        if (isBlank(text[at])) return at;
    return std::string_view::npos;
}

}  // namespace

std::vector<ScriptLine> parseScript(std::string_view text) {
    std::vector<ScriptLine> lines;
    int number = 0;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        ++number;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);  // a file written with CR LF
        std::string_view content = withoutLeadingBlanks(line);
        if (content.empty() || content.front() == '#') continue;
        std::size_t split = firstBlank(content);
        ScriptLine parsed{number, std::string(content.substr(0, split)), std::string()};
        if (split != std::string_view::npos) parsed.rest = std::string(content.substr(split + 1));
        lines.push_back(std::move(parsed));
    }
    return lines;
}

std::string unescapeText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size(); ++at) {
        char c = text[at];
        if (c != '\\' || at + 1 == text.size()) {
            out += c;
            continue;
        }
        char next = text[at + 1];
        switch (next) {
        case '\\': out += '\\'; break;
        case 'r': out += '\r'; break;
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        default: out += c; continue;  // not an escape: the backslash stays, the next character follows
        }
        ++at;
    }
    return out;
}

std::vector<std::string> splitWords(std::string_view text) {
    std::vector<std::string> words;
    while (true) {
        text = withoutLeadingBlanks(text);
        if (text.empty()) return words;
        std::size_t end = firstBlank(text);
        words.emplace_back(text.substr(0, end));
        if (end == std::string_view::npos) return words;
        text = text.substr(end);
    }
}

OutletAndText splitOutletAndText(std::string_view rest) {
    std::size_t split = rest.find(' ');
    if (split == std::string_view::npos) return {std::string(rest), std::string()};
    return {std::string(rest.substr(0, split)), std::string(rest.substr(split + 1))};
}

std::optional<int> parseCount(std::string_view text, int limit) {
    if (text.empty() || text.front() < '0' || text.front() > '9') return std::nullopt;
    int value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value > limit) return std::nullopt;
    return value;
}

}  // namespace host
