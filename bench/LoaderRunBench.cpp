// A whole WirelessLoader run (start, settings file, the two driver calls,
// end) against a minimal program that opens the same socket and makes the
// same two calls. Both run at the fixed locations against a running
// CardSimulator, so scripts/bench runs them in a private mount namespace.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/BenchSupport.h"
#include "platform/Locations.h"
#include "tests/support/CardSimulatorProcess.h"

namespace {

void programRuns(benchmark::State& state, const char* program,
                 const std::string& settings = bench::typicalSettingsFile()) {
    if (!bench::fixedLocationsArePrivate()) {
        state.SkipWithError("the fixed locations are not private: run through scripts/bench");
        return;
    }
    bench::writeFile(platform::kSettingsFilePath, settings);
    testsupport::CardSimulatorProcess simulator;
    if (!simulator.start({})) {
        state.SkipWithError(("CardSimulator did not start: " + simulator.startError()).c_str());
        return;
    }
    const std::string path = bench::programPath(program);
    bool ok = true;
    for (auto _ : state) {
        const bench::ProgramRun run = bench::runToEnd(path, {});
        ok &= run.exited && run.exitStatus == 0;
    }
    simulator.stop();
    if (!ok) state.SkipWithError("a run did not end with status 0");
}

void BM_LoaderRunFloor(benchmark::State& state) { programRuns(state, "nimbrel_bench_minimal_loader"); }
BENCHMARK(BM_LoaderRunFloor)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_LoaderRunWirelessLoader(benchmark::State& state) { programRuns(state, "WirelessLoader"); }
BENCHMARK(BM_LoaderRunWirelessLoader)->UseRealTime()->Unit(benchmark::kMillisecond);

// The same with a key that makes the loader open libcrypto.
void BM_LoaderRunWirelessLoaderPassword128(benchmark::State& state) {
    programRuns(state, "WirelessLoader", bench::password128SettingsFile());
}
BENCHMARK(BM_LoaderRunWirelessLoaderPassword128)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
