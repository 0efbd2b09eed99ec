// Loading a pane's interface description (.ui) at run time and binding its
// widgets to the pane by name: a widget's objectName is its outlet, and the
// dynamic property "action" (e.g. "applyNow:") names the action it sends.
// A widget may declare itself an outlet with the dynamic property
// "outlet" = true; the binder then refuses it when the pane has no such
// outlet.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/PreferencePane.h"
#include "platform/qt/QtControls.h"

class QWidget;

namespace platform::qt {

inline constexpr const char* kActionProperty = "action";
inline constexpr const char* kOutletProperty = "outlet";

// The controls of one loaded interface, bound to one pane.
class BoundInterface {
public:
    // The pane's outlets in declared order, with their controls.
    const std::vector<std::pair<std::string, QtControl*>>& outlets() const { return outlets_; }
    QtControl* outlet(std::string_view name) const;
    bool declaresAction(std::string_view name) const;
    // The first control, in interface order, that sends the action.
    QtControl* sender(std::string_view action) const;

private:
    friend class InterfaceBinder;

    std::vector<std::unique_ptr<QtControl>> controls_;
    std::vector<std::pair<std::string, QtControl*>> outlets_;
    std::vector<Action> actions_;
    std::map<std::string, QtControl*, std::less<>> senders_;
};

// Loads the interface description at path as a widget under parent. Null,
// with a message, when it cannot be read.
QWidget* loadInterface(const std::string& path, QWidget* parent, std::string& error);

// Binds the widgets under root to the pane. Refuses, with a message naming
// it, an outlet or action that the pane (of class className) does not
// declare, an outlet without a control or with a control of another kind,
// and an action on a widget that is no control; then nothing is bound.
std::unique_ptr<BoundInterface> bindInterface(QWidget* root, PreferencePane& pane, std::string_view className,
                                              std::string& error);

}  // namespace platform::qt
