#include "platform/qt/InterfaceBinder.h"

#include <QFile>
#include <QUiLoader>
#include <QVariant>
#include <QWidget>

#include <set>

namespace platform::qt {

QtControl* BoundInterface::outlet(std::string_view name) const {
    for (const auto& [outletName, control] : outlets_)
        if (outletName == name) return control;
    return nullptr;
}

bool BoundInterface::declaresAction(std::string_view name) const {
    for (const Action& action : actions_)
        if (action.name == name) return true;
    return false;
}

QtControl* BoundInterface::sender(std::string_view action) const {
    auto found = senders_.find(action);
    return found == senders_.end() ? nullptr : found->second;
}

QWidget* loadInterface(const std::string& path, QWidget* parent, std::string& error) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) {
        error = "cannot read the interface description " + path;
        return nullptr;
    }
    QUiLoader loader;
    QWidget* root = loader.load(&file, parent);
    if (root == nullptr) {
        error = "cannot load the interface description " + path + ": " + toUtf8(loader.errorString());
        return nullptr;
    }
    return root;
}

// Does the checks first and binds only when all of them pass.
class InterfaceBinder {
public:
    InterfaceBinder(QWidget* root, PreferencePane& pane, std::string_view className)
        : root_(root), outlets_(pane.outlets()), actions_(pane.actions()), className_(className) {}

    std::unique_ptr<BoundInterface> bind(std::string& error) {
        if (!checkTables() || !collectWidgets() || !checkOutlets() || !checkSenders()) {
            error = error_;
            return nullptr;
        }
        return makeBound();
    }

private:
    struct Sender {
        QWidget* widget;
        std::string action;
    };

    bool fail(std::string message) {
        error_ = std::move(message);
        return false;
    }

    const Outlet* declaredOutlet(std::string_view name) const {
        for (const Outlet& outlet : outlets_)
            if (outlet.name() == name) return &outlet;
        return nullptr;
    }

    const Action* declaredAction(std::string_view name) const {
        for (const Action& action : actions_)
            if (action.name == name) return &action;
        return nullptr;
    }

    bool checkTables() {
        std::set<std::string> seen;
        for (const Outlet& outlet : outlets_)
            if (!seen.insert(outlet.name()).second)
                return fail(className_ + " declares the outlet " + outlet.name() + " twice");
        seen.clear();
        for (const Action& action : actions_)
            if (!seen.insert(action.name).second)
                return fail(className_ + " declares the action " + action.name + " twice");
        return true;
    }

    bool collectWidgets() {
        QList<QWidget*> widgets = root_->findChildren<QWidget*>();
        widgets.prepend(root_);
        for (QWidget* widget : widgets)
            if (!collectOutlet(widget) || !collectSender(widget)) return false;
        return true;
    }

    bool collectOutlet(QWidget* widget) {
        std::string name = toUtf8(widget->objectName());
        if (declaredOutlet(name) != nullptr) {
            if (!outletWidgets_.emplace(name, widget).second)
                return fail("the interface has two controls named " + name + " for the outlet " + name);
            return true;
        }
        if (widget->property(kOutletProperty).toBool())
            return fail("the interface has the outlet " + name + ", which " + className_ + " does not declare");
        return true;
    }

    bool collectSender(QWidget* widget) {
        QVariant property = widget->property(kActionProperty);
        if (!property.isValid()) return true;
        std::string action = toUtf8(property.toString());
        if (action.empty()) return true;
        if (declaredAction(action) == nullptr)
            return fail("the interface has the action " + action + " (on " + toUtf8(widget->objectName()) +
                        "), which " + className_ + " does not declare");
        senders_.push_back({widget, action});
        return true;
    }

    static std::string describe(const QWidget* widget) {
        std::string className = widget->metaObject()->className();
        std::optional<ControlKind> kind = controlKindOfWidget(widget);
        return kind ? std::string("a ") + controlKindName(*kind) + " (" + className + ")" : "a " + className;
    }

    bool checkOutlets() {
        for (const Outlet& outlet : outlets_) {
            auto found = outletWidgets_.find(outlet.name());
            if (found == outletWidgets_.end())
                return fail("the interface has no control for the outlet " + outlet.name());
            std::optional<ControlKind> kind = controlKindOfWidget(found->second);
            if (kind == outlet.kind()) continue;
            std::string hint = outlet.kind() == ControlKind::RadioMatrix && !kind
                                   ? " (a radio matrix is a container with the property controlKind = matrix)"
                                   : "";
            return fail("the outlet " + outlet.name() + " is a " + controlKindName(outlet.kind()) +
                        ", but the interface has " + describe(found->second) + " there" + hint);
        }
        return true;
    }

    bool checkSenders() {
        for (const Sender& sender : senders_)
            if (!controlKindOfWidget(sender.widget))
                return fail(toUtf8(sender.widget->objectName()) + " (" + sender.widget->metaObject()->className() +
                            ") is no control and cannot send " + sender.action);
        return true;
    }

    QtControl* controlFor(QWidget* widget, BoundInterface& bound) {
        auto found = controls_.find(widget);
        if (found != controls_.end()) return found->second;
        std::unique_ptr<QtControl> control = makeQtControl(widget, *controlKindOfWidget(widget));
        QtControl* made = control.get();
        bound.controls_.push_back(std::move(control));
        controls_.emplace(widget, made);
        return made;
    }

    std::unique_ptr<BoundInterface> makeBound() {
        auto bound = std::make_unique<BoundInterface>();
        for (const Outlet& outlet : outlets_) {
            QtControl* control = controlFor(outletWidgets_.at(outlet.name()), *bound);
            outlet.bind(&control->control());
            bound->outlets_.emplace_back(outlet.name(), control);
        }
        for (const Sender& sender : senders_) {
            QtControl* control = controlFor(sender.widget, *bound);
            std::function<void(Control*)> send = declaredAction(sender.action)->send;
            control->setActionHandler([send, control] { send(&control->control()); });
            bound->senders_.emplace(sender.action, control);
        }
        bound->actions_ = std::move(actions_);
        return bound;
    }

    QWidget* root_;
    std::vector<Outlet> outlets_;
    std::vector<Action> actions_;
    std::string className_;
    std::string error_;
    std::map<std::string, QWidget*, std::less<>> outletWidgets_;
    std::vector<Sender> senders_;
    std::map<QWidget*, QtControl*> controls_;
};

std::unique_ptr<BoundInterface> bindInterface(QWidget* root, PreferencePane& pane, std::string_view className,
                                              std::string& error) {
    return InterfaceBinder(root, pane, className).bind(error);
}

}  // namespace platform::qt
