// A pane as the host holds it once selected the first time: the principal
// class from the bundle's library, its interface and the bound controls.
// Loaded once; selecting it again reuses all three.
#pragma once

#include <QPointer>

#include <memory>
#include <string>

#include "platform/BundleLoader.h"
#include "platform/PreferencePane.h"
#include "platform/qt/InterfaceBinder.h"

class QWidget;

namespace host {

class LoadedPane {
public:
    // Null, with a message naming what is missing, when the bundle cannot be
    // loaded or its interface does not fit the pane.
    static std::unique_ptr<LoadedPane> load(const platform::PaneBundle& bundle, platform::Services& services,
                                            const std::string& serviceRegistry, QWidget* parent,
                                            std::string& error);
    ~LoadedPane();
    LoadedPane(const LoadedPane&) = delete;
    LoadedPane& operator=(const LoadedPane&) = delete;

    platform::PreferencePane& pane() const { return *pane_; }
    QWidget* view() const { return view_; }
    const platform::qt::BoundInterface& interface() const { return *interface_; }

private:
    LoadedPane() = default;

    std::unique_ptr<platform::PreferencePane> pane_;
    QPointer<QWidget> view_;
    std::unique_ptr<platform::qt::BoundInterface> interface_;
};

}  // namespace host
