// Reading and writing a typical settings file, against reading and writing
// the same bytes with plain system calls.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <optional>
#include <string>

#include "bench/BenchSupport.h"
#include "settings/SettingsFile.h"

namespace {

void BM_SettingsReadFloor(benchmark::State& state) {
    bench::ScratchFolder folder;
    const std::string path = folder.file("com.nimbrel.80211b.plist");
    const std::string bytes = bench::typicalSettingsFile();
    bench::writeFile(path, bytes);
    std::string buffer(bytes.size() + 1, '\0');
    for (auto _ : state) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        const ssize_t got = ::read(fd, buffer.data(), buffer.size());
        ::close(fd);
        benchmark::DoNotOptimize(got);
    }
}
BENCHMARK(BM_SettingsReadFloor)->Unit(benchmark::kMicrosecond);

void BM_SettingsRead(benchmark::State& state) {
    bench::ScratchFolder folder;
    const std::string path = folder.file("com.nimbrel.80211b.plist");
    bench::writeFile(path, bench::typicalSettingsFile());
    bool ok = true;
    for (auto _ : state) {
        std::optional<SettingsDictionary> settings = readSettingsFile(path);
        ok &= settings.has_value();
        benchmark::DoNotOptimize(settings);
    }
    if (!ok) state.SkipWithError("the settings file did not read");
}
BENCHMARK(BM_SettingsRead)->Unit(benchmark::kMicrosecond);

void BM_SettingsWriteFloor(benchmark::State& state) {
    bench::ScratchFolder folder;
    const std::string path = folder.file("com.nimbrel.80211b.plist");
    const std::string bytes = bench::typicalSettingsFile();
    for (auto _ : state) {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        const ssize_t put = ::write(fd, bytes.data(), bytes.size());
        ::close(fd);
        benchmark::DoNotOptimize(put);
    }
}
BENCHMARK(BM_SettingsWriteFloor)->Unit(benchmark::kMicrosecond);

void BM_SettingsWrite(benchmark::State& state) {
    bench::ScratchFolder folder;
    const std::string path = folder.file("com.nimbrel.80211b.plist");
    bench::writeFile(path, bench::typicalSettingsFile());
    const std::optional<SettingsDictionary> settings = readSettingsFile(path);
    if (!settings) {
        state.SkipWithError("the settings file did not read");
        return;
    }
    bool ok = true;
    for (auto _ : state) ok &= writeSettingsFile(path, *settings);
    if (!ok) state.SkipWithError("a write failed");
}
BENCHMARK(BM_SettingsWrite)->Unit(benchmark::kMicrosecond);

}  // namespace
