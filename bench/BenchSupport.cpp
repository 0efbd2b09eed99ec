#include "bench/BenchSupport.h"

#include <fcntl.h>
#include <linux/magic.h>
#include <spawn.h>
#include <sys/ptrace.h>
#include <sys/statfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "platform/Locations.h"

extern char** environ;

namespace bench {

std::string programPath(const char* name) { return std::string(NIMBREL_BENCH_BIN_DIR) + "/" + name; }

ProgramRun runToEnd(const std::string& program, const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const int failed = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ProgramRun run;
    if (failed != 0) return run;

    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return run;
    }
    run.exited = WIFEXITED(status);
    run.exitStatus = run.exited ? WEXITSTATUS(status) : -1;
    return run;
}

namespace {

long highWaterMarkOf(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return -1;
}

bool isExitEvent(int status) { return WIFSTOPPED(status) && (status >> 8) == (SIGTRAP | (PTRACE_EVENT_EXIT << 8)); }

}  // namespace

long ownPeakResidentKilobytes(const std::string& program, const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    const pid_t pid = ::fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        const int null = ::open("/dev/null", O_RDWR);
        for (int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) ::dup2(null, fd);
        ::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr);
        ::execv(program.c_str(), argv.data());  // stops at the exec for the tracer
        ::_exit(127);
    }
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid || !WIFSTOPPED(status)) return -1;
    ::ptrace(PTRACE_SETOPTIONS, pid, nullptr, reinterpret_cast<void*>(PTRACE_O_TRACEEXIT | PTRACE_O_EXITKILL));
    ::ptrace(PTRACE_CONT, pid, nullptr, nullptr);
    long peak = -1;
    for (;;) {
        if (::waitpid(pid, &status, 0) != pid) {
            if (errno == EINTR) continue;
            return -1;
        }
        if (WIFEXITED(status) || WIFSIGNALED(status)) break;
        if (isExitEvent(status)) {
            peak = highWaterMarkOf(pid);  // the address space still exists here
            ::ptrace(PTRACE_CONT, pid, nullptr, nullptr);
        } else {
            // Any other stop is a signal for the program: deliver it.
            const int signal = WSTOPSIG(status);
            ::ptrace(PTRACE_CONT, pid, nullptr, reinterpret_cast<void*>(static_cast<long>(signal == SIGTRAP ? 0 : signal)));
        }
    }
    const bool succeeded = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return succeeded ? peak : -1;
}

namespace {

bool isPrivateTmpfs(const char* folder) {
    struct statfs info {};
    return ::statfs(folder, &info) == 0 && info.f_type == TMPFS_MAGIC && ::access(folder, W_OK) == 0;
}

}  // namespace

bool fixedLocationsArePrivate() {
    const std::string settingsFolder = std::filesystem::path(platform::kSettingsFilePath).parent_path();
    return isPrivateTmpfs(settingsFolder.c_str()) && isPrivateTmpfs(platform::kServiceRegistryPath);
}

ScratchFolder::ScratchFolder() {
    std::string pattern = "/tmp/nimbrel-bench-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a scratch folder");
    path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string typicalSettingsFile() {
    return R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<dict>
	<key>DesiredSSID</key>
	<string>Office 128</string>
	<key>IBSSmode</key>
	<string>NO</string>
	<key>RememberMostRecentSSID</key>
	<string>YES</string>
	<key>ShortPreamble</key>
	<string>YES</string>
	<key>StoreWEPKeysInKeychain</key>
	<string>NO</string>
	<key>WEPKeyType</key>
	<string>hex128</string>
	<key>WEPKeyValue</key>
	<string>0123456789ABCDEF0123456789</string>
	<key>WEPMultipleKeys</key>
	<string>NO</string>
	<key>WEPKey1</key>
	<string>$0102030405</string>
	<key>WEPKey2</key>
	<string></string>
	<key>WEPKey3</key>
	<string></string>
	<key>WEPKey4</key>
	<string></string>
	<key>WEPTxKey</key>
	<string>1</string>
</dict>
</plist>
)";
}

std::string password128SettingsFile() {
    std::string text = typicalSettingsFile();
    const std::string hexKey = "<string>hex128</string>\n\t<key>WEPKeyValue</key>\n\t<string>0123456789ABCDEF0123456789</string>";
    const std::size_t at = text.find(hexKey);
    if (at == std::string::npos) throw std::logic_error("the typical settings file has no hex128 key");
    return text.replace(at, hexKey.size(),
                        "<string>password128</string>\n\t<key>WEPKeyValue</key>\n\t<string>office base</string>");
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out) throw std::runtime_error("cannot write " + path);
}

}  // namespace bench
