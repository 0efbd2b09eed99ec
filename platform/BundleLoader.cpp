#include "platform/BundleLoader.h"

#include <dlfcn.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace platform {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kInfoPlistPath = "Contents/Info.plist";
constexpr std::string_view kExecutableFolder = "Contents/MacOS/";
constexpr std::string_view kResourcesFolder = "Contents/Resources/";

bool endsWith(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

// A name from Info.plist must stay inside its folder of the bundle.
bool isPlainFileName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos &&
           name.find('\0') == std::string_view::npos;
}

bool isRegularFile(const std::string& path) {
    std::error_code ignored;
    return fs::is_regular_file(path, ignored);
}

std::string withoutBundleExtension(std::string name) {
    if (endsWith(name, kPaneBundleExtension)) name.resize(name.size() - kPaneBundleExtension.size());
    return name;
}

}  // namespace

PaneBundle PaneBundle::open(const std::string& path) {
    PaneBundle bundle;
    bundle.path_ = path;
    bundle.info_ = readPropertyListDictionary((fs::path(path) / kInfoPlistPath).string());
    return bundle;
}

std::string PaneBundle::folderName() const {
    fs::path folder(path_);
    if (!folder.has_filename()) folder = folder.parent_path();
    return folder.filename().string();
}

std::string PaneBundle::displayName() const {
    if (std::optional<std::string> name = infoValue(kBundleNameKey); name && !name->empty()) return *name;
    return withoutBundleExtension(folderName());
}

bool PaneBundle::isFolderNamed(std::string_view name) const {
    std::string folder = folderName();
    return !name.empty() && (name == folder || name == withoutBundleExtension(folder));
}

bool PaneBundle::isNamed(std::string_view name) const {
    return isFolderNamed(name) || (!name.empty() && name == displayName());
}

std::optional<std::string> PaneBundle::infoValue(std::string_view key) const {
    if (!info_) return std::nullopt;
    return info_->string(key);
}

Bundle PaneBundle::bundle() const {
    return Bundle(path_, info_.value_or(PropertyDictionary()));
}

std::string PaneBundle::failure(std::string_view what) const {
    return folderName() + ": " + std::string(what);
}

std::optional<std::string> PaneBundle::requiredFileName(const char* key, std::string& error) const {
    if (!info_) {
        error = failure(std::string(kInfoPlistPath) + " is missing or is not a property list");
        return std::nullopt;
    }
    std::optional<std::string> value = info_->string(key);
    if (!value || value->empty()) {
        error = failure(std::string("Info.plist has no ") + key);
        return std::nullopt;
    }
    if (!isPlainFileName(*value)) {
        error = failure(std::string("Info.plist's ") + key + " \"" + *value + "\" is not a file name");
        return std::nullopt;
    }
    return value;
}

std::unique_ptr<PreferencePane> PaneBundle::createPrincipal(std::string& error) const {
    std::optional<std::string> executable = requiredFileName(kBundleExecutableKey, error);
    if (!executable) return nullptr;
    std::optional<std::string> principalClass = infoValue(kPrincipalClassKey);
    if (!principalClass || principalClass->empty()) {
        error = failure(std::string("Info.plist has no ") + kPrincipalClassKey);
        return nullptr;
    }
    std::string relative = std::string(kExecutableFolder) + *executable;
    std::string library = (fs::path(path_) / relative).string();
    if (!isRegularFile(library)) {
        error = failure("the library " + relative + " is missing");
        return nullptr;
    }
    // Never closed: what the library made (timer actions, the pane itself)
    // may be in use until the host ends.
    void* handle = ::dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* reason = ::dlerror();
        error = failure("cannot load " + relative + ": " + (reason ? reason : "unknown reason"));
        return nullptr;
    }
    auto factory = reinterpret_cast<PreferencePaneFactory>(::dlsym(handle, kPreferencePaneFactorySymbol));
    if (factory == nullptr) {
        error = failure(relative + " does not export " + kPreferencePaneFactorySymbol);
        return nullptr;
    }
    std::unique_ptr<PreferencePane> pane(factory(principalClass->c_str()));
    if (!pane) {
        error = failure(relative + " has no principal class " + *principalClass);
        return nullptr;
    }
    return pane;
}

std::optional<std::string> PaneBundle::interfacePath(std::string& error) const {
    std::optional<std::string> nib = requiredFileName(kMainNibFileKey, error);
    if (!nib) return std::nullopt;
    std::string relative = std::string(kResourcesFolder) + *nib;
    if (!endsWith(relative, kInterfaceExtension)) relative += kInterfaceExtension;
    std::string path = (fs::path(path_) / relative).string();
    if (!isRegularFile(path)) {
        error = failure("the interface description " + relative + " is missing");
        return std::nullopt;
    }
    return path;
}

std::vector<PaneBundle> findPaneBundles(const std::string& folder) {
    std::vector<std::string> paths;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::string name = it->path().filename().string();
        std::error_code ignored;
        if (endsWith(name, kPaneBundleExtension) && it->is_directory(ignored)) paths.push_back(it->path().string());
    }
    std::sort(paths.begin(), paths.end());
    std::vector<PaneBundle> bundles;
    bundles.reserve(paths.size());
    for (const std::string& path : paths) bundles.push_back(PaneBundle::open(path));
    return bundles;
}

}  // namespace platform
