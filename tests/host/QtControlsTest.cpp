// The Qt controls on real widgets (offscreen platform), in process.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEventLoop>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>

#include <functional>
#include <memory>

#include "platform/qt/InterfaceBinder.h"
#include "platform/qt/QtControls.h"
#include "platform/qt/QtServices.h"
#include "tests/support/CardSimulatorProcess.h"

namespace {

using platform::ControlKind;
using namespace platform::qt;

// ------------------------------------------------------------ widget kinds

struct KindCase {
    const char* name;
    std::function<QWidget*(QWidget* parent)> make;
    std::optional<ControlKind> expected;
};

void PrintTo(const KindCase& c, std::ostream* os) {
    *os << c.name;
}

QWidget* containerWithRadios(QWidget* container) {
    auto* layout = new QVBoxLayout(container);
    layout->addWidget(new QRadioButton("a"));
    layout->addWidget(new QRadioButton("b"));
    return container;
}

QWidget* declaredMatrix(QWidget* container) {
    container->setProperty("controlKind", "matrix");
    return containerWithRadios(container);
}

QComboBox* combo(QWidget* parent, bool editable) {
    auto* box = new QComboBox(parent);
    box->setEditable(editable);
    return box;
}

class HostControlKinds : public testing::TestWithParam<KindCase> {};

TEST_P(HostControlKinds, FollowTheWidgetClass) {
    QWidget parent;
    QWidget* widget = GetParam().make(&parent);
    EXPECT_EQ(controlKindOfWidget(widget), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HostControlKinds,
    testing::Values(
        KindCase{"LineEdit", [](QWidget* p) { return new QLineEdit(p); }, ControlKind::TextField},
        KindCase{"Label", [](QWidget* p) { return new QLabel(p); }, ControlKind::TextField},
        KindCase{"PlainTextEdit", [](QWidget* p) { return new QPlainTextEdit(p); }, ControlKind::TextField},
        KindCase{"CheckBox", [](QWidget* p) { return new QCheckBox(p); }, ControlKind::CheckBox},
        KindCase{"NonEditableCombo", [](QWidget* p) { return combo(p, false); }, ControlKind::PopUpButton},
        KindCase{"EditableCombo", [](QWidget* p) { return combo(p, true); }, ControlKind::ComboBox},
        KindCase{"ProgressBar", [](QWidget* p) { return new QProgressBar(p); }, ControlKind::ProgressIndicator},
        KindCase{"PushButton", [](QWidget* p) { return new QPushButton(p); }, ControlKind::PushButton},
        KindCase{"DeclaredGroupBox", [](QWidget* p) { return declaredMatrix(new QGroupBox(p)); },
                 ControlKind::RadioMatrix},
        KindCase{"DeclaredFrame", [](QWidget* p) { return declaredMatrix(new QFrame(p)); },
                 ControlKind::RadioMatrix},
        KindCase{"DeclaredWidget", [](QWidget* p) { return declaredMatrix(new QWidget(p)); },
                 ControlKind::RadioMatrix},
        KindCase{"UndeclaredGroupOfRadios", [](QWidget* p) { return containerWithRadios(new QGroupBox(p)); },
                 std::nullopt},
        KindCase{"OtherDeclaredKind",
                 [](QWidget* p) {
                     QWidget* w = containerWithRadios(new QWidget(p));
                     w->setProperty("controlKind", "slider");
                     return w;
                 },
                 std::nullopt},
        KindCase{"PlainGroupBox", [](QWidget* p) { return new QGroupBox(p); }, std::nullopt},
        KindCase{"LoneRadioButton", [](QWidget* p) { return new QRadioButton(p); }, std::nullopt},
        KindCase{"Slider", [](QWidget* p) { return new QSlider(p); }, std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

// -------------------------------------------------------------- text fields

struct TextFieldCase {
    const char* name;
    std::function<QWidget*(QWidget* parent)> make;
    std::function<QString(QWidget*)> shown;
    QString shownForCarriageReturns;  // what "one\rtwo\r\nthree" looks like
};

void PrintTo(const TextFieldCase& c, std::ostream* os) {
    *os << c.name;
}

class HostTextField : public testing::TestWithParam<TextFieldCase> {};

TEST_P(HostTextField, KeepsTheTextAsSetAndShowsCarriageReturnsAsTheWidgetCan) {
    QWidget parent;
    QWidget* widget = GetParam().make(&parent);
    QtTextField field(widget);
    const std::string text = "one\rtwo\r\nthree";
    field.setStringValue(text);
    EXPECT_EQ(field.stringValue(), text);
    EXPECT_EQ(GetParam().shown(widget), GetParam().shownForCarriageReturns);
}

TEST_P(HostTextField, KeepsUtf8AndRichTextMarkupAsText) {
    QWidget parent;
    QWidget* widget = GetParam().make(&parent);
    QtTextField field(widget);
    const std::string text = "\xe2\x80\xa2\xe2\x80\xa2 <b>bold</b>";  // two U+2022 BULLET
    field.setStringValue(text);
    EXPECT_EQ(field.stringValue(), text);
    EXPECT_EQ(GetParam().shown(widget), QString::fromUtf8("\u2022\u2022 <b>bold</b>"));
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        EXPECT_EQ(label->textFormat(), Qt::PlainText);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HostTextField,
    testing::Values(
        TextFieldCase{"LineEdit", [](QWidget* p) { return new QLineEdit(p); },
                      [](QWidget* w) { return qobject_cast<QLineEdit*>(w)->text(); }, "one two three"},
        TextFieldCase{"Label",
                      [](QWidget* p) {
                          auto* label = new QLabel(p);
                          label->setWordWrap(true);
                          return label;
                      },
                      [](QWidget* w) { return qobject_cast<QLabel*>(w)->text(); }, "one\ntwo\nthree"},
        TextFieldCase{"PlainTextEdit",
                      [](QWidget* p) {
                          auto* edit = new QPlainTextEdit(p);
                          edit->setReadOnly(true);
                          return edit;
                      },
                      [](QWidget* w) { return qobject_cast<QPlainTextEdit*>(w)->toPlainText(); },
                      "one\ntwo\nthree"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HostTextFieldEditing, TheUsersTextReplacesThePanesOnceEdited) {
    QLineEdit edit;
    QtTextField field(&edit);
    field.setStringValue("a\rb");
    edit.setText("typed");
    EXPECT_EQ(field.stringValue(), "typed");
}

TEST(HostTextFieldEditing, StartsWithTheInterfacesText) {
    QLabel label("Key:");
    QtTextField field(&label);
    EXPECT_EQ(field.stringValue(), "Key:");
    EXPECT_FALSE(field.isEditable());
}

// ---------------------------------------------------------------- combo box

TEST(HostComboBox, FillingAndEmptyingTheListKeepsTheText) {
    QComboBox box;
    box.setEditable(true);
    QtComboBox combo(&box);
    combo.setStringValue("Office");
    combo.addItem("Alpha");
    combo.addItem("Beta");
    EXPECT_EQ(combo.stringValue(), "Office");
    EXPECT_EQ(combo.items(), (std::vector<std::string>{"Alpha", "Beta"}));
    combo.removeAllItems();
    EXPECT_EQ(combo.stringValue(), "Office");
    EXPECT_TRUE(combo.items().empty());
}

TEST(HostComboBox, ReturnInTheFieldDoesNotAddToTheList) {
    QComboBox box;
    box.setEditable(true);
    QtComboBox combo(&box);
    int actions = 0;
    combo.setActionHandler([&] { ++actions; });
    combo.addItem("Alpha");
    box.lineEdit()->setText("Typed");
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(box.lineEdit(), &press);
    EXPECT_EQ(combo.items(), (std::vector<std::string>{"Alpha"}));
    EXPECT_EQ(combo.stringValue(), "Typed");
    EXPECT_GE(actions, 1);
}

TEST(HostComboBox, ChoosingFromTheListSendsTheActionAndTakesTheItem) {
    QComboBox box;
    box.setEditable(true);
    QtComboBox combo(&box);
    int actions = 0;
    combo.setActionHandler([&] { ++actions; });
    combo.setStringValue("Office");
    combo.addItem("Alpha");
    combo.addItem("Beta");
    EXPECT_EQ(actions, 0);  // the pane's own changes send nothing
    box.setCurrentIndex(1);
    emit box.activated(1);  // what the list view does when the user picks
    EXPECT_EQ(actions, 1);
    EXPECT_EQ(combo.stringValue(), "Beta");
}

// --------------------------------------------------------------- pop-up

TEST(HostPopUp, SelectsOnlyExistingItems) {
    QComboBox box;
    box.addItems({"None", "Password", "Hex"});
    QtPopUpButton popUp(&box);
    int actions = 0;
    popUp.setActionHandler([&] { ++actions; });
    popUp.selectItemAtIndex(2);
    EXPECT_EQ(popUp.indexOfSelectedItem(), 2);
    popUp.selectItemAtIndex(3);
    EXPECT_EQ(popUp.indexOfSelectedItem(), 2);
    popUp.selectItemAtIndex(-1);
    EXPECT_EQ(popUp.indexOfSelectedItem(), -1);
    EXPECT_EQ(actions, 0);
    popUp.chooseItem(1);
    EXPECT_EQ(popUp.indexOfSelectedItem(), 1);
    EXPECT_EQ(actions, 1);
}

// ------------------------------------------------------------ radio matrix

TEST(HostRadioMatrix, RowsFollowTheGridNotTheObjectOrder) {
    QGroupBox container;
    auto* grid = new QGridLayout(&container);
    auto* second = new QRadioButton("second");
    auto* first = new QRadioButton("first");
    grid->addWidget(second, 1, 0);
    grid->addWidget(new QLineEdit(), 0, 1);
    grid->addWidget(first, 0, 0);
    QtRadioMatrix matrix(&container);
    ASSERT_EQ(matrix.rowCount(), 2);
    first->setChecked(true);
    EXPECT_EQ(matrix.selectedRow(), 0);
    second->setChecked(true);
    EXPECT_EQ(matrix.selectedRow(), 1);
}

TEST(HostRadioMatrix, SelectCellByRowAndColumn) {
    QGroupBox container;
    containerWithRadios(&container);
    QtRadioMatrix matrix(&container);
    int actions = 0;
    matrix.setActionHandler([&] { ++actions; });
    EXPECT_EQ(matrix.selectedRow(), -1);
    matrix.selectCell(1, 0);
    EXPECT_EQ(matrix.selectedRow(), 1);
    matrix.selectCell(0, 1);  // no second column
    EXPECT_EQ(matrix.selectedRow(), 1);
    matrix.selectCell(2, 0);  // no third row
    EXPECT_EQ(matrix.selectedRow(), 1);
    matrix.selectCell(0, 0);
    EXPECT_EQ(matrix.selectedRow(), 0);
    matrix.selectCell(-1, 0);
    EXPECT_EQ(matrix.selectedRow(), -1);
    EXPECT_EQ(actions, 0);
    matrix.chooseRow(1);
    EXPECT_EQ(matrix.selectedRow(), 1);
    EXPECT_EQ(actions, 1);
}

// ---------------------------------------------------------------- check box

TEST(HostCheckBox, OnlyTheUsersClickSendsTheAction) {
    QCheckBox box;
    QtCheckBox check(&box);
    int actions = 0;
    check.setActionHandler([&] { ++actions; });
    check.setState(1);
    EXPECT_EQ(check.state(), 1);
    check.setState(0);
    EXPECT_EQ(check.state(), 0);
    EXPECT_EQ(actions, 0);
    check.click();
    EXPECT_EQ(check.state(), 1);
    EXPECT_EQ(actions, 1);
    check.setEnabled(false);
    EXPECT_FALSE(check.isEnabled());
    EXPECT_FALSE(box.isEnabled());
}

// ------------------------------------------------------- progress indicator

struct ProgressCase {
    const char* name;
    int minimum;
    int maximum;
    double value;
    int expectedSteps;  // of QtProgressIndicator::kSteps (1000)
};

void PrintTo(const ProgressCase& c, std::ostream* os) {
    *os << c.name;
}

class HostProgress : public testing::TestWithParam<ProgressCase> {};

TEST_P(HostProgress, KeepsTheDoubleAndShowsItOnTheBar) {
    const ProgressCase& c = GetParam();
    QProgressBar bar;
    bar.setRange(c.minimum, c.maximum);
    QtProgressIndicator progress(&bar);
    progress.setDoubleValue(c.value);
    if (std::isnan(c.value)) EXPECT_TRUE(std::isnan(progress.doubleValue()));
    else EXPECT_EQ(progress.doubleValue(), c.value);
    EXPECT_EQ(bar.value(), c.expectedSteps);
}

INSTANTIATE_TEST_SUITE_P(Cases, HostProgress,
                         testing::Values(ProgressCase{"Quarter", 0, 200, 50.0, 250},
                                         ProgressCase{"Fraction", 0, 100, 42.5, 425},
                                         ProgressCase{"OffsetRange", 50, 150, 75.0, 250},
                                         ProgressCase{"AboveMaximum", 0, 100, 300.0, 1000},
                                         ProgressCase{"BelowMinimum", 0, 100, -5.0, 0},
                                         ProgressCase{"NotANumber", 0, 100, std::nan(""), 0},
                                         ProgressCase{"EmptyRange", 10, 10, 10.0, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

// ------------------------------------------------------------------- timers

void runEventLoop(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

TEST(HostTimer, TheEventLoopKeepsATimerThePaneLetGoOf) {
    QtServices services;
    int ticks = 0;
    services.scheduleRepeatingTimer(0.01, [&] { ++ticks; });  // reference dropped at once
    EXPECT_EQ(services.scheduledTimerCount(), 1u);
    runEventLoop(200);
    EXPECT_GT(ticks, 0);
}

TEST(HostTimer, AnInvalidatedTimerNeverFiresAgain) {
    QtServices services;
    int ticks = 0;
    std::shared_ptr<platform::Timer> timer;
    timer = services.scheduleRepeatingTimer(0.01, [&] {
        if (++ticks == 2) timer->invalidate();  // from within its own action
    });
    runEventLoop(300);
    EXPECT_EQ(ticks, 2);
    EXPECT_FALSE(timer->isValid());
    EXPECT_EQ(services.scheduledTimerCount(), 0u);
}

TEST(HostTimer, InvalidatingAllStopsEveryTimer) {
    QtServices services;
    int ticks = 0;
    std::shared_ptr<platform::Timer> kept = services.scheduleRepeatingTimer(0.01, [&] { ++ticks; });
    services.scheduleRepeatingTimer(0.01, [&] { ++ticks; });
    services.invalidateAllTimers();
    runEventLoop(100);
    EXPECT_EQ(ticks, 0);
    EXPECT_FALSE(kept->isValid());
}

// ------------------------------------------------------------------ binder

class TwoOutletPane final : public platform::PreferencePane {
public:
    std::vector<platform::Outlet> outlets() override { return {{"name", name}, {"box", box}}; }
    std::vector<platform::Action> actions() override {
        return {{"changed:", [this](platform::Control* sender) { senders.push_back(sender); }}};
    }
    platform::TextField* name = nullptr;
    platform::CheckBox* box = nullptr;
    std::vector<platform::Control*> senders;
};

TEST(HostBinder, BindsOutletsAndSendsActionsWithTheControlAsSender) {
    QWidget root;
    auto* name = new QLineEdit(&root);
    name->setObjectName("name");
    auto* box = new QCheckBox(&root);
    box->setObjectName("box");
    box->setProperty("action", "changed:");
    TwoOutletPane pane;
    std::string error;
    std::unique_ptr<BoundInterface> bound = bindInterface(&root, pane, "TwoOutletPane", error);
    ASSERT_TRUE(bound) << error;
    ASSERT_NE(pane.name, nullptr);
    ASSERT_NE(pane.box, nullptr);
    pane.name->setStringValue("x");
    EXPECT_EQ(name->text(), "x");
    box->click();
    ASSERT_EQ(pane.senders.size(), 1u);
    EXPECT_EQ(pane.senders[0], pane.box);
}

TEST(HostBinder, BindsNothingWhenItRefuses) {
    QWidget root;
    auto* name = new QLineEdit(&root);
    name->setObjectName("name");
    auto* box = new QLineEdit(&root);  // the pane wants a check box
    box->setObjectName("box");
    TwoOutletPane pane;
    std::string error;
    EXPECT_FALSE(bindInterface(&root, pane, "TwoOutletPane", error));
    EXPECT_EQ(error, "the outlet box is a check box, but the interface has a text field (QLineEdit) there");
    EXPECT_EQ(pane.name, nullptr);
    EXPECT_EQ(pane.box, nullptr);
}

}  // namespace
