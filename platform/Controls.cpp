#include "platform/Controls.h"

namespace platform {

const char* controlKindName(ControlKind kind) {
    switch (kind) {
    case ControlKind::TextField: return "text field";
    case ControlKind::CheckBox: return "check box";
    case ControlKind::RadioMatrix: return "radio matrix";
    case ControlKind::PopUpButton: return "pop-up button";
    case ControlKind::ComboBox: return "combo box";
    case ControlKind::ProgressIndicator: return "progress indicator";
    case ControlKind::PushButton: return "push button";
    }
    return "control";
}

}  // namespace platform
