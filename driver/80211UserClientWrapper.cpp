#include "driver/80211UserClientWrapper.h"

#include <utility>

#include "platform/IOKit.h"

namespace {

// The user-client connection type that the driver serves.
constexpr uint32_t kDriverConnectionType = 0;

// One structure-in/structure-out call; status 0 on success. The call updates
// outputSize to the size actually returned.
iokit::kern_return_t callDriver(uint32_t dataPort, DriverMethod method, uint32_t inputSize, void* input,
                                uint32_t& outputSize, void* output) {
    return iokit::IOConnectMethodStructureIStructureO(dataPort, method, inputSize, &outputSize, input, output);
}

// getRID:, setRID:, getPrefs:, setPrefs: send the caller's record and take the
// reply into the same record.
template <typename Record>
bool exchangeRecord(uint32_t dataPort, DriverMethod method, Record* record) {
    if (record == nullptr) return false;
    uint32_t outputSize = sizeof(Record);
    return callDriver(dataPort, method, sizeof(Record), record, outputSize, record) == iokit::kIOReturnSuccess;
}

}  // namespace

Nimbrel80211UserClientWrapper::Nimbrel80211UserClientWrapper(std::string registry) : registry_(std::move(registry)) {}

Nimbrel80211UserClientWrapper::~Nimbrel80211UserClientWrapper() { disconnect(); }

int32_t Nimbrel80211UserClientWrapper::connect() {
    // Handles from an earlier connect would otherwise be lost.
    disconnect();

    iokit::mach_port_t masterPort = 0;
    iokit::IOMasterPort(iokit::MACH_PORT_NULL, &masterPort);

    iokit::io_iterator_t iterator = 0;
    if (iokit::IOServiceGetMatchingServices(masterPort, iokit::IOServiceMatching(kDriverClassName, registry_),
                                            &iterator) != iokit::kIOReturnSuccess)
        return 0;

    // With several cards, the first one that the lookup delivers is used.
    serviceObject_ = iokit::IOIteratorNext(iterator);
    iokit::IOObjectRelease(iterator);
    if (serviceObject_ == 0) return 0;

    // After a failed open the service stays held; disconnect gives it back.
    iokit::io_connect_t connection = 0;
    if (iokit::IOServiceOpen(serviceObject_, iokit::mach_task_self(), kDriverConnectionType, &connection) !=
        iokit::kIOReturnSuccess)
        return 0;
    dataPort_ = connection;
    return 1;
}

int32_t Nimbrel80211UserClientWrapper::disconnect() {
    if (dataPort_ != 0) {
        iokit::IOServiceClose(dataPort_);
        dataPort_ = 0;
    }
    if (serviceObject_ != 0) {
        iokit::IOObjectRelease(serviceObject_);
        serviceObject_ = 0;
    }
    return 1;
}

int32_t Nimbrel80211UserClientWrapper::getRID(NMX80211UserClientRID* record) {
    if (record == nullptr) return 0;
    record->length = kRIDDataCapacity;
    if (!exchangeRecord(dataPort_, kMethodGetRID, record)) return 0;
    return record->length;
}

int32_t Nimbrel80211UserClientWrapper::setRID(NMX80211UserClientRID* record) {
    if (!exchangeRecord(dataPort_, kMethodSetRID, record)) return 0;
    return record->length;
}

int32_t Nimbrel80211UserClientWrapper::getPrefs(PrismPrefsRecord* record) {
    return exchangeRecord(dataPort_, kMethodGetPrefs, record) ? static_cast<int32_t>(kPrefsRecordSize) : 0;
}

int32_t Nimbrel80211UserClientWrapper::setPrefs(PrismPrefsRecord* record) {
    return exchangeRecord(dataPort_, kMethodSetPrefs, record) ? static_cast<int32_t>(kPrefsRecordSize) : 0;
}

int32_t Nimbrel80211UserClientWrapper::apScan(NMX80211ScanRecord* area) {
    if (area == nullptr) return 0;
    uint32_t outputSize = kScanAreaSize;
    if (callDriver(dataPort_, kMethodAPScan, 0, nullptr, outputSize, area) != iokit::kIOReturnSuccess) return 0;
    return static_cast<int32_t>(outputSize);
}
