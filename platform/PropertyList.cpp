// Property lists through libplist. libplist builds, copies, compares and
// frees its trees recursively, so every input is first checked by a bounded,
// non-recursive scan: a file nested deeper than kMaxPropertyListNesting, or a binary
// file whose object graph unfolds into more than kMaxUnfoldedObjects nodes,
// never reaches the parser.
#include "platform/PropertyList.h"

#include <plist/plist.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace platform {

namespace {

// A binary file may share one object among many references; libplist copies
// each shared object, so the tree it builds can be far larger than the file.
constexpr std::size_t kMaxUnfoldedObjects = 1u << 18;

// ---------------------------------------------------------------- ownership

struct PlistFree {
    void operator()(void* node) const { plist_free(node); }
};
using PlistOwner = std::unique_ptr<void, PlistFree>;

struct MallocFree {
    void operator()(char* text) const { std::free(text); }
};
using MallocText = std::unique_ptr<char, MallocFree>;

}  // namespace

// A node that owns a detached libplist tree.
struct PropertyValue::Node {
    explicit Node(plist_t ownedTree) : tree(ownedTree) {}
    ~Node() { plist_free(tree); }
    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;
    plist_t tree;
};

namespace {

PropertyValue valueOwning(plist_t ownedTree) {
    return PropertyValue(std::make_shared<const PropertyValue::Node>(ownedTree));
}

PropertyValue valueCopying(plist_t borrowed) {
    return valueOwning(plist_copy(borrowed));
}

// ------------------------------------------------------------ XML pre-scan

// The scan errs on the side of depth: it may count an element that the
// parser would not open, but never misses one. Opening tags are recognised
// by their name's first letters alone, also inside comments, processing
// instructions and CDATA sections, whose extent a lexer might see otherwise;
// a closing tag counts only where it is plainly a tag. A tag whose extent is
// ambiguous (a '<' inside it, a '>' inside quotes) and a construct that never
// ends are refused.

constexpr std::string_view kContainerNames[] = {"array", "dict"};
constexpr std::size_t npos = std::string_view::npos;

bool startsWith(std::string_view text, std::size_t at, std::string_view prefix) {
    return at <= text.size() && text.size() - at >= prefix.size() &&
           text.compare(at, prefix.size(), prefix) == 0;
}

bool isTagSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Length of the container name at `at`, matched by its letters alone; 0 if none.
std::size_t containerNameAt(std::string_view text, std::size_t at) {
    for (std::string_view name : kContainerNames) {
        if (startsWith(text, at, name)) return name.size();
    }
    return 0;
}

// A closing tag's name must be followed by white space or '>'.
bool isExactContainerName(std::string_view text, std::size_t at) {
    std::size_t length = containerNameAt(text, at);
    return length != 0 && at + length < text.size() &&
           (isTagSpace(text[at + length]) || text[at + length] == '>');
}

std::size_t containerOpeningsIn(std::string_view region) {
    std::size_t count = 0;
    for (std::size_t at = region.find('<'); at != npos; at = region.find('<', at + 1)) {
        if (containerNameAt(region, at + 1) != 0) ++count;
    }
    return count;
}

// Position of the '>' that ends the tag or declaration at `at`, or npos when
// it never ends or its end is ambiguous.
std::size_t unambiguousTagEnd(std::string_view text, std::size_t at) {
    char quote = 0;
    for (std::size_t i = at + 1; i < text.size(); ++i) {
        char c = text[i];
        if (c == '<') return npos;
        if (quote != 0) {
            if (c == quote) quote = 0;
            if (c == '>') return npos;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            return i;
        }
    }
    return npos;
}

// "<array/>" or "<array />": nothing but white space between name and "/>".
bool isPlainSelfClosing(std::string_view text, std::size_t nameEnd, std::size_t tagEnd) {
    if (text[tagEnd - 1] != '/' || tagEnd - 1 < nameEnd) return false;
    for (std::size_t i = nameEnd; i < tagEnd - 1; ++i) {
        if (!isTagSpace(text[i])) return false;
    }
    return true;
}

struct Skipped {
    std::string_view opener;
    std::string_view terminator;
};

constexpr Skipped kSkippedConstructs[] = {{"<!--", "-->"}, {"<![CDATA[", "]]>"}, {"<?", "?>"}};

bool xmlNestingWithinBound(std::string_view text) {
    std::size_t depth = 0;
    std::size_t at = 0;
    while ((at = text.find('<', at)) != npos) {
        const Skipped* skipped = nullptr;
        for (const Skipped& construct : kSkippedConstructs) {
            if (startsWith(text, at, construct.opener)) skipped = &construct;
        }
        if (skipped) {
            std::size_t end = text.find(skipped->terminator, at + skipped->opener.size());
            if (end == npos) return false;
            depth += containerOpeningsIn(text.substr(at, end - at));
            at = end + skipped->terminator.size();
        } else {
            std::size_t end = unambiguousTagEnd(text, at);
            if (end == npos) return false;
            if (text[at + 1] == '/') {
                if (isExactContainerName(text, at + 2)) {
                    if (depth == 0) return false;
                    --depth;
                }
            } else if (std::size_t length = containerNameAt(text, at + 1)) {
                if (!isPlainSelfClosing(text, at + 1 + length, end)) ++depth;
            }
            at = end + 1;
        }
        if (depth > kMaxPropertyListNesting) return false;
    }
    return true;
}

// ---------------------------------------------------------- binary pre-scan

constexpr std::string_view kBinaryMagic = "bplist00";
constexpr std::size_t kBinaryTrailerSize = 32;

uint64_t readBigEndian(std::span<const uint8_t> bytes, std::size_t at, std::size_t width) {
    uint64_t value = 0;
    for (std::size_t i = 0; i < width; ++i) value = (value << 8) | bytes[at + i];
    return value;
}

class BinaryLayout {
public:
    explicit BinaryLayout(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    bool readTrailer() {
        if (bytes_.size() < kBinaryMagic.size() + kBinaryTrailerSize) return false;
        std::size_t trailer = bytes_.size() - kBinaryTrailerSize;
        offsetSize_ = bytes_[trailer + 6];
        refSize_ = bytes_[trailer + 7];
        objectCount_ = readBigEndian(bytes_, trailer + 8, 8);
        topObject_ = readBigEndian(bytes_, trailer + 16, 8);
        offsetTable_ = readBigEndian(bytes_, trailer + 24, 8);
        if (offsetSize_ < 1 || offsetSize_ > 8 || refSize_ < 1 || refSize_ > 8) return false;
        if (objectCount_ == 0 || topObject_ >= objectCount_) return false;
        if (offsetTable_ < kBinaryMagic.size() || offsetTable_ > trailer) return false;
        return objectCount_ <= (trailer - offsetTable_) / offsetSize_;
    }

    uint64_t topObject() const { return topObject_; }

    // The references held by object `index`: none for a scalar.
    bool references(uint64_t index, std::vector<uint64_t>& out) const {
        out.clear();
        uint64_t offset = readBigEndian(bytes_, offsetTable_ + index * offsetSize_, offsetSize_);
        if (offset < kBinaryMagic.size() || offset >= offsetTable_) return false;
        uint8_t marker = bytes_[offset];
        uint8_t type = marker >> 4;
        bool isArrayOrSet = type == 0xA || type == 0xC;
        bool isDict = type == 0xD;
        // libplist keeps a UTF-16 string's converted length, so a zero code
        // unit inside leaves a text shorter than its length: the getters
        // assert and the XML writer reads past the text. Refused.
        if (type == kUtf16StringType) return !hasZeroCodeUnit(offset, marker);
        if (!isArrayOrSet && !isDict) return true;
        std::size_t at = offset + 1;
        uint64_t count = marker & 0x0F;
        if (count == 0x0F && !readExtendedCount(at, count)) return false;
        uint64_t refCount = isDict ? count * 2 : count;
        if (isDict && refCount < count) return false;
        if (refCount > (offsetTable_ - at) / refSize_) return false;
        for (uint64_t i = 0; i < refCount; ++i) {
            uint64_t ref = readBigEndian(bytes_, at + i * refSize_, refSize_);
            if (ref >= objectCount_) return false;
            out.push_back(ref);
        }
        return true;
    }

private:
    static constexpr uint8_t kUtf16StringType = 0x6;

    // Whether the UTF-16 string at offset holds a zero code unit within the
    // object area; a length beyond it is left for the parser to refuse.
    bool hasZeroCodeUnit(std::size_t offset, uint8_t marker) const {
        std::size_t at = offset + 1;
        uint64_t units = marker & 0x0F;
        if (units == 0x0F && !readExtendedCount(at, units)) return true;
        const uint64_t present = std::min<uint64_t>(units, (offsetTable_ - at) / 2);
        for (uint64_t i = 0; i < present; ++i) {
            if (bytes_[at + 2 * i] == 0 && bytes_[at + 2 * i + 1] == 0) return true;
        }
        return false;
    }

    // A count of 15 or more follows the marker as an integer object.
    bool readExtendedCount(std::size_t& at, uint64_t& count) const {
        if (at >= offsetTable_) return false;
        uint8_t marker = bytes_[at];
        if ((marker >> 4) != 0x1 || (marker & 0x0F) > 3) return false;
        std::size_t width = std::size_t{1} << (marker & 0x0F);
        if (width > offsetTable_ - at - 1) return false;
        count = readBigEndian(bytes_, at + 1, width);
        at += 1 + width;
        return true;
    }

    std::span<const uint8_t> bytes_;
    uint8_t offsetSize_ = 0;
    uint8_t refSize_ = 0;
    uint64_t objectCount_ = 0;
    uint64_t topObject_ = 0;
    uint64_t offsetTable_ = 0;
};

// Walks the object graph from the top object with an explicit stack, as the
// parser will unfold it, and refuses a graph that nests too deeply, refers
// outside the file or unfolds into too many nodes.
bool binaryGraphWithinBound(std::span<const uint8_t> bytes) {
    BinaryLayout layout(bytes);
    if (!layout.readTrailer()) return false;
    struct Pending {
        uint64_t object;
        std::size_t depth;
    };
    std::vector<Pending> stack{{layout.topObject(), 1}};
    std::vector<uint64_t> refs;
    std::size_t unfolded = 0;
    while (!stack.empty()) {
        Pending next = stack.back();
        stack.pop_back();
        if (++unfolded > kMaxUnfoldedObjects) return false;
        if (!layout.references(next.object, refs)) return false;
        if (refs.empty()) continue;
        if (next.depth >= kMaxPropertyListNesting) return false;
        for (uint64_t ref : refs) stack.push_back({ref, next.depth + 1});
    }
    return true;
}

bool isBinary(std::span<const uint8_t> bytes) {
    return bytes.size() >= kBinaryMagic.size() &&
           std::memcmp(bytes.data(), kBinaryMagic.data(), kBinaryMagic.size()) == 0;
}

// ------------------------------------------------------ post-parse checking

// The parsed tree's depth, measured without recursion: a second guard in
// front of the recursive copy and free.
bool treeDepthWithinBound(plist_t root) {
    struct Pending {
        plist_t node;
        std::size_t depth;
    };
    std::vector<Pending> stack{{root, 1}};
    while (!stack.empty()) {
        Pending next = stack.back();
        stack.pop_back();
        plist_type type = plist_get_node_type(next.node);
        if (type != PLIST_ARRAY && type != PLIST_DICT) continue;
        if (next.depth > kMaxPropertyListNesting) return false;
        if (type == PLIST_ARRAY) {
            uint32_t size = plist_array_get_size(next.node);
            for (uint32_t i = 0; i < size; ++i) {
                stack.push_back({plist_array_get_item(next.node, i), next.depth + 1});
            }
        } else {
            plist_dict_iter iter = nullptr;
            plist_dict_new_iter(next.node, &iter);
            for (;;) {
                char* key = nullptr;
                plist_t value = nullptr;
                plist_dict_next_item(next.node, iter, &key, &value);
                std::free(key);
                if (!value) break;
                stack.push_back({value, next.depth + 1});
            }
            std::free(iter);
        }
    }
    return true;
}

// Visits each entry of a libplist dictionary with its key.
template <typename Visit>
void forEachEntry(plist_t dict, Visit visit) {
    plist_dict_iter iter = nullptr;
    plist_dict_new_iter(dict, &iter);
    for (;;) {
        char* rawKey = nullptr;
        plist_t value = nullptr;
        plist_dict_next_item(dict, iter, &rawKey, &value);
        MallocText key(rawKey);
        if (!value) break;
        visit(std::string(key ? key.get() : ""), value);
    }
    std::free(iter);
}

PropertyDictionary dictionaryFromNode(plist_t dict) {
    PropertyDictionary result;
    forEachEntry(dict, [&](const std::string& key, plist_t value) {
        result.set(key, valueCopying(value));
    });
    return result;
}

// ------------------------------------------------------------ comparison

bool scalarsEqual(plist_t a, plist_t b, plist_type type) {
    switch (type) {
        case PLIST_STRING:
        case PLIST_KEY: {
            char* rawA = nullptr;
            char* rawB = nullptr;
            if (type == PLIST_STRING) {
                plist_get_string_val(a, &rawA);
                plist_get_string_val(b, &rawB);
            } else {
                plist_get_key_val(a, &rawA);
                plist_get_key_val(b, &rawB);
            }
            MallocText textA(rawA), textB(rawB);
            return std::strcmp(textA ? textA.get() : "", textB ? textB.get() : "") == 0;
        }
        case PLIST_BOOLEAN: {
            uint8_t va = 0, vb = 0;
            plist_get_bool_val(a, &va);
            plist_get_bool_val(b, &vb);
            return (va != 0) == (vb != 0);
        }
        case PLIST_UINT: {
            uint64_t va = 0, vb = 0;
            plist_get_uint_val(a, &va);
            plist_get_uint_val(b, &vb);
            return va == vb;
        }
        case PLIST_UID: {
            uint64_t va = 0, vb = 0;
            plist_get_uid_val(a, &va);
            plist_get_uid_val(b, &vb);
            return va == vb;
        }
        case PLIST_REAL: {
            double va = 0, vb = 0;
            plist_get_real_val(a, &va);
            plist_get_real_val(b, &vb);
            return std::memcmp(&va, &vb, sizeof va) == 0;
        }
        case PLIST_DATE: {
            int32_t sa = 0, ua = 0, sb = 0, ub = 0;
            plist_get_date_val(a, &sa, &ua);
            plist_get_date_val(b, &sb, &ub);
            return sa == sb && ua == ub;
        }
        case PLIST_DATA: {
            char* rawA = nullptr;
            char* rawB = nullptr;
            uint64_t lengthA = 0, lengthB = 0;
            plist_get_data_val(a, &rawA, &lengthA);
            plist_get_data_val(b, &rawB, &lengthB);
            MallocText dataA(rawA), dataB(rawB);
            return lengthA == lengthB &&
                   (lengthA == 0 || std::memcmp(dataA.get(), dataB.get(), lengthA) == 0);
        }
        default:
            return true;
    }
}

// Deep comparison with an explicit stack of node pairs.
bool nodesEqual(plist_t rootA, plist_t rootB) {
    std::vector<std::pair<plist_t, plist_t>> stack{{rootA, rootB}};
    while (!stack.empty()) {
        // Plain variables, not a structured binding: the lambda below uses b,
        // and clang before 16 cannot capture a binding.
        const plist_t a = stack.back().first;
        const plist_t b = stack.back().second;
        stack.pop_back();
        if (!a || !b) {
            if (a != b) return false;
            continue;
        }
        plist_type type = plist_get_node_type(a);
        if (type != plist_get_node_type(b)) return false;
        if (type == PLIST_ARRAY) {
            uint32_t size = plist_array_get_size(a);
            if (size != plist_array_get_size(b)) return false;
            for (uint32_t i = 0; i < size; ++i) {
                stack.emplace_back(plist_array_get_item(a, i), plist_array_get_item(b, i));
            }
        } else if (type == PLIST_DICT) {
            if (plist_dict_get_size(a) != plist_dict_get_size(b)) return false;
            bool allKeysPresent = true;
            forEachEntry(a, [&](const std::string& key, plist_t valueA) {
                plist_t valueB = plist_dict_get_item(b, key.c_str());
                if (!valueB) allKeysPresent = false;
                stack.emplace_back(valueA, valueB);
            });
            if (!allKeysPresent) return false;
        } else if (!scalarsEqual(a, b, type)) {
            return false;
        }
    }
    return true;
}

// ------------------------------------------------------------ file access

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // Closes now and reports whether the data reached the file.
    bool close() {
        int fd = std::exchange(fd_, -1);
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

// The file's bytes, or nothing when it cannot be read or exceeds the limit.
// Opened without blocking, so a FIFO in its place does not hang the caller.
std::optional<std::vector<uint8_t>> readWholeFile(const std::string& path) {
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!file.valid()) return std::nullopt;
    struct stat info {};
    if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
    if (static_cast<uint64_t>(info.st_size) > kMaxPropertyListFileSize) return std::nullopt;
    // Sized by the file, one byte beyond it so that a file that grew since
    // fstat is noticed; the buffer grows only then, and never past one byte
    // beyond the limit, where the file is refused.
    constexpr std::size_t kReadLimit = kMaxPropertyListFileSize + 1;
    std::vector<uint8_t> bytes(static_cast<std::size_t>(info.st_size) + 1);
    std::size_t filled = 0;
    for (;;) {
        if (filled == bytes.size()) {
            if (bytes.size() >= kReadLimit) break;
            bytes.resize(std::min(kReadLimit, bytes.size() * 2));
        }
        ssize_t got = ::read(file.get(), bytes.data() + filled, bytes.size() - filled);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return std::nullopt;
        if (got == 0) break;
        filled += static_cast<std::size_t>(got);
    }
    if (filled > kMaxPropertyListFileSize) return std::nullopt;
    bytes.resize(filled);
    return bytes;
}

// Opens an existing file for rewriting, keeping its owner and mode, or
// creates it readable by its owner only.
// Anything but a regular file (a FIFO, a device) is refused; opening does not
// block on it, and truncation does not apply to it.
int openForRewrite(const std::string& path) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
        if (fd >= 0) {
            struct stat info {};
            if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) return fd;
            ::close(fd);
            return -1;
        }
        if (errno != ENOENT) return -1;
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0600);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

bool writeAll(int fd, std::string_view text) {
    while (!text.empty()) {
        ssize_t put = ::write(fd, text.data(), text.size());
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        text.remove_prefix(static_cast<std::size_t>(put));
    }
    return true;
}

}  // namespace

// ============================================================ PropertyValue

PropertyValue::PropertyValue(std::shared_ptr<const Node> node) : node_(std::move(node)) {}

PropertyValue PropertyValue::fromString(std::string_view utf8) {
    return valueOwning(plist_new_string(std::string(utf8).c_str()));
}

PropertyValue::Kind PropertyValue::kind() const {
    switch (plist_get_node_type(node_->tree)) {
        case PLIST_STRING: return Kind::String;
        case PLIST_UINT: return Kind::Integer;
        case PLIST_REAL: return Kind::Real;
        case PLIST_BOOLEAN: return Kind::Boolean;
        case PLIST_DATE: return Kind::Date;
        case PLIST_DATA: return Kind::Data;
        case PLIST_ARRAY: return Kind::Array;
        case PLIST_DICT: return Kind::Dictionary;
        default: return Kind::Other;
    }
}

std::optional<std::string> PropertyValue::asString() const {
    if (kind() != Kind::String) return std::nullopt;
    char* raw = nullptr;
    plist_get_string_val(node_->tree, &raw);
    MallocText text(raw);
    return std::string(text ? text.get() : "");
}

std::optional<int64_t> PropertyValue::asInteger() const {
    if (kind() != Kind::Integer) return std::nullopt;
    uint64_t value = 0;
    plist_get_uint_val(node_->tree, &value);
    return static_cast<int64_t>(value);
}

std::optional<bool> PropertyValue::asBoolean() const {
    if (kind() != Kind::Boolean) return std::nullopt;
    uint8_t value = 0;
    plist_get_bool_val(node_->tree, &value);
    return value != 0;
}

std::optional<std::vector<uint8_t>> PropertyValue::asData() const {
    if (kind() != Kind::Data) return std::nullopt;
    char* raw = nullptr;
    uint64_t length = 0;
    plist_get_data_val(node_->tree, &raw, &length);
    MallocText data(raw);
    const auto* first = reinterpret_cast<const uint8_t*>(data.get());
    return data ? std::vector<uint8_t>(first, first + length) : std::vector<uint8_t>{};
}

std::optional<std::vector<PropertyValue>> PropertyValue::asArray() const {
    if (kind() != Kind::Array) return std::nullopt;
    std::vector<PropertyValue> items;
    uint32_t size = plist_array_get_size(node_->tree);
    items.reserve(size);
    for (uint32_t i = 0; i < size; ++i) {
        items.push_back(valueCopying(plist_array_get_item(node_->tree, i)));
    }
    return items;
}

std::optional<PropertyDictionary> PropertyValue::asDictionary() const {
    if (kind() != Kind::Dictionary) return std::nullopt;
    return dictionaryFromNode(node_->tree);
}

bool PropertyValue::operator==(const PropertyValue& other) const {
    return node_ == other.node_ || nodesEqual(node_->tree, other.node_->tree);
}

// ======================================================= PropertyDictionary

std::optional<std::string> PropertyDictionary::string(std::string_view key) const {
    const PropertyValue* value = find(key);
    return value ? value->asString() : std::nullopt;
}

const PropertyValue* PropertyDictionary::find(std::string_view key) const {
    auto it = entries_.find(key);
    return it == entries_.end() ? nullptr : &it->second;
}

bool PropertyDictionary::contains(std::string_view key) const {
    return entries_.find(key) != entries_.end();
}

void PropertyDictionary::setString(const std::string& key, std::string_view utf8) {
    set(key, PropertyValue::fromString(utf8));
}

void PropertyDictionary::set(const std::string& key, PropertyValue value) {
    entries_.insert_or_assign(key, std::move(value));
}

// ============================================================ files

bool propertyListNestingWithinBound(std::span<const uint8_t> bytes) {
    if (isBinary(bytes)) return binaryGraphWithinBound(bytes);
    return xmlNestingWithinBound(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

std::optional<PropertyDictionary> parsePropertyListDictionary(std::span<const uint8_t> bytes) {
    if (bytes.empty() || bytes.size() > kMaxPropertyListFileSize) return std::nullopt;
    if (!propertyListNestingWithinBound(bytes)) return std::nullopt;
    const char* text = reinterpret_cast<const char*>(bytes.data());
    auto length = static_cast<uint32_t>(bytes.size());
    plist_t rawRoot = nullptr;
    if (isBinary(bytes)) {
        plist_from_bin(text, length, &rawRoot);
    } else {
        // XML holds no NUL character; libplist would keep one inside a
        // string, whose length and text then disagree (its getters assert).
        if (std::memchr(text, 0, bytes.size()) != nullptr) return std::nullopt;
        plist_from_xml(text, length, &rawRoot);
    }
    PlistOwner root(rawRoot);
    if (!root || plist_get_node_type(root.get()) != PLIST_DICT) return std::nullopt;
    if (!treeDepthWithinBound(root.get())) {
        // Cannot happen after the scans above; never hand such a tree on.
        return std::nullopt;
    }
    return dictionaryFromNode(root.get());
}

std::optional<PropertyDictionary> readPropertyListDictionary(const std::string& path) {
    std::optional<std::vector<uint8_t>> bytes = readWholeFile(path);
    if (!bytes) return std::nullopt;
    return parsePropertyListDictionary(*bytes);
}

std::optional<std::string> serializeXmlPropertyList(const PropertyDictionary& dictionary) {
    PlistOwner root(plist_new_dict());
    if (!root) return std::nullopt;
    for (const auto& [key, value] : dictionary.entries()) {
        plist_dict_set_item(root.get(), key.c_str(), plist_copy(value.node()->tree));
    }
    char* rawXml = nullptr;
    uint32_t length = 0;
    plist_to_xml(root.get(), &rawXml, &length);
    MallocText xml(rawXml);
    if (!xml || length == 0) return std::nullopt;
    return std::string(xml.get(), length);
}

bool writePropertyListDictionary(const std::string& path, const PropertyDictionary& dictionary) {
    std::optional<std::string> xml = serializeXmlPropertyList(dictionary);
    if (!xml) return false;
    FileDescriptor file(openForRewrite(path));
    if (!file.valid()) return false;
    bool written = writeAll(file.get(), *xml);
    return file.close() && written;
}

}  // namespace platform
