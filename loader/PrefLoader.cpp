#include "loader/PrefLoader.h"

#include <cstring>

#include "driver/80211UserClientWrapper.h"
#include "settings/RecordMapping.h"
#include "settings/SettingsFile.h"

int runPrefLoader(const LoaderLocations& locations) {
    Nimbrel80211UserClientWrapper userClient(locations.serviceRegistry);
    if (userClient.connect() == 0) {
        // A failed open may still hold the service; give it back.
        userClient.disconnect();
        return kLoaderNoDriver;
    }

    // A missing or unreadable file counts as empty: the driver's record then
    // goes back as it came.
    const SettingsDictionary settings = readSettingsFile(locations.settingsFile).value_or(SettingsDictionary{});

    // Always on top of the driver's own record, so the fields the settings
    // don't decide go back unchanged. Neither call's result changes what
    // happens next: a failed read leaves the zeroed record to be mapped.
    PrismPrefsRecord record;
    std::memset(&record, 0, sizeof record);
    userClient.getPrefs(&record);
    record = mapSettingsOntoRecord(settings, record);
    userClient.setPrefs(&record);

    userClient.disconnect();
    return kLoaderSent;
}
