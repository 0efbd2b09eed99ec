#include "platform/qt/QtControls.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTextEdit>
#include <QVariant>

#include <algorithm>
#include <climits>
#include <cmath>
#include <utility>

namespace platform::qt {

namespace {

// The dynamic property that marks a container as a radio matrix.
constexpr const char* kControlKindProperty = "controlKind";
constexpr const char* kMatrixKind = "matrix";

// A carriage return (the system's line separator) shown as a line break.
QString multiLineShown(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

// A one-line field shows line separators as spaces.
QString singleLineShown(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

bool isContainer(const QWidget* widget) {
    if (qobject_cast<const QGroupBox*>(widget)) return true;
    const char* className = widget->metaObject()->className();
    return qstrcmp(className, "QWidget") == 0 || qstrcmp(className, "QFrame") == 0;
}

// Only a container that says so is a matrix: a group of radio buttons may
// also be just part of a larger layout.
std::optional<ControlKind> containerKind(const QWidget* widget) {
    if (widget->property(kControlKindProperty).toString() == QLatin1String(kMatrixKind))
        return ControlKind::RadioMatrix;
    return std::nullopt;
}

QString widgetText(const QWidget* widget) {
    if (auto* edit = qobject_cast<const QLineEdit*>(widget)) return edit->text();
    if (auto* label = qobject_cast<const QLabel*>(widget)) return label->text();
    if (auto* plain = qobject_cast<const QPlainTextEdit*>(widget)) return plain->toPlainText();
    if (auto* rich = qobject_cast<const QTextEdit*>(widget)) return rich->toPlainText();
    return QString();
}

}  // namespace

QString toQString(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string toUtf8(const QString& text) {
    QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

std::optional<ControlKind> controlKindOfWidget(const QWidget* widget) {
    if (widget == nullptr) return std::nullopt;
    if (qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QLabel*>(widget) ||
        qobject_cast<const QPlainTextEdit*>(widget) || qobject_cast<const QTextEdit*>(widget))
        return ControlKind::TextField;
    if (qobject_cast<const QCheckBox*>(widget)) return ControlKind::CheckBox;
    if (auto* combo = qobject_cast<const QComboBox*>(widget))
        return combo->isEditable() ? ControlKind::ComboBox : ControlKind::PopUpButton;
    if (qobject_cast<const QProgressBar*>(widget)) return ControlKind::ProgressIndicator;
    if (qobject_cast<const QPushButton*>(widget)) return ControlKind::PushButton;
    if (isContainer(widget)) return containerKind(widget);
    return std::nullopt;
}

std::unique_ptr<QtControl> makeQtControl(QWidget* widget, ControlKind kind) {
    switch (kind) {
    case ControlKind::TextField: return std::make_unique<QtTextField>(widget);
    case ControlKind::CheckBox: return std::make_unique<QtCheckBox>(qobject_cast<QCheckBox*>(widget));
    case ControlKind::RadioMatrix: return std::make_unique<QtRadioMatrix>(widget);
    case ControlKind::PopUpButton: return std::make_unique<QtPopUpButton>(qobject_cast<QComboBox*>(widget));
    case ControlKind::ComboBox: return std::make_unique<QtComboBox>(qobject_cast<QComboBox*>(widget));
    case ControlKind::ProgressIndicator:
        return std::make_unique<QtProgressIndicator>(qobject_cast<QProgressBar*>(widget));
    case ControlKind::PushButton: return std::make_unique<QtPushButton>(qobject_cast<QPushButton*>(widget));
    }
    return nullptr;
}

// ------------------------------------------------------------------ QtControl

std::string QtControl::widgetName() const {
    return widget_ ? toUtf8(widget_->objectName()) : std::string();
}

void QtControl::sendAction() const {
    if (actionHandler_) actionHandler_();
}

bool QtControl::widgetEnabled() const {
    return widget_ && widget_->isEnabled();
}

void QtControl::setWidgetEnabled(bool enabled) {
    if (widget_) widget_->setEnabled(enabled);
}

// ---------------------------------------------------------------- QtTextField

QtTextField::QtTextField(QWidget* widget) : QtControlOf<TextField>(widget) {
    shown_ = widgetText(widget);
    value_ = toUtf8(shown_);
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
        QObject::connect(edit, &QLineEdit::editingFinished, context(), [this] { sendAction(); });
}

QString QtTextField::shownText() const {
    return widgetText(widget());
}

std::string QtTextField::stringValue() const {
    QString now = shownText();
    // Unchanged since the pane set it: the pane's own bytes, carriage
    // returns included. Otherwise the user has edited it.
    return now == shown_ ? value_ : toUtf8(now);
}

void QtTextField::setStringValue(std::string_view text) {
    value_ = std::string(text);
    show(toQString(text));
    shown_ = shownText();
}

void QtTextField::show(const QString& text) {
    QWidget* target = widget();
    if (auto* edit = qobject_cast<QLineEdit*>(target)) {
        edit->setText(singleLineShown(text));
    } else if (auto* label = qobject_cast<QLabel*>(target)) {
        label->setTextFormat(Qt::PlainText);
        label->setText(multiLineShown(text));
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(target)) {
        plain->setPlainText(multiLineShown(text));
    } else if (auto* rich = qobject_cast<QTextEdit*>(target)) {
        rich->setPlainText(multiLineShown(text));
    }
}

bool QtTextField::isEditable() const {
    QWidget* target = widget();
    if (auto* edit = qobject_cast<QLineEdit*>(target)) return !edit->isReadOnly();
    if (auto* plain = qobject_cast<QPlainTextEdit*>(target)) return !plain->isReadOnly();
    if (auto* rich = qobject_cast<QTextEdit*>(target)) return !rich->isReadOnly();
    return false;
}

void QtTextField::typeText(std::string_view text) {
    setStringValue(text);
    sendAction();
}

// ----------------------------------------------------------------- QtCheckBox

QtCheckBox::QtCheckBox(QCheckBox* box) : QtControlOf<CheckBox>(box) {
    QObject::connect(box, &QAbstractButton::clicked, context(), [this] { sendAction(); });
}

QCheckBox* QtCheckBox::box() const {
    return qobject_cast<QCheckBox*>(widget());
}

int QtCheckBox::state() const {
    if (!box()) return 0;
    switch (box()->checkState()) {
    case Qt::Checked: return 1;
    case Qt::PartiallyChecked: return -1;
    case Qt::Unchecked: break;
    }
    return 0;
}

void QtCheckBox::setState(int state) {
    if (!box()) return;
    if (state < 0 && box()->isTristate()) {
        box()->setCheckState(Qt::PartiallyChecked);
    } else {
        box()->setCheckState(state == 0 ? Qt::Unchecked : Qt::Checked);
    }
}

void QtCheckBox::click() {
    if (box()) box()->click();
}

// -------------------------------------------------------------- QtRadioMatrix

std::vector<QRadioButton*> QtRadioMatrix::rowsOf(QWidget* container) {
    QList<QRadioButton*> found = container->findChildren<QRadioButton*>();
    std::vector<QRadioButton*> rows(found.begin(), found.end());
    auto* grid = qobject_cast<QGridLayout*>(container->layout());
    if (grid == nullptr) return rows;
    auto position = [grid](QRadioButton* button) {
        int index = grid->indexOf(button);
        int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
        if (index < 0) return std::pair(INT_MAX, INT_MAX);
        grid->getItemPosition(index, &row, &column, &rowSpan, &columnSpan);
        return std::pair(row, column);
    };
    std::stable_sort(rows.begin(), rows.end(),
                     [&](QRadioButton* a, QRadioButton* b) { return position(a) < position(b); });
    return rows;
}

QtRadioMatrix::QtRadioMatrix(QWidget* container) : QtControlOf<RadioMatrix>(container) {
    group_ = new QButtonGroup(container);
    group_->setExclusive(true);
    int id = 0;
    for (QRadioButton* row : rowsOf(container)) {
        rows_.emplace_back(row);
        group_->addButton(row, id++);
    }
    QObject::connect(group_, &QButtonGroup::buttonClicked, context(), [this] { sendAction(); });
}

int QtRadioMatrix::selectedRow() const {
    for (std::size_t row = 0; row < rows_.size(); ++row)
        if (rows_[row] && rows_[row]->isChecked()) return static_cast<int>(row);
    return -1;
}

void QtRadioMatrix::selectCell(int row, int column) {
    if (column != 0) return;
    if (row == -1) {
        group_->setExclusive(false);
        for (auto& button : rows_)
            if (button) button->setChecked(false);
        group_->setExclusive(true);
        return;
    }
    if (row < 0 || row >= rowCount() || !rows_[row]) return;
    rows_[row]->setChecked(true);
}

bool QtRadioMatrix::isRowEnabled(int row) const {
    return row >= 0 && row < rowCount() && rows_[row] && rows_[row]->isEnabled();
}

void QtRadioMatrix::chooseRow(int row) {
    if (row >= 0 && row < rowCount() && rows_[row]) rows_[row]->click();
}

// -------------------------------------------------------------- QtPopUpButton

QtPopUpButton::QtPopUpButton(QComboBox* combo) : QtControlOf<PopUpButton>(combo) {
    QObject::connect(combo, &QComboBox::activated, context(), [this] { sendAction(); });
}

QComboBox* QtPopUpButton::combo() const {
    return qobject_cast<QComboBox*>(widget());
}

int QtPopUpButton::indexOfSelectedItem() const {
    return combo() ? combo()->currentIndex() : -1;
}

void QtPopUpButton::selectItemAtIndex(int index) {
    if (!combo() || index < -1 || index >= combo()->count()) return;
    combo()->setCurrentIndex(index);
}

int QtPopUpButton::itemCount() const {
    return combo() ? combo()->count() : 0;
}

void QtPopUpButton::chooseItem(int index) {
    if (!combo() || index < 0 || index >= combo()->count()) return;
    combo()->setCurrentIndex(index);
    sendAction();
}

// ----------------------------------------------------------------- QtComboBox

QtComboBox::QtComboBox(QComboBox* combo) : QtControlOf<ComboBox>(combo) {
    combo->setInsertPolicy(QComboBox::NoInsert);
    shown_ = currentText();
    value_ = toUtf8(shown_);
    QObject::connect(combo, &QComboBox::activated, context(), [this] { sendAction(); });
    if (QLineEdit* edit = combo->lineEdit())
        QObject::connect(edit, &QLineEdit::editingFinished, context(), [this] { sendAction(); });
}

QComboBox* QtComboBox::combo() const {
    return qobject_cast<QComboBox*>(widget());
}

QString QtComboBox::currentText() const {
    return combo() ? combo()->currentText() : QString();
}

std::string QtComboBox::stringValue() const {
    QString now = currentText();
    return now == shown_ ? value_ : toUtf8(now);
}

void QtComboBox::setStringValue(std::string_view text) {
    if (!combo()) return;
    value_ = std::string(text);
    {
        QSignalBlocker quiet(combo());
        combo()->setEditText(singleLineShown(toQString(text)));
    }
    shown_ = currentText();
}

// QComboBox replaces the edit text when its list changes (the first item
// added becomes current, clearing empties the text); the text is the user's.
void QtComboBox::keepTextWhile(const std::function<void()>& change) {
    if (!combo()) return;
    QString text = currentText();
    QSignalBlocker quiet(combo());
    change();
    combo()->setCurrentIndex(-1);
    combo()->setEditText(text);
}

void QtComboBox::removeAllItems() {
    keepTextWhile([this] { combo()->clear(); });
}

void QtComboBox::addItem(std::string_view text) {
    QString item = toQString(text);
    keepTextWhile([this, &item] { combo()->addItem(item); });
}

std::vector<std::string> QtComboBox::items() const {
    std::vector<std::string> list;
    if (!combo()) return list;
    for (int index = 0; index < combo()->count(); ++index) list.push_back(toUtf8(combo()->itemText(index)));
    return list;
}

void QtComboBox::typeText(std::string_view text) {
    setStringValue(text);
    sendAction();
}

// -------------------------------------------------------- QtProgressIndicator

QtProgressIndicator::QtProgressIndicator(QProgressBar* bar) : QtControlOf<ProgressIndicator>(bar) {
    minValue_ = bar->minimum();
    maxValue_ = bar->maximum();
    value_ = bar->value() < bar->minimum() ? minValue_ : bar->value();
    bar->setRange(0, kSteps);
    setDoubleValue(value_);
}

QProgressBar* QtProgressIndicator::bar() const {
    return qobject_cast<QProgressBar*>(widget());
}

void QtProgressIndicator::setDoubleValue(double value) {
    value_ = value;
    if (!bar()) return;
    double span = maxValue_ - minValue_;
    int steps = 0;
    if (std::isfinite(value) && span > 0) {
        double scaled = std::round((value - minValue_) / span * kSteps);
        steps = static_cast<int>(std::clamp(scaled, 0.0, static_cast<double>(kSteps)));
    }
    bar()->setValue(steps);
}

// --------------------------------------------------------------- QtPushButton

QtPushButton::QtPushButton(QPushButton* button) : QtControlOf<PushButton>(button) {
    QObject::connect(button, &QAbstractButton::clicked, context(), [this] { sendAction(); });
}

QPushButton* QtPushButton::button() const {
    return qobject_cast<QPushButton*>(widget());
}

void QtPushButton::click() {
    if (button()) button()->click();
}

}  // namespace platform::qt
