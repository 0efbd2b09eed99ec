// The controls and services that a pane talks to. Plain C++: the host
// provides the implementation (Qt widgets), tests may provide their own.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

enum class ControlKind { TextField, CheckBox, RadioMatrix, PopUpButton, ComboBox, ProgressIndicator, PushButton };

const char* controlKindName(ControlKind kind);

class Control {
public:
    virtual ~Control() = default;
    virtual ControlKind kind() const = 0;
    virtual bool isEnabled() const = 0;
    virtual void setEnabled(bool enabled) = 0;
};

// A text field or a label. Texts are UTF-8; a carriage return is kept as set.
class TextField : public Control {
public:
    static constexpr ControlKind kKind = ControlKind::TextField;
    ControlKind kind() const override { return kKind; }
    virtual std::string stringValue() const = 0;
    virtual void setStringValue(std::string_view text) = 0;
};

class CheckBox : public Control {
public:
    static constexpr ControlKind kKind = ControlKind::CheckBox;
    ControlKind kind() const override { return kKind; }
    virtual int state() const = 0;  // 0 off, 1 on
    virtual void setState(int state) = 0;
};

// A column of radio buttons; rows count from 0.
class RadioMatrix : public Control {
public:
    static constexpr ControlKind kKind = ControlKind::RadioMatrix;
    ControlKind kind() const override { return kKind; }
    virtual int selectedRow() const = 0;  // -1: none selected
    virtual void selectCell(int row, int column) = 0;
};

class PopUpButton : public Control {
public:
    static constexpr ControlKind kKind = ControlKind::PopUpButton;
    ControlKind kind() const override { return kKind; }
    virtual int indexOfSelectedItem() const = 0;  // -1: none selected
    virtual void selectItemAtIndex(int index) = 0;
};

// An editable text with a list of choices.
class ComboBox : public Control {
public:
    static constexpr ControlKind kKind = ControlKind::ComboBox;
    ControlKind kind() const override { return kKind; }
    virtual std::string stringValue() const = 0;
    virtual void setStringValue(std::string_view text) = 0;
    virtual void removeAllItems() = 0;
    virtual void addItem(std::string_view text) = 0;
    virtual std::vector<std::string> items() const = 0;
};

class ProgressIndicator : public Control {
public:
    static constexpr ControlKind kKind = ControlKind::ProgressIndicator;
    ControlKind kind() const override { return kKind; }
    virtual double doubleValue() const = 0;
    virtual void setDoubleValue(double value) = 0;
};

class PushButton : public Control {
public:
    static constexpr ControlKind kKind = ControlKind::PushButton;
    ControlKind kind() const override { return kKind; }
};

// A repeating timer on the main run loop. Stopping it is final.
class Timer {
public:
    virtual ~Timer() = default;
    virtual void invalidate() = 0;
    virtual bool isValid() const = 0;
};

// What the host offers a pane besides its controls.
class Services {
public:
    virtual ~Services() = default;
    // Modal: returns once the user has pressed the button.
    virtual void runAlert(std::string_view title, std::string_view message, std::string_view button) = 0;
    virtual void openURL(std::string_view url) = 0;
    // The action runs on the main thread every interval until invalidated.
    virtual std::shared_ptr<Timer> scheduleRepeatingTimer(double intervalSeconds, std::function<void()> action) = 0;
};

}  // namespace platform
