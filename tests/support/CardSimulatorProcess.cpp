#include "tests/support/CardSimulatorProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace testsupport {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

struct Pipe {
    int read = -1;
    int write = -1;
    bool open() {
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) != 0) return false;
        read = ends[0];
        write = ends[1];
        return true;
    }
};

void closeFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

// Starts program with standard output and error on the given pipes'
// write ends; -1 on failure.
pid_t spawn(const std::string& program, const std::vector<std::string>& arguments, int output, int error) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, output, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, error, STDERR_FILENO);

    // A child starts with default signal handling and nothing blocked.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGTERM);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    pid_t pid = -1;
    const int failed = posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    return failed == 0 ? pid : -1;
}

int pollTimeout(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::max<long long>(0, left));
}

// Appends what fd has to text; false at its end or on an error.
bool drain(int fd, std::string& text) {
    char buffer[4096];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n > 0) {
        text.append(buffer, static_cast<std::size_t>(n));
        return true;
    }
    return n < 0 && errno == EINTR;
}

// Waits for the child's end up to the deadline; its status, or none.
std::optional<int> waitUntil(pid_t pid, Clock::time_point deadline) {
    for (;;) {
        int status = 0;
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid) return status;
        if (done < 0 && errno != EINTR) return std::nullopt;
        if (Clock::now() >= deadline) return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void describeStatus(int status, ProgramResult& result) {
    result.exited = WIFEXITED(status);
    result.exitStatus = result.exited ? WEXITSTATUS(status) : -1;
    result.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
}

bool isLowerHex(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

std::optional<int> parseStatus(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::vector<std::string> splitOnSpaces(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t space = line.find(' ', start);
        fields.push_back(line.substr(start, space == std::string::npos ? std::string::npos : space - start));
        if (space == std::string::npos) return fields;
        start = space + 1;
    }
}

std::string base64(const std::vector<uint8_t>& bytes) {
    static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const uint32_t chunk = (bytes[i] << 16) | ((i + 1 < bytes.size() ? bytes[i + 1] : 0) << 8) |
                               (i + 2 < bytes.size() ? bytes[i + 2] : 0);
        out += kAlphabet[(chunk >> 18) & 63];
        out += kAlphabet[(chunk >> 12) & 63];
        out += i + 1 < bytes.size() ? kAlphabet[(chunk >> 6) & 63] : '=';
        out += i + 2 < bytes.size() ? kAlphabet[chunk & 63] : '=';
    }
    return out;
}

class PlistWriter {
public:
    void key(const std::string& name) { text_ << "<key>" << xmlEscaped(name) << "</key>"; }
    void string(const std::string& value) { text_ << "<string>" << xmlEscaped(value) << "</string>"; }
    void integer(int64_t value) { text_ << "<integer>" << value << "</integer>"; }
    void data(const std::vector<uint8_t>& value) { text_ << "<data>" << base64(value) << "</data>"; }
    template <typename Range>
    void integers(const Range& values) {
        text_ << "<array>";
        for (int64_t value : values) integer(value);
        text_ << "</array>";
    }
    void raw(const std::string& markup) { text_ << markup; }
    std::string text() const { return text_.str(); }

private:
    std::ostringstream text_;
};

void writeAccessPoint(PlistWriter& out, const AccessPointSpec& point) {
    out.raw("<dict>");
    out.key("SSID");
    out.string(point.ssid);
    out.key("BSSID");
    out.string(point.bssid);
    out.key("Channel");
    out.integer(point.channel);
    if (point.signal) {
        out.key("Signal");
        out.integer(*point.signal);
    }
    if (point.noise) {
        out.key("Noise");
        out.integer(*point.noise);
    }
    if (point.wepKey) {
        out.key("WEPKey");
        out.string(*point.wepKey);
    }
    out.raw("</dict>\n");
}

}  // namespace

std::string cardSimulatorPath() { return NIMBREL_CARD_SIMULATOR_PATH; }
std::string sampleWorldsFolder() { return NIMBREL_SAMPLE_WORLDS_DIR; }

TemporaryFolder::TemporaryFolder() {
    std::string pattern = (fs::temp_directory_path() / "nimbrel-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
}

TemporaryFolder::~TemporaryFolder() {
    std::error_code ignored;
    if (!path_.empty()) fs::remove_all(path_, ignored);
}

ProgramResult runProgram(const std::string& program, const std::vector<std::string>& arguments,
                         std::chrono::milliseconds timeout) {
    ProgramResult result;
    Pipe output, error;
    if (!output.open() || !error.open()) return result;
    const pid_t pid = spawn(program, arguments, output.write, error.write);
    closeFd(output.write);
    closeFd(error.write);
    const auto deadline = Clock::now() + timeout;
    if (pid > 0) {
        pollfd watched[2] = {{output.read, POLLIN, 0}, {error.read, POLLIN, 0}};
        while ((watched[0].fd >= 0 || watched[1].fd >= 0) && Clock::now() < deadline) {
            if (::poll(watched, 2, pollTimeout(deadline)) <= 0) continue;
            for (int i = 0; i < 2; ++i) {
                if (watched[i].fd < 0 || watched[i].revents == 0) continue;
                if (!drain(watched[i].fd, i == 0 ? result.standardOutput : result.standardError)) watched[i].fd = -1;
            }
        }
        std::optional<int> status = waitUntil(pid, deadline);
        if (!status) {
            ::kill(pid, SIGKILL);
            status = waitUntil(pid, Clock::now() + std::chrono::seconds(10));
        }
        if (status) describeStatus(*status, result);
    }
    closeFd(output.read);
    closeFd(error.read);
    return result;
}

CardSimulatorProcess::~CardSimulatorProcess() {
    kill();
    closeFd(output_);
}

bool CardSimulatorProcess::start(const SimulatorOptions& options) {
    std::vector<std::string> arguments;
    if (options.world) arguments.insert(arguments.end(), {"--world", *options.world});
    if (options.registry) arguments.insert(arguments.end(), {"--registry", *options.registry});
    if (options.unit) arguments.insert(arguments.end(), {"--unit", std::to_string(*options.unit)});
    if (options.journal) arguments.insert(arguments.end(), {"--journal", *options.journal});
    arguments.insert(arguments.end(), options.extraArguments.begin(), options.extraArguments.end());

    Pipe output, error;
    if (!output.open() || !error.open()) return false;
    pid_ = spawn(cardSimulatorPath(), arguments, output.write, error.write);
    closeFd(output.write);
    closeFd(error.write);
    output_ = output.read;

    std::string printed;
    const auto deadline = Clock::now() + kReadyTimeout;
    while (pid_ > 0 && printed.find('\n') == std::string::npos && Clock::now() < deadline) {
        pollfd watched{output_, POLLIN, 0};
        if (::poll(&watched, 1, pollTimeout(deadline)) > 0 && !drain(output_, printed)) break;
    }
    const std::string_view kReady = "ready ";
    const std::size_t end = printed.find('\n');
    if (pid_ > 0 && end != std::string::npos && printed.starts_with(kReady)) {
        socketPath_ = printed.substr(kReady.size(), end - kReady.size());
        closeFd(error.read);  // later complaints go nowhere; the simulator ignores SIGPIPE
        return true;
    }
    kill();
    while (drain(error.read, startError_)) {
    }
    closeFd(error.read);
    return false;
}

int CardSimulatorProcess::stop(std::chrono::milliseconds timeout) { return stopWith(SIGTERM, timeout); }

int CardSimulatorProcess::stopWith(int signalNumber, std::chrono::milliseconds timeout) {
    if (pid_ <= 0) return -1;
    ::kill(pid_, signalNumber);
    const std::optional<int> status = waitUntil(pid_, Clock::now() + timeout);
    if (!status) {
        kill();
        return -1;
    }
    pid_ = -1;
    return WIFEXITED(*status) ? WEXITSTATUS(*status) : -1;
}

void CardSimulatorProcess::kill() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    waitUntil(pid_, Clock::now() + std::chrono::seconds(10));
    pid_ = -1;
}

std::vector<JournalEvent> Journal::named(const std::string& name) const {
    std::vector<JournalEvent> found;
    for (const JournalEvent& event : events) {
        if (event.name == name) found.push_back(event);
    }
    return found;
}

std::optional<JournalEvent> parseJournalLine(const std::string& line) {
    const std::vector<std::string> fields = splitOnSpaces(line);
    JournalEvent event;
    event.name = fields[0];
    if (event.name == "close") return fields.size() == 1 ? std::optional(event) : std::nullopt;
    if (event.name == "open") {
        if (fields.size() != 2 || !parseStatus(fields[1]) || fields[1].front() == '-') return std::nullopt;
        event.argument = fields[1];
        return event;
    }
    const bool withRecordNumber = event.name == "getRID" || event.name == "setRID";
    const bool withHex = event.name == "setPrefs";
    const bool bare = event.name == "getPrefs" || event.name == "apScan";
    if (!withRecordNumber && !withHex && !bare) return std::nullopt;
    if (fields.size() != (bare ? 2u : 3u)) return std::nullopt;
    event.status = parseStatus(fields[1]);
    if (!event.status) return std::nullopt;
    if (bare) return event;
    event.argument = fields[2];
    if (!isLowerHex(event.argument)) return std::nullopt;
    if (withRecordNumber) {
        if (event.argument.size() != 4) return std::nullopt;
        event.recordNumber = static_cast<uint16_t>(std::stoul(event.argument, nullptr, 16));
        return event;
    }
    const auto bytes = bytesFromHex(event.argument);
    if (!bytes) return std::nullopt;
    if (bytes->size() == kPrefsRecordSize) {
        PrismPrefsRecord record;
        std::memcpy(&record, bytes->data(), sizeof record);
        event.settingsRecord = record;
    }
    return event;
}

Journal readJournal(const std::string& path) {
    Journal journal;
    std::ifstream file(path);
    std::string line;
    while (std::getline(file, line)) {
        if (auto event = parseJournalLine(line)) journal.events.push_back(std::move(*event));
        else journal.malformedLines.push_back(line);
    }
    return journal;
}

std::optional<std::vector<uint8_t>> bytesFromHex(const std::string& hex) {
    if (hex.size() % 2 != 0) return std::nullopt;
    std::vector<uint8_t> bytes;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        unsigned value = 0;
        const auto [end, error] = std::from_chars(hex.data() + i, hex.data() + i + 2, value, 16);
        if (error != std::errc() || end != hex.data() + i + 2) return std::nullopt;
        bytes.push_back(static_cast<uint8_t>(value));
    }
    return bytes;
}

std::string hexFromBytes(const void* data, std::size_t size) {
    static constexpr char kDigits[] = "0123456789abcdef";
    const auto* bytes = static_cast<const uint8_t*>(data);
    std::string hex;
    for (std::size_t i = 0; i < size; ++i) {
        hex += kDigits[bytes[i] >> 4];
        hex += kDigits[bytes[i] & 15];
    }
    return hex;
}

std::string worldXml(const WorldSpec& world) {
    PlistWriter out;
    out.raw("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
            "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
            "<plist version=\"1.0\">\n<dict>\n");
    auto integerKey = [&](const char* name, const std::optional<int64_t>& value) {
        if (!value) return;
        out.key(name);
        out.integer(*value);
        out.raw("\n");
    };
    auto stringKey = [&](const char* name, const std::optional<std::string>& value) {
        if (!value) return;
        out.key(name);
        out.string(*value);
        out.raw("\n");
    };
    auto integersKey = [&](const char* name, const auto& values) {
        if (!values) return;
        out.key(name);
        out.integers(*values);
        out.raw("\n");
    };
    integerKey("HardwareType", world.hardwareType);
    stringKey("MACAddress", world.macAddress);
    stringKey("SerialNumber", world.serialNumber);
    integersKey("PRIIdentity", world.priIdentity);
    integersKey("STAIdentity", world.staIdentity);
    stringKey("SymbolFirmwareVersion", world.symbolFirmwareVersion);
    if (world.settingsRecord) {
        const auto* bytes = reinterpret_cast<const uint8_t*>(&*world.settingsRecord);
        out.key("SettingsRecord");
        out.data(std::vector<uint8_t>(bytes, bytes + kPrefsRecordSize));
        out.raw("\n");
    }
    if (world.accessPoints) {
        out.key("AccessPoints");
        out.raw("<array>\n");
        for (const AccessPointSpec& point : *world.accessPoints) writeAccessPoint(out, point);
        out.raw("</array>\n");
    }
    if (!world.configRecords.empty()) {
        out.key("ConfigRecords");
        out.raw("<dict>\n");
        for (const auto& [number, payload] : world.configRecords) {
            out.key(number);
            out.data(payload);
            out.raw("\n");
        }
        out.raw("</dict>\n");
    }
    integersKey("FailingConfigRecords", world.failingConfigRecords);
    integersKey("FailingMethods", world.failingMethods);
    integerKey("ReplyDelayMilliseconds", world.replyDelayMilliseconds);
    out.raw("</dict>\n</plist>\n");
    return out.text();
}

bool writeTextFile(const std::string& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
    return static_cast<bool>(file.flush());
}

bool writeWorldFile(const std::string& path, const WorldSpec& world) { return writeTextFile(path, worldXml(world)); }

bool SimulatorSession::start(const std::optional<WorldSpec>& world, uint32_t unit) {
    if (!world) return process_.start({std::nullopt, registry(), unit, journalPath(), {}});
    const std::string path = folder_.file("world.plist");
    return writeWorldFile(path, *world) && startWithWorldFile(path, unit);
}

bool SimulatorSession::startWithWorldFile(const std::string& worldPath, uint32_t unit) {
    return process_.start({worldPath, registry(), unit, journalPath(), {}});
}

std::string xmlEscaped(std::string_view text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            default: out += c;
        }
    }
    return out;
}

std::string stringEntriesXml(const std::vector<std::pair<std::string, std::string>>& entries,
                             const std::string& extraEntries) {
    std::string xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
        "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
        "<plist version=\"1.0\">\n<dict>\n";
    for (const auto& [key, value] : entries) {
        xml += "\t<key>" + xmlEscaped(key) + "</key>\n\t<string>" + xmlEscaped(value) + "</string>\n";
    }
    return xml + extraEntries + "</dict>\n</plist>\n";
}

}  // namespace testsupport
