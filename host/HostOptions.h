// PreferencesHost [--panes DIR] [--pane NAME] [--registry DIR] [--script FILE]
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace host {

inline constexpr const char* kHostUsage =
    "usage: PreferencesHost [--panes DIR] [--pane NAME] [--registry DIR] [--script FILE]";

struct HostOptions {
    std::optional<std::string> panesFolder;
    std::string paneName;
    std::optional<std::string> serviceRegistry;
    std::optional<std::string> scriptFile;
    bool help = false;
};

// The arguments after the program name; none, with a message, when they do
// not fit the usage.
std::optional<HostOptions> parseHostOptions(const std::vector<std::string>& arguments, std::string& error);

// The build tree's panes/ when the host runs from a build tree (<dir>/../panes
// next to a CMakeCache.txt), else the installed <prefix>/lib/PreferencePanes.
std::string defaultPanesFolder(const std::string& executableFolder);

}  // namespace host
