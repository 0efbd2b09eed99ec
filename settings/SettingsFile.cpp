#include "settings/SettingsFile.h"

std::optional<SettingsDictionary> readSettingsFile(const std::string& path) {
    return platform::readPropertyListDictionary(path);
}

bool writeSettingsFile(const std::string& path, const SettingsDictionary& settings) {
    return platform::writePropertyListDictionary(path, settings);
}
