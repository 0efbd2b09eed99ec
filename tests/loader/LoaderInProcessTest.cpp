// PrefLoader run in this process, on temporary locations.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <future>

#include "loader/PrefLoader.h"
#include "tests/loader/LoaderTestSupport.h"

namespace {

using namespace loadertest;

class LoaderInProcess : public testing::TestWithParam<LoaderCase> {};

TEST_P(LoaderInProcess, SendsTheDriversRecordChangedByTheSettings) {
    testsupport::TemporaryFolder folder;
    const LoaderLocations locations{folder.file("settings.plist"), folder.file("registry")};
    ASSERT_EQ(mkdir(locations.serviceRegistry.c_str(), 0755), 0);

    int status = 99;
    Received received = runAgainstSimulator(GetParam(), locations.settingsFile, locations.serviceRegistry,
                                            [&] { status = runPrefLoader(locations); });
    EXPECT_EQ(status, kLoaderSent);
    expectSentRecord(GetParam(), received);
}

INSTANTIATE_TEST_SUITE_P(Files, LoaderInProcess, testing::ValuesIn(loaderCases()), caseName);

TEST(LoaderInProcessWithoutDriver, EndsWithMinusOneWithoutOpeningTheFile) {
    testsupport::TemporaryFolder folder;
    const LoaderLocations locations{folder.file("settings.fifo"), folder.file("empty-registry")};
    ASSERT_EQ(mkdir(locations.serviceRegistry.c_str(), 0755), 0);
    // Opening a FIFO without a writer blocks: a loader that reads the file
    // would never return.
    ASSERT_EQ(mkfifo(locations.settingsFile.c_str(), 0600), 0);

    auto run = std::async(std::launch::async, [&] { return runPrefLoader(locations); });
    if (run.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        // Release the blocked reader so that the test ends.
        close(open(locations.settingsFile.c_str(), O_WRONLY | O_NONBLOCK));
        ADD_FAILURE() << "the loader opened the settings file without a driver";
    }
    EXPECT_EQ(run.get(), kLoaderNoDriver);
}

}  // namespace
