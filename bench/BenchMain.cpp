// Runs every benchmark, then prints each figure beside its floor, measured
// in the same run, with their ratio and the goal where there is one, and the
// peak memory of WirelessLoader and of PreferencesHost with the pane selected.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "platform/Locations.h"
#include "tests/support/CardSimulatorProcess.h"

namespace {

// Keeps the time per iteration of each benchmark: the median when it was
// repeated, else its one run.
class CollectingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred) {
                failed_.push_back(run.run_name.function_name);
                continue;
            }
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
            if (!median && !single) continue;
            seconds_[run.run_name.function_name] =
                run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
        }
    }

    std::optional<double> seconds(const std::string& name) const {
        auto found = seconds_.find(name);
        return found == seconds_.end() ? std::nullopt : std::optional(found->second);
    }
    const std::vector<std::string>& failed() const { return failed_; }

private:
    std::map<std::string, double> seconds_;
    std::vector<std::string> failed_;
};

struct Comparison {
    const char* figure;
    const char* benchmark;
    const char* floor;
    std::optional<double> goal;  // the ratio not to exceed
};

const Comparison kComparisons[] = {
    {"(a) status refresh, wrapper + transport", "BM_StatusRefreshTransport", "BM_StatusRefreshFloor", 1.5},
    {"    the same against CardSimulator", "BM_StatusRefreshCardSimulator", "BM_StatusRefreshFloor", std::nullopt},
    {"(b) WirelessLoader run", "BM_LoaderRunWirelessLoader", "BM_LoaderRunFloor", 2.0},
    {"    the same with a password128 key", "BM_LoaderRunWirelessLoaderPassword128", "BM_LoaderRunFloor", std::nullopt},
    {"(c) settings file read", "BM_SettingsRead", "BM_SettingsReadFloor", std::nullopt},
    {"    settings file write", "BM_SettingsWrite", "BM_SettingsWriteFloor", std::nullopt},
};

std::string timeText(double seconds) {
    char text[32];
    if (seconds >= 1e-3) std::snprintf(text, sizeof text, "%.3f ms", seconds * 1e3);
    else std::snprintf(text, sizeof text, "%.2f us", seconds * 1e6);
    return text;
}

bool printComparisons(const CollectingReporter& reporter) {
    bool allMet = true;
    std::printf("\n%-42s %12s %12s %7s  %s\n", "figure", "value", "floor", "ratio", "goal");
    for (const Comparison& row : kComparisons) {
        const auto value = reporter.seconds(row.benchmark);
        const auto floor = reporter.seconds(row.floor);
        if (!value || !floor) {
            std::printf("%-42s %12s %12s %7s  %s\n", row.figure, "-", "-", "-", "not measured");
            continue;
        }
        const double ratio = *value / *floor;
        std::string goal = "-";
        if (row.goal) {
            const bool met = ratio <= *row.goal;
            allMet &= met;
            char text[48];
            std::snprintf(text, sizeof text, "<= %.1f %s", *row.goal, met ? "met" : "MISSED");
            goal = text;
        }
        std::printf("%-42s %12s %12s %7.2f  %s\n", row.figure, timeText(*value).c_str(), timeText(*floor).c_str(),
                    ratio, goal.c_str());
    }
    return allMet;
}

// ------------------------------------------------------------- peak memory

constexpr int kMemoryRuns = 3;

long peakOf(const std::string& program, const std::vector<std::string>& arguments) {
    long peak = 0;
    for (int i = 0; i < kMemoryRuns; ++i) {
        const long run = bench::ownPeakResidentKilobytes(program, arguments);
        if (run < 0) return -1;
        peak = std::max(peak, run);
    }
    return peak;
}

std::vector<std::string> hostArguments(const std::string& script) {
    return {"--panes", bench::programPath("../panes"), "--pane", "WirelessPane", "--script", script};
}

void printPeakMemory() {
    std::printf("\n%-42s %12s %12s %7s\n", "peak memory (VmHWM, max of 3 runs)", "value", "floor", "ratio");
    if (!bench::fixedLocationsArePrivate()) {
        std::printf("%-42s %s\n", "", "not measured: the fixed locations are not private (run scripts/bench)");
        return;
    }
    bench::writeFile(platform::kSettingsFilePath, bench::typicalSettingsFile());
    testsupport::CardSimulatorProcess simulator;
    if (!simulator.start({})) {
        std::printf("%-42s %s\n", "", "not measured: CardSimulator did not start");
        return;
    }
    bench::ScratchFolder scripts;
    const std::string withPane = scripts.file("select.txt");
    const std::string withoutPane = scripts.file("idle.txt");
    bench::writeFile(withPane, "select\ntick 2\nleave\n");
    bench::writeFile(withoutPane, "tick 2\n");

    struct Row {
        const char* figure;
        long value;
        long floor;
        const char* floorName;
    };
    const Row rows[] = {
        {"WirelessLoader", peakOf(bench::programPath("WirelessLoader"), {}),
         peakOf(bench::programPath("nimbrel_bench_minimal_loader"), {}), "minimal loader"},
        {"PreferencesHost, pane selected (1 s)", peakOf(bench::programPath("PreferencesHost"), hostArguments(withPane)),
         peakOf(bench::programPath("PreferencesHost"), hostArguments(withoutPane)), "host, pane not selected"},
    };
    for (const Row& row : rows) {
        if (row.value < 0 || row.floor < 0) {
            std::printf("%-42s %s\n", row.figure, "not measured: a run failed");
            continue;
        }
        std::printf("%-42s %9ld kB %9ld kB %7.2f  (floor: %s)\n", row.figure, row.value, row.floor,
                    static_cast<double>(row.value) / static_cast<double>(row.floor), row.floorName);
    }
    simulator.stop();
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;
    CollectingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    printComparisons(reporter);
    printPeakMemory();
    for (const std::string& name : reporter.failed()) std::fprintf(stderr, "error: %s did not run\n", name.c_str());
    benchmark::Shutdown();
    return reporter.failed().empty() ? 0 : 1;
}
