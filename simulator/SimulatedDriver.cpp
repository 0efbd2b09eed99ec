#include "simulator/SimulatedDriver.h"

#include <cerrno>
#include <cstring>

#include "driver/80211UserClientWrapper.h"

namespace simulator {
namespace {

using iokit::MethodCall;
using iokit::MethodReply;

std::string hexText(std::span<const uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(2 * bytes.size());
    for (uint8_t byte : bytes) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0x0F];
    }
    return text;
}

std::string ridText(uint16_t rid) {
    char text[5];
    std::snprintf(text, sizeof text, "%04x", rid);
    return text;
}

template <typename Record>
std::vector<uint8_t> bytesOf(const Record& record) {
    const auto* first = reinterpret_cast<const uint8_t*>(&record);
    return std::vector<uint8_t>(first, first + sizeof record);
}

// The record number of a getRID:/setRID: request, in host order; 0 when the
// request is too short to hold one.
uint16_t requestedRID(std::span<const uint8_t> input) {
    uint16_t rid = 0;
    if (input.size() >= sizeof rid) std::memcpy(&rid, input.data(), sizeof rid);
    return rid;
}

MethodReply failure(iokit::kern_return_t status) { return MethodReply{status, {}, {}}; }

}  // namespace

Journal::~Journal() {
    if (file_ != nullptr) std::fclose(file_);
}

bool Journal::open(const std::string& path, std::string& error) {
    file_ = std::fopen(path.c_str(), "a");
    if (file_ == nullptr) {
        error = "cannot open journal " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

void Journal::write(const std::string& line) {
    std::lock_guard guard(lock_);
    if (file_ == nullptr) return;
    std::fputs(line.c_str(), file_);
    std::fputc('\n', file_);
    std::fflush(file_);
}

SimulatedDriver::SimulatedDriver(const World& world, Card& card, Journal& journal)
    : world_(world), card_(card), journal_(journal) {}

bool SimulatedDriver::servesConnectionType(uint32_t type) const { return type == kServedConnectionType; }

void SimulatedDriver::connectionOpened(const iokit::UserClientConnection& connection) {
    journal_.write("open " + std::to_string(connection.type));
}

void SimulatedDriver::connectionClosed(const iokit::UserClientConnection&) { journal_.write("close"); }

bool SimulatedDriver::methodFails(uint32_t method) const { return world_.failingMethods.contains(method); }

MethodReply SimulatedDriver::callMethod(const iokit::UserClientConnection&, const MethodCall& call) {
    MethodReply reply;
    switch (call.method) {
        case kMethodGetRID: reply = getRID(call); break;
        case kMethodSetRID: reply = setRID(call); break;
        case kMethodGetPrefs: reply = getPrefs(call); break;
        case kMethodSetPrefs: reply = setPrefs(call); break;
        case kMethodAPScan: reply = apScan(call); break;
        default: reply = failure(iokit::kIOReturnUnsupported); break;
    }
    reply.delay = world_.replyDelay;
    return reply;
}

MethodReply SimulatedDriver::getRID(const MethodCall& call) {
    const uint16_t rid = requestedRID(call.input);
    const MethodReply reply = [&] {
        if (call.input.size() != kRIDRecordSize) return failure(iokit::kIOReturnBadArgument);
        if (methodFails(kMethodGetRID) || world_.failingConfigRecords.contains(rid))
            return failure(iokit::kIOReturnError);
        const auto payload = card_.readRecord(rid);
        if (!payload) return failure(iokit::kIOReturnUnsupported);  // a record that this card doesn't have
        NMX80211UserClientRID record{};
        record.rid = rid;
        record.length = payload->length;
        std::memcpy(record.data, payload->data.data(), sizeof record.data);
        return MethodReply{iokit::kIOReturnSuccess, bytesOf(record), {}};
    }();
    journal_.write("getRID " + std::to_string(reply.status) + " " + ridText(rid));
    return reply;
}

MethodReply SimulatedDriver::setRID(const MethodCall& call) {
    const uint16_t rid = requestedRID(call.input);
    const MethodReply reply = [&] {
        if (call.input.size() != kRIDRecordSize) return failure(iokit::kIOReturnBadArgument);
        if (methodFails(kMethodSetRID)) return failure(iokit::kIOReturnError);
        NMX80211UserClientRID record;
        std::memcpy(&record, call.input.data(), sizeof record);
        if (!card_.writeRecord(rid, record.data)) return failure(iokit::kIOReturnNotPermitted);
        return MethodReply{iokit::kIOReturnSuccess, bytesOf(record), {}};
    }();
    journal_.write("setRID " + std::to_string(reply.status) + " " + ridText(rid));
    return reply;
}

MethodReply SimulatedDriver::getPrefs(const MethodCall& call) {
    const MethodReply reply = [&] {
        // The request's contents are not used, but it is no larger than a record.
        if (call.input.size() > kPrefsRecordSize) return failure(iokit::kIOReturnBadArgument);
        if (methodFails(kMethodGetPrefs)) return failure(iokit::kIOReturnError);
        return MethodReply{iokit::kIOReturnSuccess, bytesOf(card_.settings()), {}};
    }();
    journal_.write("getPrefs " + std::to_string(reply.status));
    return reply;
}

MethodReply SimulatedDriver::setPrefs(const MethodCall& call) {
    const MethodReply reply = [&] {
        if (call.input.size() != kPrefsRecordSize) return failure(iokit::kIOReturnBadArgument);
        if (methodFails(kMethodSetPrefs)) return failure(iokit::kIOReturnError);
        PrismPrefsRecord record;
        std::memcpy(&record, call.input.data(), sizeof record);
        card_.takeSettings(record);
        return MethodReply{iokit::kIOReturnSuccess, bytesOf(record), {}};
    }();
    journal_.write("setPrefs " + std::to_string(reply.status) + " " + hexText(call.input));
    return reply;
}

MethodReply SimulatedDriver::apScan(const MethodCall& call) {
    const MethodReply reply = [&] {
        if (methodFails(kMethodAPScan)) return failure(iokit::kIOReturnError);
        const std::vector<NMX80211ScanRecord> records = card_.scan();
        const std::size_t fitting = std::min<std::size_t>(records.size(), call.outputCapacity / kScanRecordSize);
        const auto* first = reinterpret_cast<const uint8_t*>(records.data());
        return MethodReply{iokit::kIOReturnSuccess, std::vector<uint8_t>(first, first + fitting * kScanRecordSize), {}};
    }();
    journal_.write("apScan " + std::to_string(reply.status));
    return reply;
}

}  // namespace simulator
