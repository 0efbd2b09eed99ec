// Property lists: read XML and binary files, write XML. A value keeps its
// exact type, so an entry that a reader does not understand is written back
// unchanged.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class PropertyDictionary;

// Anything larger is no settings file, Info.plist or world file: not parsed.
inline constexpr std::size_t kMaxPropertyListFileSize = 1024 * 1024;

// One value of any property-list type. Copies share the immutable node.
class PropertyValue {
public:
    enum class Kind { String, Integer, Real, Boolean, Date, Data, Array, Dictionary, Other };

    static PropertyValue fromString(std::string_view utf8);

    Kind kind() const;
    std::optional<std::string> asString() const;
    std::optional<int64_t> asInteger() const;
    std::optional<bool> asBoolean() const;
    std::optional<std::vector<uint8_t>> asData() const;
    std::optional<std::vector<PropertyValue>> asArray() const;
    std::optional<PropertyDictionary> asDictionary() const;

    bool operator==(const PropertyValue& other) const;  // same type, same content

    struct Node;  // the parser's node; opaque outside the implementation
    explicit PropertyValue(std::shared_ptr<const Node> node);
    const std::shared_ptr<const Node>& node() const { return node_; }

private:
    std::shared_ptr<const Node> node_;
};

// A string-keyed dictionary: the root of a settings file, an Info.plist or a
// world file.
class PropertyDictionary {
public:
    // The string stored under key; absent when missing or not a string.
    std::optional<std::string> string(std::string_view key) const;
    const PropertyValue* find(std::string_view key) const;
    bool contains(std::string_view key) const;

    void setString(const std::string& key, std::string_view utf8);
    void set(const std::string& key, PropertyValue value);

    std::size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    const std::map<std::string, PropertyValue, std::less<>>& entries() const { return entries_; }

    bool operator==(const PropertyDictionary& other) const = default;

private:
    std::map<std::string, PropertyValue, std::less<>> entries_;
};

// No dictionary for a missing, unreadable, oversized or malformed file, or a
// root that is not a dictionary.
std::optional<PropertyDictionary> readPropertyListDictionary(const std::string& path);
std::optional<PropertyDictionary> parsePropertyListDictionary(std::span<const uint8_t> bytes);

// Maximum nesting of arrays and dictionaries, the root counting as one.
// Settings files hold no containers below the root; Info.plists and world
// files a few levels.
inline constexpr std::size_t kMaxPropertyListNesting = 64;

// The bounded, non-recursive check that runs before any bytes reach the
// parser (which recurses): false when the bytes may nest deeper than
// kMaxPropertyListNesting, or a binary list unfolds into too many objects.
bool propertyListNestingWithinBound(std::span<const uint8_t> bytes);

std::optional<std::string> serializeXmlPropertyList(const PropertyDictionary& dictionary);

// Writes the dictionary as an XML property list in place (no temporary file
// and rename). The whole text is made before the file is opened, so a
// failure to serialise leaves the old file as it was. A file that this call
// creates is readable by its owner only; an existing file keeps owner and
// mode. Returns false on any failure.
bool writePropertyListDictionary(const std::string& path, const PropertyDictionary& dictionary);

}  // namespace platform
