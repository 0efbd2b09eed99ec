#include "host/HostWindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QStackedWidget>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

#include "platform/qt/QtControls.h"

namespace host {

namespace {

const QString kHostTitle = QStringLiteral("Preferences");
constexpr int kPaneRole = Qt::UserRole;

// Guards against a second change of pane while one is under way (an alert
// of shouldUnselect runs an event loop).
class ChangeGuard {
public:
    explicit ChangeGuard(bool& flag) : flag_(flag), entered_(!flag) { flag_ = true; }
    ~ChangeGuard() {
        if (entered_) flag_ = false;
    }
    ChangeGuard(const ChangeGuard&) = delete;
    ChangeGuard& operator=(const ChangeGuard&) = delete;
    bool entered() const { return entered_; }

private:
    bool& flag_;
    bool entered_;
};

QString qstring(const std::string& text) {
    return platform::qt::toQString(text);
}

}  // namespace

HostWindow::HostWindow(std::vector<platform::PaneBundle> bundles, std::string panesFolder,
                       std::string serviceRegistry, platform::qt::QtServices& services)
    : panesFolder_(std::move(panesFolder)), serviceRegistry_(std::move(serviceRegistry)), services_(services) {
    services_.setAlertParent(this);
    pages_ = new QStackedWidget(this);
    pages_->setObjectName(QStringLiteral("pages"));
    showAllPage_ = makeShowAllPage(bundles);
    for (platform::PaneBundle& bundle : bundles)
        panes_.push_back(std::make_unique<PaneEntry>(PaneEntry{std::move(bundle), nullptr}));

    panePage_ = new QWidget();
    panePage_->setObjectName(QStringLiteral("panePage"));
    paneLayout_ = new QVBoxLayout(panePage_);

    failurePage_ = new QWidget();
    failurePage_->setObjectName(QStringLiteral("failurePage"));
    auto* failureLayout = new QHBoxLayout(failurePage_);
    auto* failureIcon = new QLabel();
    failureIcon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(48, 48));
    failureIcon->setAlignment(Qt::AlignTop);
    failureText_ = new QLabel();
    failureText_->setObjectName(QStringLiteral("failureText"));
    failureText_->setWordWrap(true);
    failureText_->setTextFormat(Qt::PlainText);
    failureText_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    failureText_->setMinimumWidth(420);
    failureLayout->addWidget(failureIcon);
    failureLayout->addWidget(failureText_, 1);

    pages_->addWidget(showAllPage_);
    pages_->addWidget(panePage_);
    pages_->addWidget(failurePage_);
    setCentralWidget(pages_);
    makeActions();
    showPage(showAllPage_, kHostTitle);
}

HostWindow::~HostWindow() {
    // No timer action may run into a pane that is going away.
    services_.invalidateAllTimers();
    services_.setAlertParent(nullptr);
}

QWidget* HostWindow::makeShowAllPage(const std::vector<platform::PaneBundle>& bundles) {
    auto* page = new QWidget();
    page->setObjectName(QStringLiteral("showAllPage"));
    auto* layout = new QVBoxLayout(page);
    paneList_ = new QListWidget();
    paneList_->setObjectName(QStringLiteral("paneList"));
    paneList_->setViewMode(QListView::IconMode);
    paneList_->setIconSize(QSize(48, 48));
    paneList_->setGridSize(QSize(120, 90));
    paneList_->setMovement(QListView::Static);
    paneList_->setResizeMode(QListView::Adjust);
    paneList_->setMinimumSize(480, 220);
    for (std::size_t index = 0; index < bundles.size(); ++index) {
        const platform::PaneBundle& bundle = bundles[index];
        QStyle::StandardPixmap icon = bundle.hasInfo() ? QStyle::SP_ComputerIcon : QStyle::SP_MessageBoxWarning;
        auto* item = new QListWidgetItem(style()->standardIcon(icon), qstring(bundle.displayName()), paneList_);
        item->setData(kPaneRole, static_cast<int>(index));
        item->setToolTip(qstring(bundle.path()));
    }
    connect(paneList_, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        chooseFromUser(*panes_.at(static_cast<std::size_t>(item->data(kPaneRole).toInt())));
    });
    notice_ = new QLabel();
    notice_->setObjectName(QStringLiteral("notice"));
    notice_->setWordWrap(true);
    notice_->setTextFormat(Qt::PlainText);
    if (bundles.empty()) notice_->setText(QStringLiteral("No preference panes in %1.").arg(qstring(panesFolder_)));
    layout->addWidget(paneList_, 1);
    layout->addWidget(notice_);
    return page;
}

void HostWindow::makeActions() {
    QMenu* fileMenu = menuBar()->addMenu(tr("&File"));
    QAction* quit = fileMenu->addAction(tr("&Quit"));
    quit->setShortcut(QKeySequence::Quit);
    connect(quit, &QAction::triggered, this, &QWidget::close);

    QMenu* viewMenu = menuBar()->addMenu(tr("&View"));
    QAction* showAllAction = viewMenu->addAction(style()->standardIcon(QStyle::SP_FileDialogListView), tr("Show All"));
    showAllAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    connect(showAllAction, &QAction::triggered, this, [this] { showAll(); });
    viewMenu->addSeparator();

    QToolBar* toolBar = addToolBar(tr("Panes"));
    toolBar->setMovable(false);
    toolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    toolBar->addAction(showAllAction);
    toolBar->addSeparator();
    for (const std::unique_ptr<PaneEntry>& entry : panes_) {
        QAction* choose = viewMenu->addAction(qstring(entry->bundle.displayName()));
        PaneEntry* target = entry.get();
        connect(choose, &QAction::triggered, this, [this, target] { chooseFromUser(*target); });
        toolBar->addAction(choose);
    }
}

PaneEntry* HostWindow::findPane(std::string_view name) const {
    // A folder name is unique in the folder; a CFBundleName need not be.
    for (const std::unique_ptr<PaneEntry>& entry : panes_)
        if (entry->bundle.isFolderNamed(name)) return entry.get();
    for (const std::unique_ptr<PaneEntry>& entry : panes_)
        if (entry->bundle.isNamed(name)) return entry.get();
    return nullptr;
}

void HostWindow::showPage(QWidget* page, const QString& title) {
    // The window takes the size of the page it shows.
    for (int index = 0; index < pages_->count(); ++index) {
        QSizePolicy::Policy policy = pages_->widget(index) == page ? QSizePolicy::Preferred : QSizePolicy::Ignored;
        pages_->widget(index)->setSizePolicy(policy, policy);
    }
    pages_->setCurrentWidget(page);
    setWindowTitle(title);
    adjustSize();
}

void HostWindow::showNotice(const QString& text) {
    notice_->setText(text);
}

void HostWindow::showLoadFailure(const PaneEntry& entry, const std::string& message) {
    failureText_->setText(QStringLiteral("%1 cannot be opened.\n\n%2")
                              .arg(qstring(entry.bundle.displayName()), qstring(message)));
    showPage(failurePage_, qstring(entry.bundle.displayName()));
}

bool HostWindow::leavePane() {
    if (selected_ == nullptr) return true;
    platform::PreferencePane& pane = selected_->loaded->pane();
    if (pane.shouldUnselect() != platform::kUnselectNow) return false;
    selected_->loaded->view()->hide();
    selected_ = nullptr;
    pane.didUnselect();
    return true;
}

bool HostWindow::choosePane(PaneEntry& entry, std::string& error) {
    error.clear();
    ChangeGuard guard(changingPane_);
    if (!guard.entered()) return false;
    if (selected_ == &entry) return true;
    if (!leavePane()) return false;
    if (!entry.loaded) {
        entry.loaded = LoadedPane::load(entry.bundle, services_, serviceRegistry_, panePage_, error);
        if (!entry.loaded) {
            showLoadFailure(entry, error);
            return false;
        }
        QWidget* view = entry.loaded->view();
        // A view laid out by hand in the interface keeps its size.
        if (view->layout() == nullptr) view->setMinimumSize(view->size());
        view->hide();
        paneLayout_->addWidget(view);
    }
    entry.loaded->pane().willSelect();
    selected_ = &entry;
    entry.loaded->view()->show();
    showPage(panePage_, qstring(entry.bundle.displayName()));
    return true;
}

void HostWindow::chooseFromUser(PaneEntry& entry) {
    std::string error;
    choosePane(entry, error);
}

bool HostWindow::showAll() {
    ChangeGuard guard(changingPane_);
    if (!guard.entered() || !leavePane()) return false;
    showPage(showAllPage_, kHostTitle);
    return true;
}

void HostWindow::closeEvent(QCloseEvent* event) {
    ChangeGuard guard(changingPane_);
    if (!guard.entered() || !leavePane()) {
        event->ignore();
        return;
    }
    event->accept();
}

}  // namespace host
