// Just enough JSON to read the scripted host's output lines.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pane_test {

class Json {
public:
    enum class Type { Null, Bool, Number, String, Array, Object };

    Json() = default;
    static Json boolean(bool value);
    static Json number(double value);
    static Json string(std::string value);
    static Json array(std::vector<Json> items);
    static Json object(std::map<std::string, Json> members);

    Type type() const { return type_; }
    bool isObject() const { return type_ == Type::Object; }
    bool asBool() const { return bool_; }
    double asNumber() const { return number_; }
    const std::string& asString() const { return string_; }
    const std::vector<Json>& items() const { return items_; }
    const std::map<std::string, Json>& members() const { return members_; }
    // The member of that name; null when this is no object or has no such member.
    const Json* find(const std::string& name) const;

    bool operator==(const Json& other) const = default;

private:
    Type type_ = Type::Null;
    bool bool_ = false;
    double number_ = 0;
    std::string string_;
    std::vector<Json> items_;
    std::map<std::string, Json> members_;
};

// None when the text is not exactly one JSON value.
std::optional<Json> parseJson(std::string_view text);
std::string toJsonText(const Json& value);

}  // namespace pane_test
