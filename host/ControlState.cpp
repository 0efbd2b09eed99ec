#include "host/ControlState.h"

#include "host/Json.h"

namespace host {

namespace {

using platform::ControlKind;

template <class ControlType>
const ControlType& as(const platform::Control& control) {
    return static_cast<const ControlType&>(control);
}

std::string enabledMember(const platform::Control& control) {
    return "\"enabled\":" + jsonBool(control.isEnabled());
}

}  // namespace

std::string controlStateJson(const platform::Control& control) {
    switch (control.kind()) {
    case ControlKind::TextField:
        return "{\"text\":" + jsonString(as<platform::TextField>(control).stringValue()) + "," +
               enabledMember(control) + "}";
    case ControlKind::CheckBox:
        return "{\"state\":" + std::to_string(as<platform::CheckBox>(control).state()) + "," +
               enabledMember(control) + "}";
    case ControlKind::RadioMatrix:
        return "{\"row\":" + std::to_string(as<platform::RadioMatrix>(control).selectedRow()) + "," +
               enabledMember(control) + "}";
    case ControlKind::PopUpButton:
        return "{\"index\":" + std::to_string(as<platform::PopUpButton>(control).indexOfSelectedItem()) + "," +
               enabledMember(control) + "}";
    case ControlKind::ComboBox: {
        const auto& combo = as<platform::ComboBox>(control);
        return "{\"text\":" + jsonString(combo.stringValue()) + ",\"items\":" + jsonStringArray(combo.items()) +
               "," + enabledMember(control) + "}";
    }
    case ControlKind::ProgressIndicator:
        return "{\"value\":" + jsonNumber(as<platform::ProgressIndicator>(control).doubleValue()) + "}";
    case ControlKind::PushButton:
        return "{" + enabledMember(control) + "}";
    }
    return "{}";
}

std::string dumpLine(const std::vector<std::pair<std::string, const platform::Control*>>& outlets) {
    std::string line = "{\"dump\":{";
    for (std::size_t i = 0; i < outlets.size(); ++i) {
        if (i > 0) line += ',';
        line += jsonString(outlets[i].first) + ":" + controlStateJson(*outlets[i].second);
    }
    line += "}}";
    return line;
}

}  // namespace host
