// The real WirelessLoader and CardSimulator programs at the fixed locations.
// Runs only inside a private mount namespace with fresh tmpfs mounts over
// the settings folder and the service registry (scripts/in-private-namespace).
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/Locations.h"
#include "tests/loader/LoaderTestSupport.h"

namespace {

using namespace loadertest;

bool isPrivateTmpfs(const char* folder) {
    struct statfs info;
    return statfs(folder, &info) == 0 && info.f_type == TMPFS_MAGIC;
}

class LoaderEndToEnd : public testing::TestWithParam<LoaderCase> {
protected:
    void SetUp() override {
        // Never touch this machine's own files.
        if (!isPrivateTmpfs("/Library/Preferences") || !isPrivateTmpfs(platform::kServiceRegistryPath)) {
            GTEST_FAIL() << "run inside scripts/in-private-namespace";
        }
        unlink(platform::kSettingsFilePath);
    }
};

testsupport::ProgramResult runWirelessLoader(const std::vector<std::string>& arguments = {}) {
    return testsupport::runProgram(NIMBREL_WIRELESS_LOADER_PATH, arguments, std::chrono::seconds(10));
}

void expectSilentExit(const testsupport::ProgramResult& result, int status) {
    EXPECT_TRUE(result.exited) << "ended by signal " << result.signal;
    EXPECT_EQ(result.exitStatus, status);
    EXPECT_EQ(result.standardOutput, "");
    EXPECT_EQ(result.standardError, "");
}

TEST_P(LoaderEndToEnd, SendsTheDriversRecordChangedByTheSettings) {
    testsupport::ProgramResult result;
    Received received = runAgainstSimulator(GetParam(), platform::kSettingsFilePath, std::nullopt,
                                            [&] { result = runWirelessLoader(); });
    expectSilentExit(result, 0);
    expectSentRecord(GetParam(), received);
}

INSTANTIATE_TEST_SUITE_P(Files, LoaderEndToEnd, testing::ValuesIn(loaderCases()), caseName);

TEST_F(LoaderEndToEnd, ArgumentsChangeNothing) {
    const std::vector<LoaderCase> cases = loaderCases();
    const LoaderCase& withKey = cases[5];
    ASSERT_STREQ(withKey.name, "Hex64BehindZeroX");
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"--registry", "/nowhere"}, {"-h"}, {"/tmp/other.plist", "extra", ""}}) {
        testsupport::ProgramResult result;
        Received received = runAgainstSimulator(withKey, platform::kSettingsFilePath, std::nullopt,
                                                [&] { result = runWirelessLoader(arguments); });
        expectSilentExit(result, 0);
        expectSentRecord(withKey, received);
    }
}

TEST_F(LoaderEndToEnd, WithoutDriverEndsWith255AndReadsNothing) {
    // A card published in another registry: the loader must not find it.
    testsupport::TemporaryFolder folder;
    const std::string otherRegistry = folder.file("registry");
    ASSERT_EQ(mkdir(otherRegistry.c_str(), 0755), 0);
    testsupport::CardSimulatorProcess simulator;
    testsupport::SimulatorOptions options;
    options.registry = otherRegistry;
    options.journal = folder.file("journal.txt");
    ASSERT_TRUE(simulator.start(options)) << simulator.startError();

    // A settings file that blocks whoever opens it: a loader that reads it
    // without a driver does not end in time.
    ASSERT_EQ(mkfifo(platform::kSettingsFilePath, 0600), 0);
    testsupport::ProgramResult result = runWirelessLoader();
    EXPECT_EQ(simulator.stop(), 0);
    unlink(platform::kSettingsFilePath);

    expectSilentExit(result, 255);
    EXPECT_TRUE(testsupport::readJournal(*options.journal).named("open").empty());
}

TEST_F(LoaderEndToEnd, Password128WithoutLibcryptoSendsTheRestAndSaysWhy) {
    // libcrypto is opened only for a 128-bit password key; hide it in this
    // test's own mount namespace.
    ASSERT_EQ(mount("/dev/null", NIMBREL_LIBCRYPTO_FILE, nullptr, MS_BIND, nullptr), 0) << std::strerror(errno);
    const std::vector<LoaderCase> cases = loaderCases();
    auto password128 = std::find_if(cases.begin(), cases.end(), [](const LoaderCase& c) {
        return std::string_view(c.name) == "Password128AdHocShortPreamble";
    });
    ASSERT_NE(password128, cases.end());
    LoaderCase withoutDigest = *password128;
    withoutDigest.expectedChanges = [changes = password128->expectedChanges](PrismPrefsRecord& record) {
        PrismPrefsRecord driver = record;
        changes(record);
        std::memcpy(record.key[0], driver.key[0], sizeof record.key[0]);  // not derived
    };

    testsupport::ProgramResult result;
    Received received = runAgainstSimulator(withoutDigest, platform::kSettingsFilePath, std::nullopt,
                                            [&] { result = runWirelessLoader(); });
    EXPECT_TRUE(result.exited) << "ended by signal " << result.signal;
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_NE(result.standardError.find("WirelessEncrypt: no MD5 for 128-bit password keys"), std::string::npos)
        << result.standardError;
    expectSentRecord(withoutDigest, received);
}

}  // namespace
