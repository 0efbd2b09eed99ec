#include "tests/pane/Json.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace pane_test {

Json Json::boolean(bool value) {
    Json json;
    json.type_ = Type::Bool;
    json.bool_ = value;
    return json;
}

Json Json::number(double value) {
    Json json;
    json.type_ = Type::Number;
    json.number_ = value;
    return json;
}

Json Json::string(std::string value) {
    Json json;
    json.type_ = Type::String;
    json.string_ = std::move(value);
    return json;
}

Json Json::array(std::vector<Json> items) {
    Json json;
    json.type_ = Type::Array;
    json.items_ = std::move(items);
    return json;
}

Json Json::object(std::map<std::string, Json> members) {
    Json json;
    json.type_ = Type::Object;
    json.members_ = std::move(members);
    return json;
}

const Json* Json::find(const std::string& name) const {
    const auto found = members_.find(name);
    return found == members_.end() ? nullptr : &found->second;
}

namespace {

class Parser {
public:
    explicit Parser(std::string_view text) : text_(text) {}

    std::optional<Json> document() {
        std::optional<Json> value = parseValue();
        skipSpace();
        if (!value || position_ != text_.size()) return std::nullopt;
        return value;
    }

private:
    void skipSpace() {
        while (position_ < text_.size() && (text_[position_] == ' ' || text_[position_] == '\t' ||
                                            text_[position_] == '\n' || text_[position_] == '\r'))
            ++position_;
    }

    bool consume(std::string_view word) {
        if (text_.substr(position_, word.size()) != word) return false;
        position_ += word.size();
        return true;
    }

    std::optional<Json> parseValue() {
        skipSpace();
        if (position_ >= text_.size()) return std::nullopt;
        const char c = text_[position_];
        if (c == '{') return parseObject();
        if (c == '[') return parseArray();
        if (c == '"') {
            std::optional<std::string> text = parseString();
            if (!text) return std::nullopt;
            return Json::string(*text);
        }
        if (consume("true")) return Json::boolean(true);
        if (consume("false")) return Json::boolean(false);
        if (consume("null")) return Json();
        return parseNumber();
    }

    std::optional<Json> parseNumber() {
        const std::size_t start = position_;
        while (position_ < text_.size() && std::string_view("+-0123456789.eE").find(text_[position_]) != std::string_view::npos)
            ++position_;
        if (start == position_) return std::nullopt;
        const std::string digits(text_.substr(start, position_ - start));
        char* end = nullptr;
        const double value = std::strtod(digits.c_str(), &end);
        if (end != digits.c_str() + digits.size()) return std::nullopt;
        return Json::number(value);
    }

    std::optional<unsigned> parseHex4() {
        if (position_ + 4 > text_.size()) return std::nullopt;
        unsigned value = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = text_[position_++];
            value <<= 4;
            if (c >= '0' && c <= '9') value |= static_cast<unsigned>(c - '0');
            else if (c >= 'a' && c <= 'f') value |= static_cast<unsigned>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F') value |= static_cast<unsigned>(c - 'A' + 10);
            else return std::nullopt;
        }
        return value;
    }

    static void appendUtf8(std::string& out, unsigned code) {
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (code >> 18));
            out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }

    std::optional<std::string> parseString() {
        ++position_;  // the opening quote
        std::string out;
        while (position_ < text_.size()) {
            const char c = text_[position_++];
            if (c == '"') return out;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (position_ >= text_.size()) return std::nullopt;
            const char escape = text_[position_++];
            switch (escape) {
                case '"': out += '"'; break;
                case '\\': out += '\\'; break;
                case '/': out += '/'; break;
                case 'b': out += '\b'; break;
                case 'f': out += '\f'; break;
                case 'n': out += '\n'; break;
                case 'r': out += '\r'; break;
                case 't': out += '\t'; break;
                case 'u': {
                    std::optional<unsigned> code = parseHex4();
                    if (!code) return std::nullopt;
                    if (*code >= 0xD800 && *code < 0xDC00) {
                        if (!consume("\\u")) return std::nullopt;
                        std::optional<unsigned> low = parseHex4();
                        if (!low || *low < 0xDC00 || *low >= 0xE000) return std::nullopt;
                        *code = 0x10000 + ((*code - 0xD800) << 10) + (*low - 0xDC00);
                    }
                    appendUtf8(out, *code);
                    break;
                }
                default: return std::nullopt;
            }
        }
        return std::nullopt;
    }

    std::optional<Json> parseArray() {
        ++position_;
        std::vector<Json> items;
        skipSpace();
        if (consume("]")) return Json::array(std::move(items));
        while (true) {
            std::optional<Json> item = parseValue();
            if (!item) return std::nullopt;
            items.push_back(std::move(*item));
            skipSpace();
            if (consume("]")) return Json::array(std::move(items));
            if (!consume(",")) return std::nullopt;
        }
    }

    std::optional<Json> parseObject() {
        ++position_;
        std::map<std::string, Json> members;
        skipSpace();
        if (consume("}")) return Json::object(std::move(members));
        while (true) {
            skipSpace();
            if (position_ >= text_.size() || text_[position_] != '"') return std::nullopt;
            std::optional<std::string> name = parseString();
            skipSpace();
            if (!name || !consume(":")) return std::nullopt;
            std::optional<Json> value = parseValue();
            if (!value) return std::nullopt;
            members[*name] = std::move(*value);
            skipSpace();
            if (consume("}")) return Json::object(std::move(members));
            if (!consume(",")) return std::nullopt;
        }
    }

    std::string_view text_;
    std::size_t position_ = 0;
};

std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\r': out += "\\r"; break;
            case '\n': out += "\\n"; break;
            case '\t': out += "\\t"; break;
            default: out += c;
        }
    }
    return out + "\"";
}

}  // namespace

std::optional<Json> parseJson(std::string_view text) {
    return Parser(text).document();
}

std::string toJsonText(const Json& value) {
    switch (value.type()) {
        case Json::Type::Null: return "null";
        case Json::Type::Bool: return value.asBool() ? "true" : "false";
        case Json::Type::Number: {
            char text[32];
            std::snprintf(text, sizeof text, "%.17g", value.asNumber());
            return text;
        }
        case Json::Type::String: return quoted(value.asString());
        case Json::Type::Array: {
            std::string out = "[";
            for (std::size_t i = 0; i < value.items().size(); ++i) {
                if (i > 0) out += ',';
                out += toJsonText(value.items()[i]);
            }
            return out + "]";
        }
        case Json::Type::Object: {
            std::string out = "{";
            bool first = true;
            for (const auto& [name, member] : value.members()) {
                if (!first) out += ',';
                out += quoted(name);
                out += ':';
                out += toJsonText(member);
                first = false;
            }
            return out + "}";
        }
    }
    return "null";
}

}  // namespace pane_test
