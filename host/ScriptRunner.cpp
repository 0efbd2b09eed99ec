#include "host/ScriptRunner.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QPixmap>
#include <QTimer>

#include "host/ControlState.h"
#include "host/Json.h"
#include "platform/qt/QtControls.h"

namespace host {

namespace {

using platform::qt::QtControl;

constexpr int kTickMilliseconds = 500;
constexpr int kMaxTicks = 1000000;  // about eleven days
constexpr int kMaxIndex = 1000000;

std::string usage(std::string_view form) {
    return "usage: " + std::string(form);
}

std::string trimmed(std::string_view text) {
    std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    std::size_t last = text.find_last_not_of(" \t");
    return std::string(text.substr(first, last - first + 1));
}

std::string kindOf(const QtControl& control) {
    return platform::controlKindName(control.control().kind());
}

}  // namespace

// ------------------------------------------------------------ ScriptServices

void ScriptServices::runAlert(std::string_view title, std::string_view message, std::string_view button) {
    ModalScope modal(*this);
    out_ << "{\"alert\":{\"title\":" << jsonString(title) << ",\"message\":" << jsonString(message)
         << ",\"buttons\":" << jsonStringArray({std::string(button)}) << "}}" << std::endl;
}

void ScriptServices::openURL(std::string_view url) {
    out_ << "{\"open\":" << jsonString(url) << "}" << std::endl;
}

// -------------------------------------------------------------- ScriptRunner

ScriptRunner::ScriptRunner(HostWindow& window, std::string paneName, std::ostream& out, std::ostream& err)
    : window_(window), paneName_(std::move(paneName)), out_(out), err_(err) {}

const std::vector<ScriptRunner::Command>& ScriptRunner::commands() {
    static const std::vector<Command> table = {
        {"select", &ScriptRunner::select},   {"leave", &ScriptRunner::leave}, {"type", &ScriptRunner::type},
        {"click", &ScriptRunner::click},     {"choose", &ScriptRunner::choose}, {"press", &ScriptRunner::press},
        {"tick", &ScriptRunner::tick},       {"dump", &ScriptRunner::dump},
        {"screenshot", &ScriptRunner::screenshot},
    };
    return table;
}

int ScriptRunner::run(const std::vector<ScriptLine>& lines) {
    for (const ScriptLine& line : lines) {
        const Command* command = nullptr;
        for (const Command& candidate : commands())
            if (candidate.name == line.command) command = &candidate;
        std::string error = command ? (this->*command->handler)(line) : "unknown command " + line.command;
        if (!error.empty()) {
            err_ << "error: line " << line.number << ": " << error << std::endl;
            return kScriptFailed;
        }
    }
    // As a user quitting: the pane is left first, then the host ends
    // whatever the pane answered.
    if (window_.selectedPane() != nullptr) print(leaveLine(window_.showAll()));
    return kScriptSucceeded;
}

void ScriptRunner::print(const std::string& jsonLine) {
    out_ << jsonLine << std::endl;
}

std::string ScriptRunner::leaveLine(bool left) const {
    return std::string("{\"leave\":") + jsonBool(left) + "}";
}

std::string ScriptRunner::requireSelected() const {
    return window_.selectedPane() ? std::string() : "no pane is selected";
}

QtControl* ScriptRunner::userOutlet(const std::string& name, std::string& error) const {
    error = requireSelected();
    if (!error.empty()) return nullptr;
    QtControl* control = window_.selectedPane()->loaded->interface().outlet(name);
    if (control == nullptr) {
        error = "unknown outlet " + name;
        return nullptr;
    }
    if (!control->control().isEnabled()) {
        error = name + " is disabled";
        return nullptr;
    }
    return control;
}

std::string ScriptRunner::select(const ScriptLine& line) {
    if (!splitWords(line.rest).empty()) return usage("select");
    PaneEntry* entry = nullptr;
    if (!paneName_.empty()) {
        entry = window_.findPane(paneName_);
        if (entry == nullptr) return "no pane named " + paneName_ + " in " + window_.panesFolder();
    } else if (window_.panes().size() == 1) {
        entry = window_.panes().front().get();
    } else if (window_.panes().empty()) {
        return "no panes in " + window_.panesFolder();
    } else {
        return "several panes in " + window_.panesFolder() + ": name one with --pane NAME";
    }
    std::string error;
    if (!window_.choosePane(*entry, error) && error.empty()) return "the selected pane refused to be left";
    return error;
}

std::string ScriptRunner::leave(const ScriptLine& line) {
    if (!splitWords(line.rest).empty()) return usage("leave");
    std::string error = requireSelected();
    if (!error.empty()) return error;
    print(leaveLine(window_.showAll()));
    return {};
}

std::string ScriptRunner::type(const ScriptLine& line) {
    OutletAndText arguments = splitOutletAndText(line.rest);
    if (arguments.outlet.empty()) return usage("type OUTLET TEXT");
    std::string error;
    QtControl* control = userOutlet(arguments.outlet, error);
    if (control == nullptr) return error;
    std::string text = unescapeText(arguments.text);
    if (auto* field = dynamic_cast<platform::qt::QtTextField*>(control); field && field->isEditable()) {
        field->typeText(text);
    } else if (auto* combo = dynamic_cast<platform::qt::QtComboBox*>(control)) {
        combo->typeText(text);
    } else {
        std::string what = dynamic_cast<platform::qt::QtTextField*>(control) ? "a text field that cannot be edited"
                                                                              : "a " + kindOf(*control);
        return "cannot type into " + arguments.outlet + ": it is " + what;
    }
    return {};
}

std::string ScriptRunner::click(const ScriptLine& line) {
    std::vector<std::string> words = splitWords(line.rest);
    if (words.size() != 1) return usage("click OUTLET");
    std::string error;
    QtControl* control = userOutlet(words[0], error);
    if (control == nullptr) return error;
    if (auto* box = dynamic_cast<platform::qt::QtCheckBox*>(control)) {
        box->click();
    } else if (auto* button = dynamic_cast<platform::qt::QtPushButton*>(control)) {
        button->click();
    } else {
        return "cannot click " + words[0] + ": it is a " + kindOf(*control);
    }
    return {};
}

std::string ScriptRunner::choose(const ScriptLine& line) {
    std::vector<std::string> words = splitWords(line.rest);
    if (words.size() != 2) return usage("choose OUTLET N");
    std::optional<int> index = parseCount(words[1], kMaxIndex);
    if (!index) return "not a row or item number: " + words[1];
    std::string error;
    QtControl* control = userOutlet(words[0], error);
    if (control == nullptr) return error;
    if (auto* matrix = dynamic_cast<platform::qt::QtRadioMatrix*>(control)) {
        if (*index >= matrix->rowCount()) return words[0] + " has no row " + words[1];
        if (!matrix->isRowEnabled(*index)) return "row " + words[1] + " of " + words[0] + " is disabled";
        matrix->chooseRow(*index);
    } else if (auto* popUp = dynamic_cast<platform::qt::QtPopUpButton*>(control)) {
        if (*index >= popUp->itemCount()) return words[0] + " has no item " + words[1];
        popUp->chooseItem(*index);
    } else {
        return "cannot choose in " + words[0] + ": it is a " + kindOf(*control);
    }
    return {};
}

std::string ScriptRunner::press(const ScriptLine& line) {
    std::vector<std::string> words = splitWords(line.rest);
    if (words.size() != 1) return usage("press ACTION");
    std::string error = requireSelected();
    if (!error.empty()) return error;
    const platform::qt::BoundInterface& interface = window_.selectedPane()->loaded->interface();
    if (!interface.declaresAction(words[0])) return "unknown action " + words[0];
    QtControl* sender = interface.sender(words[0]);
    if (sender == nullptr) return "no control sends " + words[0];
    if (!sender->control().isEnabled()) return sender->widgetName() + " is disabled";
    sender->sendAction();
    return {};
}

std::string ScriptRunner::tick(const ScriptLine& line) {
    std::vector<std::string> words = splitWords(line.rest);
    if (words.size() != 1) return usage("tick N");
    std::optional<int> ticks = parseCount(words[0], kMaxTicks);
    if (!ticks) return "not a number of ticks: " + words[0];
    if (*ticks == 0) return {};
    QEventLoop loop;
    QTimer::singleShot(std::chrono::milliseconds(static_cast<long long>(*ticks) * kTickMilliseconds),
                       Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
    return {};
}

std::string ScriptRunner::dump(const ScriptLine& line) {
    if (!splitWords(line.rest).empty()) return usage("dump");
    PaneEntry* entry = window_.selectedPane();
    // The controls keep their state once the pane has been left.
    if (entry == nullptr)
        for (const std::unique_ptr<PaneEntry>& candidate : window_.panes())
            if (candidate->loaded && (paneName_.empty() || candidate->bundle.isNamed(paneName_)))
                entry = candidate.get();
    if (entry == nullptr || !entry->loaded) return "no pane has been selected";
    std::vector<std::pair<std::string, const platform::Control*>> outlets;
    for (const auto& [name, control] : entry->loaded->interface().outlets())
        outlets.emplace_back(name, &control->control());
    print(dumpLine(outlets));
    return {};
}

std::string ScriptRunner::screenshot(const ScriptLine& line) {
    std::string file = trimmed(line.rest);
    if (file.empty()) return usage("screenshot FILE");
    // Layouts pending from the last change are done before the picture.
    QCoreApplication::sendPostedEvents();
    QPixmap picture = window_.grab();
    if (picture.isNull() || !picture.save(platform::qt::toQString(file), "PNG"))
        return "cannot write the screenshot " + file;
    return {};
}

}  // namespace host
