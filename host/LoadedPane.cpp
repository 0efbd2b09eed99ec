#include "host/LoadedPane.h"

#include <QWidget>

namespace host {

std::unique_ptr<LoadedPane> LoadedPane::load(const platform::PaneBundle& bundle, platform::Services& services,
                                             const std::string& serviceRegistry, QWidget* parent,
                                             std::string& error) {
    std::optional<std::string> interfacePath = bundle.interfacePath(error);
    if (!interfacePath) return nullptr;
    std::unique_ptr<LoadedPane> loaded(new LoadedPane());
    loaded->pane_ = bundle.createPrincipal(error);
    if (!loaded->pane_) return nullptr;
    loaded->pane_->attach(bundle.bundle(), services, serviceRegistry);

    std::string reason;
    loaded->view_ = platform::qt::loadInterface(*interfacePath, parent, reason);
    if (!loaded->view_) {
        error = bundle.folderName() + ": " + reason;
        return nullptr;
    }
    std::string className = bundle.infoValue(platform::kPrincipalClassKey).value_or(std::string());
    loaded->interface_ = platform::qt::bindInterface(loaded->view_, *loaded->pane_, className, reason);
    if (!loaded->interface_) {
        error = bundle.folderName() + ": " + reason;
        return nullptr;
    }
    return loaded;
}

// The pane goes first: its outlets refer to the controls, and the controls
// to the widgets of the view.
LoadedPane::~LoadedPane() {
    pane_.reset();
    interface_.reset();
    delete view_.data();
}

}  // namespace host
