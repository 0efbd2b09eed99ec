// CardSimulator: a simulated card and its driver in one process.
//   CardSimulator [--world FILE] [--registry DIR] [--unit N] [--journal FILE]
// Prints "ready <socket path>" once it accepts connections; SIGINT or SIGTERM
// removes the socket and ends it with status 0.
#include <pthread.h>
#include <signal.h>

#include <charconv>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <variant>

#include "driver/80211UserClientWrapper.h"
#include "platform/IOKitServer.h"
#include "platform/Locations.h"
#include "simulator/Card.h"
#include "simulator/SimulatedDriver.h"
#include "simulator/World.h"

namespace {

constexpr int kExitStopped = 0;
constexpr int kExitCannotServe = 1;
constexpr int kExitBadInput = 2;

constexpr const char* kUsage =
    "usage: CardSimulator [--world FILE] [--registry DIR] [--unit N] [--journal FILE]";

struct Options {
    std::optional<std::string> world;
    std::string registry = platform::kServiceRegistryPath;
    uint32_t unit = 0;
    std::optional<std::string> journal;
};

int usageError(const std::string& problem) {
    std::cerr << "CardSimulator: " << problem << "\n" << kUsage << "\n";
    return kExitBadInput;
}

std::optional<uint32_t> parseUnit(std::string_view text) {
    uint32_t unit = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), unit);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return unit;
}

// The options, or the problem with the command line.
std::variant<Options, std::string> parseOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view option = argv[i];
        if (option != "--world" && option != "--registry" && option != "--unit" && option != "--journal")
            return "unknown argument " + std::string(option);
        if (i + 1 >= argc) return std::string(option) + " needs a value";
        const std::string value = argv[++i];
        if (option == "--world") options.world = value;
        else if (option == "--registry") options.registry = value;
        else if (option == "--journal") options.journal = value;
        else if (const auto unit = parseUnit(value)) options.unit = *unit;
        else return "--unit needs a unit number from 0 to 4294967295, not " + value;
    }
    return options;
}

sigset_t stopSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    return signals;
}

}  // namespace

int main(int argc, char** argv) {
    auto parsed = parseOptions(argc, argv);
    if (const auto* problem = std::get_if<std::string>(&parsed)) return usageError(*problem);
    const Options& options = std::get<Options>(parsed);

    simulator::World world = simulator::demoWorld();
    if (options.world) {
        auto loaded = simulator::loadWorldFile(*options.world);
        if (const auto* problem = std::get_if<std::string>(&loaded)) {
            std::cerr << "CardSimulator: world file " << *options.world << ": " << *problem << "\n";
            return kExitBadInput;
        }
        world = std::move(std::get<simulator::World>(loaded));
    }

    std::string error;
    simulator::Journal journal;
    if (options.journal && !journal.open(*options.journal, error)) {
        std::cerr << "CardSimulator: " << error << "\n";
        return kExitCannotServe;
    }

    // A client that goes away must not end the simulator; the stop signals
    // are taken by sigwait below, so every thread blocks them.
    signal(SIGPIPE, SIG_IGN);
    const sigset_t signals = stopSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    simulator::Card card(world);
    simulator::SimulatedDriver driver(world, card, journal);
    iokit::ServicePublisher publisher(driver);
    if (!publisher.publish(options.registry, kDriverClassName, options.unit, error)) {
        std::cerr << "CardSimulator: " << error << "\n";
        return kExitCannotServe;
    }

    std::thread serving([&publisher] { publisher.serve(); });
    std::printf("ready %s\n", publisher.socketPath().c_str());
    std::fflush(stdout);

    int received = 0;
    sigwait(&signals, &received);
    publisher.stop();
    serving.join();
    return kExitStopped;
}
