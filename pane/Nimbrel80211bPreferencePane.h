// WirelessPane's controller: shows the card's status and diagnostics, lets
// the user edit the wireless settings, and applies them to the settings file
// and the driver each time the user applies or leaves the pane.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "driver/80211UserClientWrapper.h"
#include "pane/RecordReader.h"
#include "platform/Controls.h"
#include "platform/Locations.h"
#include "platform/PreferencePane.h"
#include "settings/KeyTypes.h"
#include "settings/SettingsFile.h"

class Nimbrel80211bPreferencePane : public platform::PreferencePane {
public:
    explicit Nimbrel80211bPreferencePane(std::string settingsFile = platform::kSettingsFilePath);
    ~Nimbrel80211bPreferencePane() override;

    // Entry points called by the host.
    void willSelect() override;
    int shouldUnselect() override;
    void didUnselect() override;

    std::vector<platform::Outlet> outlets() override;
    std::vector<platform::Action> actions() override;

    // Actions; each takes its sender and ignores it.
    void applyNow(platform::Control* sender);
    void networkSearchStrategy(platform::Control* sender);
    void preferredEncryptionMethod(platform::Control* sender);
    void useMultipleKeys(platform::Control* sender);
    void visitWebSite(platform::Control* sender);
    void preferredEncryptionKey(platform::Control* sender);
    void preferredNetworkName(platform::Control* sender);
    void rememberMRUnetwork(platform::Control* sender);
    void setKey1(platform::Control* sender);
    void setKey2(platform::Control* sender);
    void setKey3(platform::Control* sender);
    void setKey4(platform::Control* sender);
    void setTxKey(platform::Control* sender);
    void useKeyChain(platform::Control* sender);
    void toggleIBSSmode(platform::Control* sender);

    // The status display; also the status timer's action.
    void updateStatus();
    void loadDiagnostics();

private:
    // willSelect, step by step.
    void showBundleVersion();
    void connectToDriver();
    void readSettings();
    std::optional<std::string> storedSetting(std::string_view key) const;
    void setControlsFromSettings();
    void setNetworkChoiceFromSettings();
    void setSwitchesFromSettings();
    void setKeyTypeFromSettings();
    void setKeysFromSettings();
    void setTxKeyFromSettings();
    void fillNetworkList();
    void startStatusTimer();
    void stopStatusTimer();
    void setNetworkControlsEnabled(bool enabled);
    void setMultipleKeyFieldsEnabled(bool enabled);

    // applyNow:, step by step.
    void setPreference(std::string_view key, std::string_view value);
    void applyNetwork(PrismPrefsRecord& record);
    void applyAdHocMode(PrismPrefsRecord& record);
    void applyPreamble(PrismPrefsRecord& record);
    void applyPaneOnlySwitches();
    KeyEncoding applyKeyType(PrismPrefsRecord& record);
    void applyPreferredKeyEntry(PrismPrefsRecord& record);
    void applyPreferredKeyEncoding(PrismPrefsRecord& record, KeyEncoding encoding);
    void applyMultipleKeys(PrismPrefsRecord& record);

    std::string keyToCheck() const;
    platform::TextField* keyField(int index) const;
    RecordReader recordReader() const;

    // Outlets, in declared order; the host binds them to the interface's controls.
    platform::RadioMatrix* showAnyVsSpecificNetwork = nullptr;
    platform::TextField* showBSSID = nullptr;
    platform::TextField* showDiagnosticInfo = nullptr;
    platform::TextField* showKey1 = nullptr;
    platform::TextField* showKey2 = nullptr;
    platform::TextField* showKey3 = nullptr;
    platform::TextField* showKey4 = nullptr;
    platform::TextField* showKeySyntax = nullptr;
    platform::CheckBox* showKeychain = nullptr;
    platform::TextField* showMAC = nullptr;
    platform::TextField* showPreferredEncryptionKey = nullptr;
    platform::PopUpButton* showPreferredEncryptionType = nullptr;
    platform::ComboBox* showPreferredNetworkName = nullptr;
    platform::CheckBox* showRememberMRUNetwork = nullptr;
    platform::CheckBox* showShortPreamble = nullptr;
    platform::ProgressIndicator* showSignal = nullptr;
    platform::TextField* showSSID = nullptr;
    platform::RadioMatrix* showTxKey = nullptr;
    platform::TextField* showTxRate = nullptr;
    platform::CheckBox* showUsingMultipleKeys = nullptr;
    platform::PushButton* applyNowButton = nullptr;
    platform::TextField* showVersion = nullptr;
    platform::TextField* keyPrompt = nullptr;
    platform::CheckBox* showIBSSmode = nullptr;

private:
    // Model fields.
    SettingsDictionary newPreferences;
    std::optional<SettingsDictionary> oldPreferences;
    std::unique_ptr<Nimbrel80211UserClientWrapper> userClient;
    int32_t userClientConnected = 0;
    std::shared_ptr<platform::Timer> statTimer;

    std::string settingsFile_;
};

// The publisher's home page, opened by visitWebSite:.
inline constexpr const char* kPublisherHomePage = "https://www.nimbrel.example/";
// The status display is refreshed this often while the pane is shown.
inline constexpr double kStatusIntervalSeconds = 0.5;
