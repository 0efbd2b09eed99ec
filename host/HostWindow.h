// The host's window: the list of installed panes (Show All) and the selected
// pane. It calls willSelect before it shows a pane, asks shouldUnselect
// before it leaves one (by Show All, another pane, or closing the window)
// and stays when the pane refuses, and calls didUnselect once it has left.
#pragma once

#include <QMainWindow>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/LoadedPane.h"
#include "platform/BundleLoader.h"
#include "platform/qt/QtServices.h"

class QLabel;
class QListWidget;
class QStackedWidget;
class QVBoxLayout;

namespace host {

struct PaneEntry {
    platform::PaneBundle bundle;
    std::unique_ptr<LoadedPane> loaded;  // from the first selection on
};

class HostWindow : public QMainWindow {
    Q_OBJECT

public:
    HostWindow(std::vector<platform::PaneBundle> bundles, std::string panesFolder, std::string serviceRegistry,
               platform::qt::QtServices& services);
    ~HostWindow() override;

    const std::string& panesFolder() const { return panesFolder_; }
    const std::vector<std::unique_ptr<PaneEntry>>& panes() const { return panes_; }
    PaneEntry* findPane(std::string_view name) const;
    PaneEntry* selectedPane() const { return selected_; }

    // As the user choosing the pane: the shown pane is left first. False when
    // that pane refuses to be left (error empty), or when this one cannot be
    // loaded (error says why, and the window shows it).
    bool choosePane(PaneEntry& entry, std::string& error);
    // As the user pressing Show All: false when the pane refuses to be left.
    bool showAll();
    // A note on the Show All page, such as a pane named at start that is not
    // installed.
    void showNotice(const QString& text);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    bool leavePane();
    void showPage(QWidget* page, const QString& title);
    void showLoadFailure(const PaneEntry& entry, const std::string& message);
    void chooseFromUser(PaneEntry& entry);
    QWidget* makeShowAllPage(const std::vector<platform::PaneBundle>& bundles);
    void makeActions();

    std::string panesFolder_;
    std::string serviceRegistry_;
    platform::qt::QtServices& services_;
    std::vector<std::unique_ptr<PaneEntry>> panes_;
    PaneEntry* selected_ = nullptr;
    bool changingPane_ = false;

    QStackedWidget* pages_ = nullptr;
    QWidget* showAllPage_ = nullptr;
    QListWidget* paneList_ = nullptr;
    QLabel* notice_ = nullptr;
    QWidget* panePage_ = nullptr;
    QVBoxLayout* paneLayout_ = nullptr;
    QWidget* failurePage_ = nullptr;
    QLabel* failureText_ = nullptr;
};

}  // namespace host
