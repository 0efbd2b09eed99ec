// The wireless driver's user client in front of the simulated card: answers
// methods 0, 1, 2, 3 and 5 on connections of type 0, plays the world's
// faults and writes every event to the journal.
#pragma once

#include <cstdio>
#include <mutex>
#include <string>

#include "platform/IOKitServer.h"
#include "simulator/Card.h"
#include "simulator/World.h"

namespace simulator {

// One line per event, appended and flushed as it happens.
class Journal {
public:
    Journal() = default;  // writes nothing
    ~Journal();
    Journal(const Journal&) = delete;
    Journal& operator=(const Journal&) = delete;

    bool open(const std::string& path, std::string& error);
    void write(const std::string& line);

private:
    std::mutex lock_;
    std::FILE* file_ = nullptr;
};

class SimulatedDriver : public iokit::UserClientDriver {
public:
    static constexpr uint32_t kServedConnectionType = 0;

    SimulatedDriver(const World& world, Card& card, Journal& journal);

    bool servesConnectionType(uint32_t type) const override;
    void connectionOpened(const iokit::UserClientConnection& connection) override;
    void connectionClosed(const iokit::UserClientConnection& connection) override;
    iokit::MethodReply callMethod(const iokit::UserClientConnection& connection, const iokit::MethodCall& call) override;

private:
    iokit::MethodReply getRID(const iokit::MethodCall& call);
    iokit::MethodReply setRID(const iokit::MethodCall& call);
    iokit::MethodReply getPrefs(const iokit::MethodCall& call);
    iokit::MethodReply setPrefs(const iokit::MethodCall& call);
    iokit::MethodReply apScan(const iokit::MethodCall& call);
    bool methodFails(uint32_t method) const;

    const World& world_;
    Card& card_;
    Journal& journal_;
};

}  // namespace simulator
