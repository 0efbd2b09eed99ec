// A pane with one control of each kind, for testing the host. Every entry
// point and action writes a line to eventLog (lines end in a carriage
// return, as the system's reports do), so a script can see what the host
// called and with which sender.
#include <memory>
#include <string>

#include "platform/PreferencePane.h"

namespace {

constexpr double kTimerInterval = 0.5;

class NimbrelHostTestPane final : public platform::PreferencePane {
public:
    std::vector<platform::Outlet> outlets() override {
        return {
            {"textField", textField_},   {"eventLog", eventLog_},       {"versionField", versionField_},
            {"registryField", registryField_}, {"checkBox", checkBox_}, {"refuseLeaving", refuseLeaving_},
            {"matrix", matrix_},         {"popUp", popUp_},             {"comboBox", comboBox_},
            {"progress", progress_},     {"alertButton", alertButton_}, {"timerButton", timerButton_},
            {"disabledButton", disabledButton_},
        };
    }

    std::vector<platform::Action> actions() override {
        return {
            logging("textChanged:"),
            logging("checkBoxChanged:"),
            logging("matrixChanged:"),
            logging("popUpChanged:"),
            logging("comboChanged:"),
            logging("neverSent:"),
            {"showAlert:", [this](platform::Control*) { showAlert(); }},
            {"startTimer:", [this](platform::Control*) { startTimer(); }},
            {"visitWebSite:", [this](platform::Control*) { services().openURL(kWebSite); }},
        };
    }

    void willSelect() override {
        log("willSelect");
        versionField_->setStringValue(bundle().infoValue("CFBundleVersion").value_or("none"));
        registryField_->setStringValue(serviceRegistry());
        // The text is set first: filling the list must leave it alone.
        comboBox_->setStringValue("Office");
        comboBox_->removeAllItems();
        for (const char* item : {"Alpha", "Beta", "Caf\u00e9"}) comboBox_->addItem(item);
        progress_->setDoubleValue(42.5);
    }

    int shouldUnselect() override {
        if (refuseLeaving_->state() == 0) return platform::kUnselectNow;
        services().runAlert("Cannot leave", "Turn off \"Refuse leaving\" first.", "OK");
        return platform::kUnselectCancel;
    }

    void didUnselect() override {
        if (timer_) {
            timer_->invalidate();
            timer_.reset();
        }
        log("didUnselect");
    }

private:
    static constexpr const char* kWebSite = "http://www.example.com/nimbrel?a=1&b=2";

    platform::Action logging(std::string name) {
        return {name, [this, name](platform::Control* sender) {
                    log(name + " from " + (sender ? platform::controlKindName(sender->kind()) : "no sender"));
                }};
    }

    void log(const std::string& line) {
        std::string text = eventLog_->stringValue();
        eventLog_->setStringValue(text.empty() ? line : text + "\r" + line);
    }

    void showAlert() {
        services().runAlert("Caf\u00e9 \"Test\"", "First line\rSecond line\tend", "OK");
        log("alert answered");
    }

    // Counts its ticks in the progress indicator.
    void startTimer() {
        if (timer_) return;
        ticks_ = 0;
        progress_->setDoubleValue(0);
        timer_ = services().scheduleRepeatingTimer(kTimerInterval, [this] { progress_->setDoubleValue(++ticks_); });
    }

    platform::TextField* textField_ = nullptr;
    platform::TextField* eventLog_ = nullptr;
    platform::TextField* versionField_ = nullptr;
    platform::TextField* registryField_ = nullptr;
    platform::CheckBox* checkBox_ = nullptr;
    platform::CheckBox* refuseLeaving_ = nullptr;
    platform::RadioMatrix* matrix_ = nullptr;
    platform::PopUpButton* popUp_ = nullptr;
    platform::ComboBox* comboBox_ = nullptr;
    platform::ProgressIndicator* progress_ = nullptr;
    platform::PushButton* alertButton_ = nullptr;
    platform::PushButton* timerButton_ = nullptr;
    platform::PushButton* disabledButton_ = nullptr;

    std::shared_ptr<platform::Timer> timer_;
    int ticks_ = 0;
};

}  // namespace

NIMBREL_PREFERENCE_PANE_FACTORY(NimbrelHostTestPane)
