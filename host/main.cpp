// PreferencesHost: shows the installed preference panes in a window, or runs
// a script against them on Qt's offscreen platform.
#include <QApplication>
#include <QSocketNotifier>
#include <QString>

#include <sys/socket.h>
#include <unistd.h>

#include <csignal>

#include <fstream>
#include <iostream>
#include <iterator>
#include <string_view>

#include "host/HostOptions.h"
#include "host/HostWindow.h"
#include "host/ScriptParser.h"
#include "host/ScriptRunner.h"
#include "platform/BundleLoader.h"
#include "platform/Locations.h"
#include "platform/qt/QtControls.h"
#include "platform/qt/QtServices.h"

namespace {

constexpr int kUsageFailure = 2;

// What Qt says about the machine rather than the script: left out of a
// script's standard error.
constexpr std::string_view kEnvironmentNotices[] = {
    "This plugin does not support propagateSizeHints()",
    "QStandardPaths: XDG_RUNTIME_DIR not set",
};

QtMessageHandler qtDefaultHandler = nullptr;

void scriptMessageHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    std::string text = message.toStdString();
    for (std::string_view notice : kEnvironmentNotices)
        if (text.starts_with(notice)) return;
    qtDefaultHandler(type, context, message);
}

std::optional<std::string> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string panesFolder(const host::HostOptions& options) {
    if (options.panesFolder) return *options.panesFolder;
    return host::defaultPanesFolder(QCoreApplication::applicationDirPath().toStdString());
}

int runScript(const host::HostOptions& options, const std::string& script) {
    host::ScriptServices services(std::cout);
    std::string folder = panesFolder(options);
    host::HostWindow window(platform::findPaneBundles(folder), folder,
                            options.serviceRegistry.value_or(platform::kServiceRegistryPath), services);
    window.show();
    host::ScriptRunner runner(window, options.paneName, std::cout, std::cerr);
    return runner.run(host::parseScript(script));
}

// SIGINT and SIGTERM quit the host as a user would: through the window,
// which leaves the pane first (and stays when the pane refuses).
int quitSignalPipe[2] = {-1, -1};

void onQuitSignal(int) {
    char byte = 1;
    [[maybe_unused]] ssize_t ignored = ::write(quitSignalPipe[1], &byte, 1);
}

void closeOnQuitSignals(QWidget& window) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, quitSignalPipe) != 0) return;
    auto* notifier = new QSocketNotifier(quitSignalPipe[0], QSocketNotifier::Read, &window);
    QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window] {
        char byte;
        [[maybe_unused]] ssize_t ignored = ::read(quitSignalPipe[0], &byte, 1);
        window.close();
    });
    struct sigaction action = {};
    action.sa_handler = onQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

int runWindow(const host::HostOptions& options) {
    platform::qt::QtServices services;
    std::string folder = panesFolder(options);
    host::HostWindow window(platform::findPaneBundles(folder), folder,
                            options.serviceRegistry.value_or(platform::kServiceRegistryPath), services);
    window.show();
    closeOnQuitSignals(window);
    if (!options.paneName.empty()) {
        std::string error;
        if (host::PaneEntry* entry = window.findPane(options.paneName)) {
            window.choosePane(*entry, error);
        } else {
            window.showNotice(QStringLiteral("No pane named %1 in %2.")
                                  .arg(platform::qt::toQString(options.paneName), platform::qt::toQString(folder)));
        }
    }
    int status = QApplication::exec();
    // Ended without the window closing (a quit from outside): leave the pane
    // all the same.
    if (window.selectedPane() != nullptr) window.showAll();
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    std::string error;
    std::optional<host::HostOptions> options =
        host::parseHostOptions(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        std::cerr << "PreferencesHost: " << error << "\n" << host::kHostUsage << std::endl;
        return kUsageFailure;
    }
    if (options->help) {
        std::cout << host::kHostUsage << std::endl;
        return 0;
    }
    std::string script;
    if (options->scriptFile) {
        std::optional<std::string> text = readFile(*options->scriptFile);
        if (!text) {
            std::cerr << "error: cannot read the script " << *options->scriptFile << std::endl;
            return host::kScriptFailed;
        }
        script = std::move(*text);
        // Real widgets without a display.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qtDefaultHandler = qInstallMessageHandler(scriptMessageHandler);
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("PreferencesHost"));
    return options->scriptFile ? runScript(*options, script) : runWindow(*options);
}
