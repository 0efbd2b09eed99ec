// The services of platform/Controls.h on Qt: a modal message box, the
// desktop's web browser, and repeating timers on the main event loop.
#pragma once

#include <QPointer>

#include <memory>
#include <vector>

#include "platform/Controls.h"

class QWidget;

namespace platform::qt {

class QtTimer;

class QtServices : public Services {
public:
    QtServices();
    ~QtServices() override;
    QtServices(const QtServices&) = delete;
    QtServices& operator=(const QtServices&) = delete;

    // The window that alerts are modal to.
    void setAlertParent(QWidget* parent) { alertParent_ = parent; }

    void runAlert(std::string_view title, std::string_view message, std::string_view button) override;
    void openURL(std::string_view url) override;
    std::shared_ptr<Timer> scheduleRepeatingTimer(double intervalSeconds, std::function<void()> action) override;

    // Stops every timer; the host does this before it lets go of its panes.
    void invalidateAllTimers();
    std::size_t scheduledTimerCount() const { return scheduled_.size(); }

    // While an alert is up the pane's action is still running: no timer
    // action runs in between.
    bool isInModalAlert() const { return modalDepth_ > 0; }

protected:
    class ModalScope {
    public:
        explicit ModalScope(QtServices& services) : services_(services) { ++services_.modalDepth_; }
        ~ModalScope() { --services_.modalDepth_; }
        ModalScope(const ModalScope&) = delete;
        ModalScope& operator=(const ModalScope&) = delete;

    private:
        QtServices& services_;
    };

private:
    friend class QtTimer;
    void unschedule(const QtTimer* timer);

    QPointer<QWidget> alertParent_;
    std::vector<std::shared_ptr<QtTimer>> scheduled_;
    int modalDepth_ = 0;
};

}  // namespace platform::qt
