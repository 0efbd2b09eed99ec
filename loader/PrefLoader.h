// WirelessLoader: pushes the saved wireless settings into the driver.
#pragma once

#include <string>

#include "platform/Locations.h"

struct LoaderLocations {
    std::string settingsFile = platform::kSettingsFilePath;
    std::string serviceRegistry = platform::kServiceRegistryPath;
};

inline constexpr int kLoaderSent = 0;
inline constexpr int kLoaderNoDriver = -1;

// One pass: connect, read the settings file, read the driver's settings
// record, change it by the saved settings and send it back. Returns
// kLoaderNoDriver, without reading the file, when there is no driver.
int runPrefLoader(const LoaderLocations& locations);
