// Runs one loader case against a real CardSimulator and returns what the
// driver received.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

#include "tests/loader/LoaderCases.h"
#include "tests/support/CardSimulatorProcess.h"

namespace loadertest {

struct Received {
    testsupport::Journal journal;
    std::optional<PrismPrefsRecord> sentRecord;  // the one setPrefs record
};

// Starts the simulator with the driver's start record, writes the case's
// settings file (or none) at settingsPath, runs the loader through runLoader
// and stops the simulator.
inline Received runAgainstSimulator(const LoaderCase& loaderCase, const std::string& settingsPath,
                                    const std::optional<std::string>& registry,
                                    const std::function<void()>& runLoader) {
    testsupport::TemporaryFolder folder;
    testsupport::WorldSpec world;
    world.settingsRecord = driverStartRecord();
    const std::string worldPath = folder.file("world.plist");
    const std::string journalPath = folder.file("journal.txt");
    EXPECT_TRUE(testsupport::writeWorldFile(worldPath, world));
    if (loaderCase.fileContent) {
        EXPECT_TRUE(testsupport::writeTextFile(settingsPath, *loaderCase.fileContent));
    }

    testsupport::CardSimulatorProcess simulator;
    testsupport::SimulatorOptions options;
    options.world = worldPath;
    options.journal = journalPath;
    options.registry = registry;
    EXPECT_TRUE(simulator.start(options)) << simulator.startError();
    runLoader();
    EXPECT_EQ(simulator.stop(), 0);

    Received received;
    received.journal = testsupport::readJournal(journalPath);
    auto sent = received.journal.named("setPrefs");
    if (sent.size() == 1) received.sentRecord = sent[0].settingsRecord;
    return received;
}

inline void expectSentRecord(const LoaderCase& loaderCase, const Received& received) {
    PrismPrefsRecord expected = driverStartRecord();
    loaderCase.expectedChanges(expected);

    std::vector<std::string> names;
    for (const auto& event : received.journal.events) names.push_back(event.name);
    EXPECT_EQ(names, (std::vector<std::string>{"open", "getPrefs", "setPrefs", "close"}));
    ASSERT_TRUE(received.sentRecord.has_value()) << "no whole setPrefs record in the journal";
    EXPECT_EQ(testsupport::hexFromBytes(&*received.sentRecord, sizeof(PrismPrefsRecord)),
              testsupport::hexFromBytes(&expected, sizeof expected));
}

inline std::string caseName(const testing::TestParamInfo<LoaderCase>& info) { return info.param.name; }

}  // namespace loadertest
