// The host's window, in process on the test pane: when it calls the pane's
// entry points, and what it shows when a pane refuses to be left or cannot
// be loaded.
#include <gtest/gtest.h>

#include <QLabel>
#include <QStackedWidget>

#include <filesystem>
#include <sstream>

#include "host/HostWindow.h"
#include "host/ScriptRunner.h"
#include "platform/Locations.h"
#include "tests/support/CardSimulatorProcess.h"

namespace {

namespace fs = std::filesystem;

const std::string kTestBundle = std::string(NIMBREL_HOST_TEST_PANES) + "/HostTestPane.prefPane";

class HostWindowTest : public testing::Test {
protected:
    // Copies of the test pane under the given folder names.
    void open(const std::vector<std::string>& folderNames) {
        for (const std::string& name : folderNames)
            fs::copy(kTestBundle, fs::path(panes_.path()) / (name + ".prefPane"), fs::copy_options::recursive);
        window_ = std::make_unique<host::HostWindow>(platform::findPaneBundles(panes_.path()), panes_.path(),
                                                     platform::kServiceRegistryPath, services_);
        window_->show();
    }

    host::PaneEntry& pane(const std::string& name) {
        host::PaneEntry* entry = window_->findPane(name);
        EXPECT_NE(entry, nullptr) << name;
        return *entry;
    }

    bool choose(const std::string& name) {
        std::string error;
        return window_->choosePane(pane(name), error);
    }

    template <class ControlType>
    ControlType& control(const std::string& paneName, const std::string& outlet) {
        return static_cast<ControlType&>(pane(paneName).loaded->interface().outlet(outlet)->control());
    }

    std::string log(const std::string& paneName) {
        return control<platform::TextField>(paneName, "eventLog").stringValue();
    }

    std::string currentPage() const {
        return window_->findChild<QStackedWidget*>("pages")->currentWidget()->objectName().toStdString();
    }

    testsupport::TemporaryFolder panes_;
    std::ostringstream printed_;
    host::ScriptServices services_{printed_};  // alerts are printed and answered at once
    std::unique_ptr<host::HostWindow> window_;
};

TEST_F(HostWindowTest, ShowsThePaneAfterWillSelect) {
    open({"First"});
    EXPECT_EQ(currentPage(), "showAllPage");
    ASSERT_TRUE(choose("First"));
    EXPECT_EQ(currentPage(), "panePage");
    EXPECT_EQ(window_->selectedPane(), &pane("First"));
    EXPECT_TRUE(pane("First").loaded->view()->isVisible());
    EXPECT_EQ(window_->windowTitle(), "HostTestPane");
    EXPECT_EQ(log("First"), "willSelect");
}

TEST_F(HostWindowTest, ClosingTheWindowLeavesThePane) {
    open({"First"});
    ASSERT_TRUE(choose("First"));
    EXPECT_TRUE(window_->close());
    EXPECT_FALSE(window_->isVisible());
    EXPECT_EQ(window_->selectedPane(), nullptr);
    EXPECT_EQ(log("First"), "willSelect\rdidUnselect");
}

TEST_F(HostWindowTest, ARefusingPaneKeepsTheWindowOpenAndThePaneShown) {
    open({"First"});
    ASSERT_TRUE(choose("First"));
    control<platform::CheckBox>("First", "refuseLeaving").setState(1);
    EXPECT_FALSE(window_->close());
    EXPECT_TRUE(window_->isVisible());
    EXPECT_FALSE(window_->showAll());
    EXPECT_EQ(currentPage(), "panePage");
    EXPECT_EQ(window_->selectedPane(), &pane("First"));
    EXPECT_EQ(log("First"), "willSelect");
    EXPECT_NE(printed_.str().find("\"title\":\"Cannot leave\""), std::string::npos) << printed_.str();
    // Once the pane agrees, Show All leaves it.
    control<platform::CheckBox>("First", "refuseLeaving").setState(0);
    EXPECT_TRUE(window_->showAll());
    EXPECT_EQ(currentPage(), "showAllPage");
    EXPECT_EQ(log("First"), "willSelect\rdidUnselect");
}

TEST_F(HostWindowTest, ChoosingAnotherPaneLeavesTheShownOneFirst) {
    open({"First", "Second"});
    ASSERT_TRUE(choose("First"));
    ASSERT_TRUE(choose("Second"));
    EXPECT_EQ(log("First"), "willSelect\rdidUnselect");
    EXPECT_EQ(log("Second"), "willSelect");
    EXPECT_FALSE(pane("First").loaded->view()->isVisible());
    EXPECT_TRUE(pane("Second").loaded->view()->isVisible());
}

TEST_F(HostWindowTest, AnotherPaneIsNotShownWhileTheShownOneRefuses) {
    open({"First", "Second"});
    ASSERT_TRUE(choose("First"));
    control<platform::CheckBox>("First", "refuseLeaving").setState(1);
    std::string error;
    EXPECT_FALSE(window_->choosePane(pane("Second"), error));
    EXPECT_EQ(error, "");
    EXPECT_EQ(window_->selectedPane(), &pane("First"));
    EXPECT_EQ(pane("Second").loaded, nullptr);
}

TEST_F(HostWindowTest, ABundleMissingAPieceIsExplainedInTheWindow) {
    open({"Broken"});
    fs::remove(fs::path(panes_.path()) / "Broken.prefPane/Contents/MacOS/HostTestPane");
    std::string error;
    EXPECT_FALSE(window_->choosePane(pane("Broken"), error));
    EXPECT_EQ(error, "Broken.prefPane: the library Contents/MacOS/HostTestPane is missing");
    EXPECT_EQ(currentPage(), "failurePage");
    QString shown = window_->findChild<QLabel*>("failureText")->text();
    EXPECT_TRUE(shown.contains(QString::fromStdString(error))) << shown.toStdString();
    EXPECT_EQ(window_->selectedPane(), nullptr);
    EXPECT_TRUE(window_->showAll());
    EXPECT_EQ(currentPage(), "showAllPage");
}

TEST_F(HostWindowTest, NoTimerOutlivesTheWindow) {
    open({"First"});
    ASSERT_TRUE(choose("First"));
    pane("First").loaded->interface().sender("startTimer:")->sendAction();
    EXPECT_EQ(services_.scheduledTimerCount(), 1u);
    window_.reset();
    EXPECT_EQ(services_.scheduledTimerCount(), 0u);
}

}  // namespace
