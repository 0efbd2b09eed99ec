// The controller in process, on controls and services of its own: the one
// status timer, and the selections that no control of the real interface
// can show (a pop-up or matrix without a selected item).
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "pane/Nimbrel80211bPreferencePane.h"
#include "tests/support/CardSimulatorProcess.h"

namespace {

using namespace platform;

template <class Interface>
class FakeControl : public Interface {
public:
    bool isEnabled() const override { return enabled_; }
    void setEnabled(bool enabled) override { enabled_ = enabled; }

private:
    bool enabled_ = true;
};

class FakeTextField : public FakeControl<TextField> {
public:
    std::string stringValue() const override { return text; }
    void setStringValue(std::string_view value) override { text = value; }
    std::string text;
};

class FakeCheckBox : public FakeControl<CheckBox> {
public:
    int state() const override { return value; }
    void setState(int state) override { value = state; }
    int value = 0;
};

class FakeMatrix : public FakeControl<RadioMatrix> {
public:
    int selectedRow() const override { return row; }
    void selectCell(int r, int) override { row = r; }
    int row = -1;
};

class FakePopUp : public FakeControl<PopUpButton> {
public:
    int indexOfSelectedItem() const override { return index; }
    void selectItemAtIndex(int i) override { index = i; }
    int index = -1;
};

class FakeComboBox : public FakeControl<ComboBox> {
public:
    std::string stringValue() const override { return text; }
    void setStringValue(std::string_view value) override { text = value; }
    void removeAllItems() override { list.clear(); }
    void addItem(std::string_view item) override { list.emplace_back(item); }
    std::vector<std::string> items() const override { return list; }
    std::string text;
    std::vector<std::string> list;
};

class FakeIndicator : public FakeControl<ProgressIndicator> {
public:
    double doubleValue() const override { return value; }
    void setDoubleValue(double v) override { value = v; }
    double value = 0;
};

class FakeButton : public FakeControl<PushButton> {};

class FakeTimer : public Timer {
public:
    void invalidate() override { valid = false; }
    bool isValid() const override { return valid; }
    bool valid = true;
};

class FakeServices : public Services {
public:
    void runAlert(std::string_view title, std::string_view message, std::string_view button) override {
        alerts.push_back(std::string(title) + "|" + std::string(message) + "|" + std::string(button));
    }
    void openURL(std::string_view url) override { opened.emplace_back(url); }
    std::shared_ptr<Timer> scheduleRepeatingTimer(double interval, std::function<void()>) override {
        intervals.push_back(interval);
        timers.push_back(std::make_shared<FakeTimer>());
        return timers.back();
    }
    int validTimers() const {
        int count = 0;
        for (const auto& timer : timers) count += timer->valid;
        return count;
    }

    std::vector<std::string> alerts;
    std::vector<std::string> opened;
    std::vector<double> intervals;
    std::vector<std::shared_ptr<FakeTimer>> timers;
};

// The pane with a control for every outlet, a settings file in a temporary
// folder and a registry without a driver.
class PaneController : public testing::Test {
protected:
    void SetUp() override {
        pane_ = std::make_unique<Nimbrel80211bPreferencePane>(folder_.file("settings.plist"));
        for (const Outlet& outlet : pane_->outlets()) outlet.bind(makeControl(outlet));
        PropertyDictionary info;
        info.setString("CFBundleVersion", "9.8.7");
        pane_->attach(Bundle(folder_.path(), info), services_, folder_.path());
    }

    Control* makeControl(const Outlet& outlet) {
        std::unique_ptr<Control> control;
        switch (outlet.kind()) {
            case ControlKind::TextField: control = std::make_unique<FakeTextField>(); break;
            case ControlKind::CheckBox: control = std::make_unique<FakeCheckBox>(); break;
            case ControlKind::RadioMatrix: control = std::make_unique<FakeMatrix>(); break;
            case ControlKind::PopUpButton: control = std::make_unique<FakePopUp>(); break;
            case ControlKind::ComboBox: control = std::make_unique<FakeComboBox>(); break;
            case ControlKind::ProgressIndicator: control = std::make_unique<FakeIndicator>(); break;
            case ControlKind::PushButton: control = std::make_unique<FakeButton>(); break;
        }
        Control* made = control.get();
        controls_[outlet.name()] = std::move(control);
        return made;
    }

    template <class Fake>
    Fake& control(const std::string& outlet) {
        return dynamic_cast<Fake&>(*controls_.at(outlet));
    }

    std::optional<PropertyDictionary> written() const { return readPropertyListDictionary(folder_.file("settings.plist")); }

    testsupport::TemporaryFolder folder_;
    FakeServices services_;
    std::map<std::string, std::unique_ptr<Control>> controls_;
    std::unique_ptr<Nimbrel80211bPreferencePane> pane_;
};

TEST_F(PaneController, DeclaresItsOutletsInOrder) {
    std::vector<std::string> names;
    for (const Outlet& outlet : pane_->outlets()) names.push_back(outlet.name());
    EXPECT_EQ(names, (std::vector<std::string>{
                         "showAnyVsSpecificNetwork", "showBSSID", "showDiagnosticInfo", "showKey1", "showKey2",
                         "showKey3", "showKey4", "showKeySyntax", "showKeychain", "showMAC",
                         "showPreferredEncryptionKey", "showPreferredEncryptionType", "showPreferredNetworkName",
                         "showRememberMRUNetwork", "showShortPreamble", "showSignal", "showSSID", "showTxKey",
                         "showTxRate", "showUsingMultipleKeys", "applyNowButton", "showVersion", "keyPrompt",
                         "showIBSSmode"}));
}

TEST_F(PaneController, OneHalfSecondTimerWhileSelected) {
    pane_->willSelect();
    EXPECT_EQ(services_.intervals, std::vector<double>{0.5});
    EXPECT_EQ(services_.validTimers(), 1);
    pane_->didUnselect();
    EXPECT_EQ(services_.validTimers(), 0);
    pane_->willSelect();
    EXPECT_EQ(services_.validTimers(), 1);
    pane_->willSelect();  // selected again without leaving: still one timer
    EXPECT_EQ(services_.validTimers(), 1);
    pane_.reset();
    EXPECT_EQ(services_.validTimers(), 0) << "a timer outlived its controller";
}

TEST_F(PaneController, ShowsTheBundleVersion) {
    pane_->willSelect();
    EXPECT_EQ(control<FakeTextField>("showVersion").text, "9.8.7");
}

TEST_F(PaneController, NoKeyTypeSelectedStoresNoKeyType) {
    pane_->willSelect();
    control<FakePopUp>("showPreferredEncryptionType").index = -1;
    control<FakeMatrix>("showAnyVsSpecificNetwork").row = 0;
    control<FakeTextField>("showPreferredEncryptionKey").text = "abc";
    pane_->applyNow(nullptr);
    const std::optional<PropertyDictionary> file = written();
    ASSERT_TRUE(file.has_value());
    EXPECT_FALSE(file->contains("WEPKeyType"));
    EXPECT_EQ(file->string("WEPKeyValue"), "abc");
    EXPECT_TRUE(services_.alerts.empty());
}

TEST_F(PaneController, NoNetworkRowSelectedUsesTheTypedName) {
    pane_->willSelect();
    control<FakeMatrix>("showAnyVsSpecificNetwork").row = -1;
    control<FakeComboBox>("showPreferredNetworkName").text = "Typed";
    pane_->applyNow(nullptr);
    ASSERT_TRUE(written().has_value());
    EXPECT_EQ(written()->string("DesiredSSID"), "Typed");
}

TEST_F(PaneController, NoTransmitRowSelectedSendsTheFirstKey) {
    pane_->willSelect();
    control<FakeMatrix>("showAnyVsSpecificNetwork").row = 0;
    control<FakeCheckBox>("showUsingMultipleKeys").value = 1;
    control<FakeMatrix>("showTxKey").row = -1;
    pane_->applyNow(nullptr);
    ASSERT_TRUE(written().has_value());
    EXPECT_EQ(written()->string("WEPTxKey"), "1");
}

TEST_F(PaneController, NetworkChoiceWithoutARowChangesNothing) {
    pane_->willSelect();  // no settings file: the network controls are disabled
    control<FakeMatrix>("showAnyVsSpecificNetwork").row = -1;
    pane_->networkSearchStrategy(nullptr);
    EXPECT_FALSE(control<FakeComboBox>("showPreferredNetworkName").isEnabled());
    EXPECT_FALSE(control<FakePopUp>("showPreferredEncryptionType").isEnabled());
}

TEST_F(PaneController, KeyTypeWithoutAnItemKeepsPromptAndHint) {
    control<FakeTextField>("keyPrompt").text = "Before:";
    control<FakeTextField>("showKeySyntax").text = "(before)";
    control<FakePopUp>("showPreferredEncryptionType").index = -1;
    pane_->preferredEncryptionMethod(nullptr);
    EXPECT_EQ(control<FakeTextField>("keyPrompt").text, "Before:");
    EXPECT_EQ(control<FakeTextField>("showKeySyntax").text, "(before)");
}

TEST_F(PaneController, InvalidKeyAlertsAndStaysWithoutWriting) {
    pane_->willSelect();
    control<FakePopUp>("showPreferredEncryptionType").index = 6;
    control<FakeTextField>("showPreferredEncryptionKey").text = "short";
    EXPECT_EQ(pane_->shouldUnselect(), kUnselectCancel);
    pane_->applyNow(nullptr);
    EXPECT_EQ(services_.alerts,
              (std::vector<std::string>(2, "Invalid WEP Keys|128-bit WEP passwords must consist of a sequence of 13 "
                                           "characters.|OK")));
    EXPECT_FALSE(written().has_value());
    EXPECT_EQ(services_.validTimers(), 1);
}

}  // namespace
