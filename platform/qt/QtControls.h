// The controls of platform/Controls.h on Qt widgets of a loaded interface
// description. Each keeps the exact text the pane set, so that what the pane
// reads back is what it wrote even where the widget shows it differently (a
// carriage return shown as a line break). Actions go out on the user's
// interaction only, never when the pane changes a control.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Controls.h"

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QWidget;

namespace platform::qt {

// The kind that a widget of the interface stands for, if any.
std::optional<ControlKind> controlKindOfWidget(const QWidget* widget);

// What every Qt control adds to its platform interface.
class QtControl {
public:
    explicit QtControl(QWidget* widget) : widget_(widget) {}
    virtual ~QtControl() = default;
    QtControl(const QtControl&) = delete;
    QtControl& operator=(const QtControl&) = delete;

    virtual Control& control() = 0;
    const Control& control() const { return const_cast<QtControl*>(this)->control(); }
    QWidget* widget() const { return widget_; }
    std::string widgetName() const;

    // The action the control sends; the host sets it when binding.
    void setActionHandler(std::function<void()> handler) { actionHandler_ = std::move(handler); }
    bool hasAction() const { return static_cast<bool>(actionHandler_); }
    void sendAction() const;

protected:
    bool widgetEnabled() const;
    void setWidgetEnabled(bool enabled);
    // Connections made with this context end with the control.
    QObject* context() { return &context_; }

private:
    QPointer<QWidget> widget_;
    QObject context_;
    std::function<void()> actionHandler_;
};

// The parts every control shares: the widget's enabled state.
template <class Interface>
class QtControlOf : public Interface, public QtControl {
public:
    using QtControl::QtControl;
    Control& control() override { return *this; }
    bool isEnabled() const override { return widgetEnabled(); }
    void setEnabled(bool enabled) override { setWidgetEnabled(enabled); }
};

// Makes the control of that kind for the widget (whose kind the caller has
// checked with controlKindOfWidget).
std::unique_ptr<QtControl> makeQtControl(QWidget* widget, ControlKind kind);

// A line edit, a label, or a multi-line text (QPlainTextEdit, QTextEdit).
class QtTextField final : public QtControlOf<TextField> {
public:
    explicit QtTextField(QWidget* widget);
    std::string stringValue() const override;
    void setStringValue(std::string_view text) override;

    bool isEditable() const;
    // As a user typing the text and ending the editing.
    void typeText(std::string_view text);
    // The text as the widget shows it.
    QString shownText() const;

private:
    void show(const QString& text);

    std::string value_;
    QString shown_;
};

class QtCheckBox final : public QtControlOf<CheckBox> {
public:
    explicit QtCheckBox(QCheckBox* box);
    int state() const override;
    void setState(int state) override;
    void click();

private:
    QCheckBox* box() const;
};

// A container (QGroupBox, QFrame or QWidget with the dynamic property
// controlKind = "matrix") whose radio buttons are its rows, in the order of
// its grid layout, else in the order of the interface description. One
// column.
class QtRadioMatrix final : public QtControlOf<RadioMatrix> {
public:
    explicit QtRadioMatrix(QWidget* container);
    int selectedRow() const override;
    // A row outside the matrix or another column changes nothing; row -1
    // selects no cell.
    void selectCell(int row, int column) override;

    int rowCount() const { return static_cast<int>(rows_.size()); }
    bool isRowEnabled(int row) const;
    void chooseRow(int row);

    static std::vector<QRadioButton*> rowsOf(QWidget* container);

private:
    std::vector<QPointer<QRadioButton>> rows_;
    QButtonGroup* group_;
};

// A non-editable combo box.
class QtPopUpButton final : public QtControlOf<PopUpButton> {
public:
    explicit QtPopUpButton(QComboBox* combo);
    int indexOfSelectedItem() const override;
    // An index outside the items changes nothing; -1 selects none.
    void selectItemAtIndex(int index) override;

    int itemCount() const;
    void chooseItem(int index);

private:
    QComboBox* combo() const;
};

// An editable combo box. Its text is its own: filling or emptying the list
// leaves it as it is, and typing does not add to the list.
class QtComboBox final : public QtControlOf<ComboBox> {
public:
    explicit QtComboBox(QComboBox* combo);
    std::string stringValue() const override;
    void setStringValue(std::string_view text) override;
    void removeAllItems() override;
    void addItem(std::string_view text) override;
    std::vector<std::string> items() const override;

    void typeText(std::string_view text);

private:
    QComboBox* combo() const;
    QString currentText() const;
    void keepTextWhile(const std::function<void()>& change);

    std::string value_;
    QString shown_;
};

// A progress bar. The value is a double between the bar's minimum and
// maximum from the interface; the bar shows it on a finer integer scale.
class QtProgressIndicator final : public QtControlOf<ProgressIndicator> {
public:
    static constexpr int kSteps = 1000;

    explicit QtProgressIndicator(QProgressBar* bar);
    double doubleValue() const override { return value_; }
    void setDoubleValue(double value) override;

    double minValue() const { return minValue_; }
    double maxValue() const { return maxValue_; }

private:
    QProgressBar* bar() const;

    double minValue_;
    double maxValue_;
    double value_;
};

class QtPushButton final : public QtControlOf<PushButton> {
public:
    explicit QtPushButton(QPushButton* button);
    void click();

private:
    QPushButton* button() const;
};

QString toQString(std::string_view utf8);
std::string toUtf8(const QString& text);

}  // namespace platform::qt
