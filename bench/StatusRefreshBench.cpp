// One status refresh: the eight configuration-record reads of the pane's
// timer tick, through the driver wrapper and the real transport, against
// eight bare round trips of the same size over a Unix socket pair.
#include <benchmark/benchmark.h>

#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <thread>

#include "bench/BareSocketIo.h"
#include "bench/BenchSupport.h"
#include "driver/80211UserClientWrapper.h"
#include "platform/IOKitServer.h"
#include "tests/support/CardSimulatorProcess.h"

namespace {

// ------------------------------------------------------------------ floor

// Eight round trips of a 1028-byte record each way to a thread that sends
// every record straight back: what any transport between two processes
// must at least spend.
void BM_StatusRefreshFloor(benchmark::State& state) {
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) {
        state.SkipWithError("socketpair failed");
        return;
    }
    std::thread echo([fd = pair[1]] {
        uint8_t record[kRIDRecordSize];
        while (bench::receiveAll(fd, record, sizeof record) && bench::sendAll(fd, record, sizeof record)) {
        }
    });
    NMX80211UserClientRID record{};
    auto* bytes = reinterpret_cast<uint8_t*>(&record);
    bool ok = true;
    for (auto _ : state) {
        for (uint16_t rid : bench::kStatusRecords) {
            record.rid = rid;
            record.length = kRIDDataCapacity;
            ok &= bench::sendAll(pair[0], bytes, sizeof record) && bench::receiveAll(pair[0], bytes, sizeof record);
        }
    }
    ::shutdown(pair[0], SHUT_RDWR);
    echo.join();
    ::close(pair[0]);
    ::close(pair[1]);
    if (!ok) state.SkipWithError("a round trip failed");
}
BENCHMARK(BM_StatusRefreshFloor)->UseRealTime()->Unit(benchmark::kMicrosecond);

// ---------------------------------------------------------- the real thing

void refreshLoop(benchmark::State& state, const std::string& registry) {
    Nimbrel80211UserClientWrapper userClient(registry);
    if (!userClient.connect()) {
        state.SkipWithError("the wrapper cannot connect");
        return;
    }
    NMX80211UserClientRID record;
    std::memset(&record, 0, sizeof record);
    bool ok = true;
    for (auto _ : state) {
        for (uint16_t rid : bench::kStatusRecords) {
            record.rid = rid;
            ok &= userClient.getRID(&record) != 0;
        }
        benchmark::DoNotOptimize(record);
    }
    userClient.disconnect();
    if (!ok) state.SkipWithError("a read failed");
}

// Answers every call with its input: the transport's cost alone.
class EchoDriver : public iokit::UserClientDriver {
public:
    bool servesConnectionType(uint32_t type) const override { return type == 0; }
    iokit::MethodReply callMethod(const iokit::UserClientConnection&, const iokit::MethodCall& call) override {
        iokit::MethodReply reply;
        reply.output.assign(call.input.begin(), call.input.end());
        return reply;
    }
};

// The wrapper and the transport against the server library in this process
// with a trivial driver.
void BM_StatusRefreshTransport(benchmark::State& state) {
    bench::ScratchFolder registry;
    EchoDriver driver;
    iokit::ServicePublisher publisher(driver);
    std::string error;
    if (!publisher.publish(registry.path(), kDriverClassName, 0, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    std::thread serving([&publisher] { publisher.serve(); });
    refreshLoop(state, registry.path());
    publisher.stop();
    serving.join();
}
BENCHMARK(BM_StatusRefreshTransport)->UseRealTime()->Unit(benchmark::kMicrosecond);

// The same against the real CardSimulator program on its demo world.
void BM_StatusRefreshCardSimulator(benchmark::State& state) {
    bench::ScratchFolder registry;
    testsupport::CardSimulatorProcess simulator;
    testsupport::SimulatorOptions options;
    options.registry = registry.path();
    if (!simulator.start(options)) {
        state.SkipWithError(("CardSimulator did not start: " + simulator.startError()).c_str());
        return;
    }
    refreshLoop(state, registry.path());
    simulator.stop();
}
BENCHMARK(BM_StatusRefreshCardSimulator)->UseRealTime()->Unit(benchmark::kMicrosecond);

}  // namespace
