#include "host/HostOptions.h"

#include <filesystem>
#include <string_view>
#include <system_error>

namespace host {

namespace {

constexpr std::string_view kBuildTreePanes = "panes";
constexpr std::string_view kBuildTreeMarker = "CMakeCache.txt";
constexpr std::string_view kInstalledPanes = "lib/PreferencePanes";

struct OptionSlot {
    std::string_view name;
    std::optional<std::string> HostOptions::*optionalValue;
    std::string HostOptions::*value;
};

const OptionSlot kOptions[] = {
    {"--panes", &HostOptions::panesFolder, nullptr},
    {"--pane", nullptr, &HostOptions::paneName},
    {"--registry", &HostOptions::serviceRegistry, nullptr},
    {"--script", &HostOptions::scriptFile, nullptr},
};

const OptionSlot* findOption(std::string_view name) {
    for (const OptionSlot& option : kOptions)
        if (option.name == name) return &option;
    return nullptr;
}

}  // namespace

std::optional<HostOptions> parseHostOptions(const std::vector<std::string>& arguments, std::string& error) {
    HostOptions options;
    for (std::size_t at = 0; at < arguments.size(); ++at) {
        std::string_view argument = arguments[at];
        if (argument == "--help" || argument == "-h") {
            options.help = true;
            continue;
        }
        std::string_view name = argument.substr(0, argument.find('='));
        const OptionSlot* option = findOption(name);
        if (option == nullptr) {
            error = "unknown option " + std::string(argument);
            return std::nullopt;
        }
        std::string value;
        if (name.size() < argument.size()) {
            value = std::string(argument.substr(name.size() + 1));
        } else if (at + 1 < arguments.size()) {
            value = arguments[++at];
        } else {
            error = std::string(name) + " needs a value";
            return std::nullopt;
        }
        if (option->optionalValue) options.*(option->optionalValue) = value;
        else options.*(option->value) = value;
    }
    return options;
}

std::string defaultPanesFolder(const std::string& executableFolder) {
    namespace fs = std::filesystem;
    fs::path prefix = fs::path(executableFolder).parent_path();
    std::error_code ignored;
    fs::path buildTreePanes = prefix / kBuildTreePanes;
    if (fs::is_directory(buildTreePanes, ignored) && fs::exists(prefix / kBuildTreeMarker, ignored))
        return buildTreePanes.string();
    return (prefix / kInstalledPanes).string();
}

}  // namespace host
