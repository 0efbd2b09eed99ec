// The fixed locations of the system. Programs pass these to the code below
// their main; tests pass temporary folders instead.
#pragma once

namespace platform {

inline constexpr const char* kSettingsFilePath = "/Library/Preferences/com.nimbrel.80211b.plist";
inline constexpr const char* kServiceRegistryPath = "/run/iokit";

}  // namespace platform
