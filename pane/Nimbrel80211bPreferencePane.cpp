#include "pane/Nimbrel80211bPreferencePane.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <iterator>

#include "pane/DiagnosticsReport.h"
#include "pane/KeyMask.h"
#include "pane/NetworkList.h"
#include "pane/StatusDisplay.h"
#include "platform/MacRoman.h"
#include "settings/KeyCheck.h"
#include "settings/KeyEncoding.h"
#include "settings/KeyTypes.h"
#include "settings/RecordMapping.h"
#include "settings/SettingsKeys.h"

using platform::Action;
using platform::CheckBox;
using platform::Control;
using platform::Outlet;
using platform::TextField;
namespace keys = settings_keys;
namespace values = settings_values;

namespace {

constexpr int kAnyNetworkRow = 0;
constexpr int kNamedNetworkRow = 1;
constexpr int kTxKeyRows = 4;

// The key field's label and hint, by item of the key-type pop-up.
struct KeyPrompt {
    const char* prompt;
    const char* hint;
};
constexpr KeyPrompt kKeyPrompts[] = {
    {"Key:", ""},
    {"Password:", "(Enter the password for your Apple Airport Base Station)"},
    {"Password:", "(Enter the password for your Apple Airport Base Station)"},
    {"Key:", "(Enter key as 10 hex digits)"},
    {"Key:", "(Enter key as 26 hex digits)"},
    {"Password:", "(Enter 5 character password)"},
    {"Password:", "(Enter 13 character password)"},
};

std::string_view yesOrNo(bool on) { return on ? values::kYes : values::kNo; }
bool isOn(const CheckBox* box) { return box->state() != 0; }

}  // namespace

Nimbrel80211bPreferencePane::Nimbrel80211bPreferencePane(std::string settingsFile)
    : settingsFile_(std::move(settingsFile)) {}

Nimbrel80211bPreferencePane::~Nimbrel80211bPreferencePane() {
    // The timer's action refers to this controller; never let it outlive it.
    stopStatusTimer();
    if (userClient) userClient->disconnect();
}

std::vector<Outlet> Nimbrel80211bPreferencePane::outlets() {
    return {
        {"showAnyVsSpecificNetwork", showAnyVsSpecificNetwork},
        {"showBSSID", showBSSID},
        {"showDiagnosticInfo", showDiagnosticInfo},
        {"showKey1", showKey1},
        {"showKey2", showKey2},
        {"showKey3", showKey3},
        {"showKey4", showKey4},
        {"showKeySyntax", showKeySyntax},
        {"showKeychain", showKeychain},
        {"showMAC", showMAC},
        {"showPreferredEncryptionKey", showPreferredEncryptionKey},
        {"showPreferredEncryptionType", showPreferredEncryptionType},
        {"showPreferredNetworkName", showPreferredNetworkName},
        {"showRememberMRUNetwork", showRememberMRUNetwork},
        {"showShortPreamble", showShortPreamble},
        {"showSignal", showSignal},
        {"showSSID", showSSID},
        {"showTxKey", showTxKey},
        {"showTxRate", showTxRate},
        {"showUsingMultipleKeys", showUsingMultipleKeys},
        {"applyNowButton", applyNowButton},
        {"showVersion", showVersion},
        {"keyPrompt", keyPrompt},
        {"showIBSSmode", showIBSSmode},
    };
}

std::vector<Action> Nimbrel80211bPreferencePane::actions() {
    using Method = void (Nimbrel80211bPreferencePane::*)(Control*);
    const auto send = [this](Method method) {
        return [this, method](Control* sender) { (this->*method)(sender); };
    };
    return {
        {"applyNow:", send(&Nimbrel80211bPreferencePane::applyNow)},
        {"networkSearchStrategy:", send(&Nimbrel80211bPreferencePane::networkSearchStrategy)},
        {"preferredEncryptionMethod:", send(&Nimbrel80211bPreferencePane::preferredEncryptionMethod)},
        {"useMultipleKeys:", send(&Nimbrel80211bPreferencePane::useMultipleKeys)},
        {"visitWebSite:", send(&Nimbrel80211bPreferencePane::visitWebSite)},
        {"preferredEncryptionKey:", send(&Nimbrel80211bPreferencePane::preferredEncryptionKey)},
        {"preferredNetworkName:", send(&Nimbrel80211bPreferencePane::preferredNetworkName)},
        {"rememberMRUnetwork:", send(&Nimbrel80211bPreferencePane::rememberMRUnetwork)},
        {"setKey1:", send(&Nimbrel80211bPreferencePane::setKey1)},
        {"setKey2:", send(&Nimbrel80211bPreferencePane::setKey2)},
        {"setKey3:", send(&Nimbrel80211bPreferencePane::setKey3)},
        {"setKey4:", send(&Nimbrel80211bPreferencePane::setKey4)},
        {"setTxKey:", send(&Nimbrel80211bPreferencePane::setTxKey)},
        {"useKeyChain:", send(&Nimbrel80211bPreferencePane::useKeyChain)},
        {"toggleIBSSmode:", send(&Nimbrel80211bPreferencePane::toggleIBSSmode)},
    };
}

// ---- Selecting the pane ----

void Nimbrel80211bPreferencePane::willSelect() {
    showBundleVersion();
    connectToDriver();
    readSettings();
    setControlsFromSettings();
    loadDiagnostics();
    updateStatus();
    preferredEncryptionMethod(nullptr);  // sent by the controller itself
    fillNetworkList();
    startStatusTimer();
}

void Nimbrel80211bPreferencePane::showBundleVersion() {
    showVersion->setStringValue(bundle().infoValue("CFBundleVersion").value_or(""));
}

void Nimbrel80211bPreferencePane::connectToDriver() {
    // Every selection opens a connection of its own.
    if (userClient) userClient->disconnect();
    userClient = std::make_unique<Nimbrel80211UserClientWrapper>(serviceRegistry());
    userClientConnected = userClient->connect();
}

void Nimbrel80211bPreferencePane::readSettings() {
    oldPreferences = readSettingsFile(settingsFile_);
    newPreferences = oldPreferences.value_or(SettingsDictionary{});
}

std::optional<std::string> Nimbrel80211bPreferencePane::storedSetting(std::string_view key) const {
    if (!oldPreferences) return std::nullopt;
    return oldPreferences->string(key);
}

void Nimbrel80211bPreferencePane::setControlsFromSettings() {
    setNetworkChoiceFromSettings();
    setSwitchesFromSettings();
    setKeyTypeFromSettings();
    setKeysFromSettings();
    setTxKeyFromSettings();
}

void Nimbrel80211bPreferencePane::setNetworkChoiceFromSettings() {
    const std::optional<std::string> desired = storedSetting(keys::kDesiredSSID);
    if (!desired) {
        setNetworkControlsEnabled(false);
    } else if (*desired == values::kAnyNetwork) {
        showAnyVsSpecificNetwork->selectCell(kAnyNetworkRow, 0);
        setNetworkControlsEnabled(false);
    } else {
        showAnyVsSpecificNetwork->selectCell(kNamedNetworkRow, 0);
        showPreferredNetworkName->setStringValue(*desired);
    }
}

void Nimbrel80211bPreferencePane::setSwitchesFromSettings() {
    // A switch only ever turns its box on; nothing here turns one off.
    const std::pair<std::string_view, CheckBox*> switches[] = {
        {keys::kIBSSMode, showIBSSmode},
        {keys::kShortPreamble, showShortPreamble},
        {keys::kRememberMostRecentSSID, showRememberMRUNetwork},
        {keys::kStoreWEPKeysInKeychain, showKeychain},
    };
    for (const auto& [key, box] : switches) {
        if (storedSetting(key) == values::kYes) box->setState(1);
    }
}

void Nimbrel80211bPreferencePane::setKeyTypeFromSettings() {
    const std::optional<std::string> name = storedSetting(keys::kWEPKeyType);
    if (!name) return;
    if (const KeyType* type = keyTypeNamed(*name)) showPreferredEncryptionType->selectItemAtIndex(type->popupPosition);
}

void Nimbrel80211bPreferencePane::setKeysFromSettings() {
    if (const auto key = storedSetting(keys::kWEPKeyValue)) showPreferredEncryptionKey->setStringValue(maskOfStoredKey(*key));

    if (const auto multiple = storedSetting(keys::kWEPMultipleKeys)) {
        if (*multiple == values::kYes) {
            showUsingMultipleKeys->setState(1);
        } else {
            setMultipleKeyFieldsEnabled(false);
        }
    }
    for (int index = 0; index < static_cast<int>(kKeySlotCount); ++index) {
        if (const auto key = storedSetting(keys::kWEPKeys[index])) keyField(index)->setStringValue(maskOfStoredKey(*key));
    }
}

void Nimbrel80211bPreferencePane::setTxKeyFromSettings() {
    if (const auto txKey = storedSetting(keys::kWEPTxKey)) showTxKey->selectCell(txKeyIndexFromSetting(*txKey), 0);
}

void Nimbrel80211bPreferencePane::fillNetworkList() {
    showPreferredNetworkName->removeAllItems();
    NMX80211ScanRecord area[kScanRecordCount];
    std::memset(area, 0, sizeof area);
    // Without a connection the scan fails and the list stays empty.
    if (userClient->apScan(area) == 0) return;
    for (const std::string& name : scannedNetworkNames(area)) {
        showPreferredNetworkName->addItem(platform::fromMacRoman(name));
    }
}

void Nimbrel80211bPreferencePane::startStatusTimer() {
    stopStatusTimer();  // one timer at any time
    statTimer = services().scheduleRepeatingTimer(kStatusIntervalSeconds, [this] { updateStatus(); });
}

void Nimbrel80211bPreferencePane::stopStatusTimer() {
    if (!statTimer) return;
    statTimer->invalidate();
    statTimer.reset();
}

void Nimbrel80211bPreferencePane::setNetworkControlsEnabled(bool enabled) {
    showPreferredNetworkName->setEnabled(enabled);
    showPreferredEncryptionType->setEnabled(enabled);
    showPreferredEncryptionKey->setEnabled(enabled);
}

void Nimbrel80211bPreferencePane::setMultipleKeyFieldsEnabled(bool enabled) {
    for (int index = 0; index < static_cast<int>(kKeySlotCount); ++index) keyField(index)->setEnabled(enabled);
}

TextField* Nimbrel80211bPreferencePane::keyField(int index) const {
    const std::array<TextField*, kKeySlotCount> fields = {showKey1, showKey2, showKey3, showKey4};
    return fields[static_cast<std::size_t>(index)];
}

// ---- Leaving the pane ----

int Nimbrel80211bPreferencePane::shouldUnselect() {
    const int index = showPreferredEncryptionType->indexOfSelectedItem();
    const std::optional<int> position = index < 0 ? std::nullopt : std::optional<int>(index);
    const std::optional<std::string_view> failure = checkPreferredKey(position, keyToCheck());
    if (!failure) return platform::kUnselectNow;
    services().runAlert(kInvalidKeyAlertTitle, *failure, kInvalidKeyAlertButton);
    return platform::kUnselectCancel;
}

// A field that still shows the stored key masked stands for the stored text,
// which is what an apply keeps: a stored key written with a "$" or "0x"
// prefix then passes as it did when it was typed, instead of being measured
// by its mask, which has a character for every prefix character too.
std::string Nimbrel80211bPreferencePane::keyToCheck() const {
    std::string text = showPreferredEncryptionKey->stringValue();
    if (showsStoredKey(text)) {
        if (std::optional<std::string> stored = newPreferences.string(keys::kWEPKeyValue)) return *stored;
    }
    return text;
}

void Nimbrel80211bPreferencePane::didUnselect() {
    stopStatusTimer();
    applyNow(nullptr);  // sent by the controller itself
    newPreferences = SettingsDictionary{};
    oldPreferences.reset();
    // Also gives back a service that a failed open left held.
    if (userClient) userClient->disconnect();
    userClient.reset();
    userClientConnected = 0;
}

// ---- Editing actions ----

void Nimbrel80211bPreferencePane::networkSearchStrategy(Control*) {
    switch (showAnyVsSpecificNetwork->selectedRow()) {
        case kAnyNetworkRow: setNetworkControlsEnabled(false); break;
        case kNamedNetworkRow: setNetworkControlsEnabled(true); break;
        default: break;
    }
}

void Nimbrel80211bPreferencePane::preferredEncryptionMethod(Control*) {
    const int index = showPreferredEncryptionType->indexOfSelectedItem();
    if (index < 0 || index >= static_cast<int>(std::size(kKeyPrompts))) return;
    keyPrompt->setStringValue(kKeyPrompts[index].prompt);
    showKeySyntax->setStringValue(kKeyPrompts[index].hint);
}

void Nimbrel80211bPreferencePane::useMultipleKeys(Control*) {
    setMultipleKeyFieldsEnabled(isOn(showUsingMultipleKeys));
}

void Nimbrel80211bPreferencePane::visitWebSite(Control*) {
    services().openURL(kPublisherHomePage);
}

// Every other setting is read from its control when the settings are applied.
void Nimbrel80211bPreferencePane::preferredEncryptionKey(Control*) {}
void Nimbrel80211bPreferencePane::preferredNetworkName(Control*) {}
void Nimbrel80211bPreferencePane::rememberMRUnetwork(Control*) {}
void Nimbrel80211bPreferencePane::setKey1(Control*) {}
void Nimbrel80211bPreferencePane::setKey2(Control*) {}
void Nimbrel80211bPreferencePane::setKey3(Control*) {}
void Nimbrel80211bPreferencePane::setKey4(Control*) {}
void Nimbrel80211bPreferencePane::setTxKey(Control*) {}
void Nimbrel80211bPreferencePane::useKeyChain(Control*) {}
void Nimbrel80211bPreferencePane::toggleIBSSmode(Control*) {}

// ---- Applying ----

void Nimbrel80211bPreferencePane::applyNow(Control*) {
    if (shouldUnselect() == platform::kUnselectCancel) return;

    // Always on top of the driver's own record, so the fields the settings
    // don't decide go back unchanged.
    PrismPrefsRecord record;
    std::memset(&record, 0, sizeof record);
    if (userClientConnected) userClient->getPrefs(&record);

    applyNetwork(record);
    applyAdHocMode(record);
    applyPreamble(record);
    applyPaneOnlySwitches();
    const KeyEncoding encoding = applyKeyType(record);
    applyPreferredKeyEntry(record);
    applyPreferredKeyEncoding(record, encoding);
    applyMultipleKeys(record);

    writeSettingsFile(settingsFile_, newPreferences);
    if (userClientConnected) userClient->setPrefs(&record);
}

void Nimbrel80211bPreferencePane::setPreference(std::string_view key, std::string_view value) {
    newPreferences.setString(std::string(key), value);
}

void Nimbrel80211bPreferencePane::applyNetwork(PrismPrefsRecord& record) {
    if (showAnyVsSpecificNetwork->selectedRow() == kAnyNetworkRow) {
        setPreference(keys::kDesiredSSID, values::kAnyNetwork);
        record.ssid[0] = 0;  // the rest of the name field stays as the driver sent it
        return;
    }
    const std::string name = showPreferredNetworkName->stringValue();
    setPreference(keys::kDesiredSSID, name);
    setNetworkName(record, name);
}

void Nimbrel80211bPreferencePane::applyAdHocMode(PrismPrefsRecord& record) {
    const bool adHoc = isOn(showIBSSmode);
    setPreference(keys::kIBSSMode, yesOrNo(adHoc));
    record.portType = adHoc ? kPortTypeAdHoc : kPortTypeInfrastructure;
}

void Nimbrel80211bPreferencePane::applyPreamble(PrismPrefsRecord& record) {
    const bool shortPreamble = isOn(showShortPreamble);
    setPreference(keys::kShortPreamble, yesOrNo(shortPreamble));
    if (shortPreamble) {
        record.flags |= kShortPreambleFlag;
    } else {
        record.flags &= static_cast<uint16_t>(~kShortPreambleFlag);
    }
}

void Nimbrel80211bPreferencePane::applyPaneOnlySwitches() {
    setPreference(keys::kRememberMostRecentSSID, yesOrNo(isOn(showRememberMRUNetwork)));
    setPreference(keys::kStoreWEPKeysInKeychain, yesOrNo(isOn(showKeychain)));
}

KeyEncoding Nimbrel80211bPreferencePane::applyKeyType(PrismPrefsRecord& record) {
    const int index = showPreferredEncryptionType->indexOfSelectedItem();
    if (index == kNoEncryptionPopupPosition) {
        setPreference(keys::kWEPKeyType, values::kNoKeyType);
        record.wepEnabled = 0;
        return KeyEncoding::PasswordTransformation;
    }
    const KeyType* type = keyTypeAtPosition(index);
    if (!type) return KeyEncoding::PasswordTransformation;
    setPreference(keys::kWEPKeyType, type->name);
    record.wepEnabled = 1;
    record.txKeyIndex = 0;
    record.keyLength[0] = type->keyLength;
    return type->encoding;
}

void Nimbrel80211bPreferencePane::applyPreferredKeyEntry(PrismPrefsRecord& record) {
    const std::string text = showPreferredEncryptionKey->stringValue();
    if (text.empty()) {
        setPreference(keys::kWEPKeyType, values::kNoKeyType);
        setPreference(keys::kWEPKeyValue, "");
        record.wepEnabled = 0;
    } else if (!showsStoredKey(text)) {
        setPreference(keys::kWEPKeyValue, text);
    }
}

void Nimbrel80211bPreferencePane::applyPreferredKeyEncoding(PrismPrefsRecord& record, KeyEncoding encoding) {
    // The text just typed, or the stored text behind a masked field.
    if (const std::optional<std::string> key = newPreferences.string(keys::kWEPKeyValue)) {
        encodePreferredKey(*key, encoding, parseKeyPaneBuild, record);
    }
}

void Nimbrel80211bPreferencePane::applyMultipleKeys(PrismPrefsRecord& record) {
    if (!isOn(showUsingMultipleKeys)) {
        setPreference(keys::kWEPMultipleKeys, values::kNo);
        return;
    }
    setPreference(keys::kWEPMultipleKeys, values::kYes);
    for (std::size_t slot = 0; slot < kKeySlotCount; ++slot) {
        const std::string text = keyField(static_cast<int>(slot))->stringValue();
        if (showsStoredKey(text)) continue;  // slot and length stay as they are
        setPreference(keys::kWEPKeys[slot], text);
        if (text.empty()) {
            std::memset(record.key[slot], 0, kKeySlotSize);
            record.keyLength[slot] = 0;
            continue;
        }
        // Always hex, whatever the key type.
        const int counted = parseHexKey(parseKeyPaneBuild, text, record.key[slot]);
        record.keyLength[slot] = static_cast<uint8_t>(std::min<int>(counted / 2, static_cast<int>(kKeySlotSize)));
    }
    // A matrix without a selection sends the first key rather than no key.
    const int selectedRow = showTxKey->selectedRow();
    const int row = (selectedRow >= 0 && selectedRow < kTxKeyRows) ? selectedRow : 0;
    record.txKeyIndex = static_cast<uint16_t>(row);
    setPreference(keys::kWEPTxKey, std::to_string(row + 1));
}

// ---- Status and diagnostics ----

RecordReader Nimbrel80211bPreferencePane::recordReader() const {
    Nimbrel80211UserClientWrapper* client = userClient.get();
    return [client](NMX80211UserClientRID* record) { return client ? client->getRID(record) : 0; };
}

void Nimbrel80211bPreferencePane::updateStatus() {
    if (!userClientConnected) return;
    const StatusTexts status = readStatus(recordReader());
    showSignal->setDoubleValue(status.signal);
    if (status.txRate) showTxRate->setStringValue(platform::fromMacRoman(*status.txRate));
    showMAC->setStringValue(platform::fromMacRoman(status.mac));
    if (status.ssid) showSSID->setStringValue(platform::fromMacRoman(*status.ssid));
    showBSSID->setStringValue(platform::fromMacRoman(status.bssid));
}

void Nimbrel80211bPreferencePane::loadDiagnostics() {
    // Not gated on the connection: without one every read fails and the
    // report keeps only its fixed lines.
    showDiagnosticInfo->setStringValue(platform::fromMacRoman(composeDiagnostics(recordReader())));
}
