// The scripted host: runs a script of user commands against the host's
// window and prints one JSON object per line.
#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "host/HostWindow.h"
#include "host/ScriptParser.h"
#include "platform/qt/QtServices.h"

namespace host {

inline constexpr int kScriptSucceeded = 0;
inline constexpr int kScriptFailed = 2;

// Alerts and web addresses become output lines; an alert is answered with
// its first button.
class ScriptServices final : public platform::qt::QtServices {
public:
    explicit ScriptServices(std::ostream& out) : out_(out) {}
    void runAlert(std::string_view title, std::string_view message, std::string_view button) override;
    void openURL(std::string_view url) override;

private:
    std::ostream& out_;
};

class ScriptRunner {
public:
    ScriptRunner(HostWindow& window, std::string paneName, std::ostream& out, std::ostream& err);

    // Runs the lines in order and ends as a user quitting would. Returns the
    // exit status: 0, or 2 after the first script error.
    int run(const std::vector<ScriptLine>& lines);

private:
    using Handler = std::string (ScriptRunner::*)(const ScriptLine& line);
    struct Command {
        std::string_view name;
        Handler handler;
    };
    static const std::vector<Command>& commands();

    std::string select(const ScriptLine& line);
    std::string leave(const ScriptLine& line);
    std::string type(const ScriptLine& line);
    std::string click(const ScriptLine& line);
    std::string choose(const ScriptLine& line);
    std::string press(const ScriptLine& line);
    std::string tick(const ScriptLine& line);
    std::string dump(const ScriptLine& line);
    std::string screenshot(const ScriptLine& line);

    void print(const std::string& jsonLine);
    std::string requireSelected() const;
    // The outlet's control for a user command: error when there is none or it
    // is disabled.
    platform::qt::QtControl* userOutlet(const std::string& name, std::string& error) const;
    std::string leaveLine(bool left) const;

    HostWindow& window_;
    std::string paneName_;
    std::ostream& out_;
    std::ostream& err_;
};

}  // namespace host
