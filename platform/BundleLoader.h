// Reading preference-pane bundles: <Name>.prefPane/Contents/Info.plist, the
// library in Contents/MacOS and the interface description in
// Contents/Resources. Plain C++; the host adds the interface.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/PreferencePane.h"
#include "platform/PropertyList.h"

namespace platform {

inline constexpr std::string_view kPaneBundleExtension = ".prefPane";
inline constexpr std::string_view kInterfaceExtension = ".ui";

// The Info.plist keys that the host needs to load a pane.
inline constexpr const char* kBundleExecutableKey = "CFBundleExecutable";
inline constexpr const char* kPrincipalClassKey = "NSPrincipalClass";
inline constexpr const char* kMainNibFileKey = "NSMainNibFile";
inline constexpr const char* kBundleNameKey = "CFBundleName";
inline constexpr const char* kBundleVersionKey = "CFBundleVersion";
inline constexpr const char* kBundleIdentifierKey = "CFBundleIdentifier";

// One bundle found in a panes folder. Opening never fails: a bundle without a
// readable Info.plist is still listed (by its folder name), and loading it
// reports what is missing.
class PaneBundle {
public:
    static PaneBundle open(const std::string& path);

    const std::string& path() const { return path_; }
    // "WirelessPane.prefPane".
    std::string folderName() const;
    // CFBundleName, or the folder name without its extension.
    std::string displayName() const;
    // A user may name a pane by its CFBundleName or by its folder name (with
    // or without the extension).
    bool isNamed(std::string_view name) const;
    bool isFolderNamed(std::string_view name) const;

    bool hasInfo() const { return info_.has_value(); }
    std::optional<std::string> infoValue(std::string_view key) const;
    Bundle bundle() const;

    // Loads the library and creates the principal class. On failure: null,
    // and error says what is missing, starting with the folder name.
    std::unique_ptr<PreferencePane> createPrincipal(std::string& error) const;
    // The interface description named by NSMainNibFile, when it exists.
    std::optional<std::string> interfacePath(std::string& error) const;

private:
    std::optional<std::string> requiredFileName(const char* key, std::string& error) const;
    std::string failure(std::string_view what) const;

    std::string path_;
    std::optional<PropertyDictionary> info_;
};

// The bundles directly in folder, sorted by folder name; none when the folder
// does not exist.
std::vector<PaneBundle> findPaneBundles(const std::string& folder);

}  // namespace platform
