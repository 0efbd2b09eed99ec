// The one connection to the wireless driver's user client. Each record
// operation is one synchronous call: the caller's record goes to the driver
// and comes back overwritten with the reply.
#pragma once

#include <cstdint>
#include <string>

#include "driver/Records.h"
#include "platform/Locations.h"

inline constexpr const char* kDriverClassName = "com_nimbrel_802_11_driver";

// Method indices of the driver's user client.
enum DriverMethod : uint32_t {
    kMethodGetRID = 0,
    kMethodSetRID = 1,
    kMethodGetPrefs = 2,
    kMethodSetPrefs = 3,
    kMethodAPScan = 5,
};

class Nimbrel80211UserClientWrapper {
public:
    explicit Nimbrel80211UserClientWrapper(std::string registry = platform::kServiceRegistryPath);
    // The owner calls disconnect first; a wrapper dropped without it still
    // gives its handles back.
    ~Nimbrel80211UserClientWrapper();
    Nimbrel80211UserClientWrapper(const Nimbrel80211UserClientWrapper&) = delete;
    Nimbrel80211UserClientWrapper& operator=(const Nimbrel80211UserClientWrapper&) = delete;

    int32_t connect();     // 1 connected, 0 failed
    int32_t disconnect();  // always 1

    int32_t getRID(NMX80211UserClientRID* record);  // record's length after the call; 0 on failure
    int32_t setRID(NMX80211UserClientRID* record);
    int32_t getPrefs(PrismPrefsRecord* record);  // 142; 0 on failure
    int32_t setPrefs(PrismPrefsRecord* record);
    int32_t apScan(NMX80211ScanRecord* area);  // area of 16 records; output size, 0 on failure

    uint32_t dataPort() const { return dataPort_; }
    uint32_t serviceObject() const { return serviceObject_; }

private:
    uint32_t dataPort_ = 0;       // the open user-client connection
    uint32_t serviceObject_ = 0;  // the matched driver service
    std::string registry_;
};
