// The settings file: a property list whose root dictionary maps setting keys
// to string values.
#pragma once

#include "platform/PropertyList.h"

#include <optional>
#include <string>

using SettingsDictionary = platform::PropertyDictionary;

// No dictionary for a missing, unreadable, oversized or malformed file, or
// one whose root is no dictionary. A value that is not a string reads as
// absent through SettingsDictionary::string() but is kept for write-back.
std::optional<SettingsDictionary> readSettingsFile(const std::string& path);

// Writes the whole dictionary as an XML property list in place. A file this
// creates is readable by its owner only, since it holds WEP keys; an existing
// file keeps its owner and mode. Returns false on failure.
bool writeSettingsFile(const std::string& path, const SettingsDictionary& settings);
