#include "platform/qt/QtServices.h"

#include <QDesktopServices>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/qt/QtControls.h"

namespace platform::qt {

namespace {

int intervalMilliseconds(double seconds) {
    // As the platform's timers: a non-positive interval means the shortest.
    if (!std::isfinite(seconds) || seconds <= 0) return 1;
    return static_cast<int>(std::clamp(std::round(seconds * 1000.0), 1.0, 24.0 * 3600.0 * 1000.0));
}

}  // namespace

// The event loop owns a scheduled timer until it is invalidated, whether or
// not the pane keeps its reference.
class QtTimer final : public Timer, public std::enable_shared_from_this<QtTimer> {
public:
    QtTimer(QtServices& owner, std::function<void()> action) : owner_(&owner), action_(std::move(action)) {}

    ~QtTimer() override {
        if (!timer_) return;
        timer_->stop();
        // The last reference may go at the end of the timer's own timeout.
        if (timer_ == firingTimer) timer_->deleteLater();
        else delete timer_;
    }

    void start(int milliseconds) {
        timer_ = new QTimer();
        timer_->setTimerType(Qt::PreciseTimer);
        timer_->setInterval(milliseconds);
        std::weak_ptr<QtTimer> self = weak_from_this();
        QTimer* qtTimer = timer_;
        QObject::connect(timer_, &QTimer::timeout, timer_, [self, qtTimer] {
            const QTimer* outer = std::exchange(firingTimer, qtTimer);
            if (std::shared_ptr<QtTimer> timer = self.lock()) timer->fire();
            firingTimer = outer;
        });
        timer_->start();
    }

    void invalidate() override {
        if (!valid_) return;
        valid_ = false;
        if (timer_) timer_->stop();
        std::shared_ptr<QtTimer> keepAlive = shared_from_this();
        if (owner_) owner_->unschedule(this);
        owner_ = nullptr;
    }

    bool isValid() const override { return valid_; }

private:
    static inline const QTimer* firingTimer = nullptr;

    void fire() {
        if (!valid_ || (owner_ && owner_->isInModalAlert())) return;
        action_();
    }

    QtServices* owner_;
    std::function<void()> action_;
    QTimer* timer_ = nullptr;
    bool valid_ = true;
};

QtServices::QtServices() = default;

QtServices::~QtServices() {
    invalidateAllTimers();
}

void QtServices::runAlert(std::string_view title, std::string_view message, std::string_view button) {
    QMessageBox box(alertParent_);
    box.setIcon(QMessageBox::Warning);
    box.setWindowTitle(toQString(title));
    box.setText(toQString(message).replace(QLatin1Char('\r'), QLatin1Char('\n')));
    QPushButton* only = box.addButton(toQString(button), QMessageBox::AcceptRole);
    box.setDefaultButton(only);
    box.setEscapeButton(only);
    ModalScope modal(*this);
    box.exec();
}

void QtServices::openURL(std::string_view url) {
    QDesktopServices::openUrl(QUrl(toQString(url)));
}

std::shared_ptr<Timer> QtServices::scheduleRepeatingTimer(double intervalSeconds, std::function<void()> action) {
    auto timer = std::make_shared<QtTimer>(*this, std::move(action));
    timer->start(intervalMilliseconds(intervalSeconds));
    scheduled_.push_back(timer);
    return timer;
}

void QtServices::unschedule(const QtTimer* timer) {
    std::erase_if(scheduled_, [timer](const std::shared_ptr<QtTimer>& scheduled) { return scheduled.get() == timer; });
}

void QtServices::invalidateAllTimers() {
    std::vector<std::shared_ptr<QtTimer>> all = scheduled_;
    for (const std::shared_ptr<QtTimer>& timer : all) timer->invalidate();
}

}  // namespace platform::qt
