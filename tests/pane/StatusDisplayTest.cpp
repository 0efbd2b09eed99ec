// The status display decoded from hand-written payloads: what each field
// shows and which records are read, in which order.
#include <gtest/gtest.h>

#include <optional>

#include "pane/StatusDisplay.h"
#include "tests/pane/FakeCard.h"

namespace pane_test {
namespace {

Payload ssidPayload(const std::string& name) {
    Payload payload = {static_cast<uint8_t>(name.size()), 0};
    payload.insert(payload.end(), name.begin(), name.end());
    return payload;
}

// An Intersil card joined to "Office" through an access point on channel 6.
std::map<uint16_t, Payload> connectedIntersilCard() {
    return {
        {kNICRecord, {0x13, 0x80}},  // hardware type 0x8013
        {kChannelRecord, {6, 0}},
        {kQualityRecord, {0x00, 0x00, 0x23, 0x01}},  // signal level 0x0123
        {kTxRateRecord, {8, 0}},
        {kMACRecord, {0x00, 0x0A, 0xFF, 0x01, 0x23, 0x45}},
        {kPortStatusRecord, {4, 0}},
        {kBSSIDRecord, {0x00, 0x11, 0x22, 0xAA, 0xBB, 0xCC}},
        {kSSIDRecord, ssidPayload("Office")},
    };
}

constexpr const char* kOfficeAccessPoint = "00:11:22:AA:BB:CC  (channel 6)";
const std::vector<uint16_t> kAllReads = {kNICRecord,       kChannelRecord,    kQualityRecord, kTxRateRecord,
                                         kMACRecord,       kPortStatusRecord, kBSSIDRecord,   kSSIDRecord};
const std::vector<uint16_t> kReadsWithoutRate = {kNICRecord,        kChannelRecord, kQualityRecord, kMACRecord,
                                                 kPortStatusRecord, kBSSIDRecord,   kSSIDRecord};
const std::vector<uint16_t> kReadsUpToPortStatus = {kNICRecord, kChannelRecord, kQualityRecord, kTxRateRecord,
                                                    kMACRecord, kPortStatusRecord};

struct StatusCase {
    std::string name;
    std::map<uint16_t, std::optional<Payload>> changes;  // none: that read fails
    double signal;
    std::optional<std::string> txRate;
    std::string mac;
    std::optional<std::string> ssid;
    std::string bssid;
    std::vector<uint16_t> reads;
};

void PrintTo(const StatusCase& c, std::ostream* out) { *out << c.name; }

const std::string kMAC = "00:0A:FF:01:23:45";
const auto kFails = std::nullopt;

std::vector<StatusCase> statusCases() {
    return {
        {"IntersilConnected", {}, 291.0, "11Mbps", kMAC, "Office", kOfficeAccessPoint, kAllReads},
        {"OrinocoReadsNoRate", {{kNICRecord, Payload{0x01, 0x00}}}, 291.0, std::nullopt, kMAC, "Office",
         kOfficeAccessPoint, kReadsWithoutRate},
        {"Type7FFFIsOrinoco", {{kNICRecord, Payload{0xFF, 0x7F}}}, 291.0, std::nullopt, kMAC, "Office",
         kOfficeAccessPoint, kReadsWithoutRate},
        {"Type8000IsIntersil", {{kNICRecord, Payload{0x00, 0x80}}}, 291.0, "11Mbps", kMAC, "Office",
         kOfficeAccessPoint, kAllReads},
        {"FailedIdentityReadsNoRate", {{kNICRecord, kFails}}, 291.0, std::nullopt, kMAC, "Office", kOfficeAccessPoint,
         kReadsWithoutRate},
        {"Rate1", {{kTxRateRecord, Payload{1, 0}}}, 291.0, "1Mbps", kMAC, "Office", kOfficeAccessPoint, kAllReads},
        {"Rate2", {{kTxRateRecord, Payload{2, 0}}}, 291.0, "2Mbps", kMAC, "Office", kOfficeAccessPoint, kAllReads},
        {"Rate4", {{kTxRateRecord, Payload{4, 0}}}, 291.0, "5Mbps", kMAC, "Office", kOfficeAccessPoint, kAllReads},
        {"Rate0IsEmpty", {{kTxRateRecord, Payload{0, 0}}}, 291.0, "", kMAC, "Office", kOfficeAccessPoint, kAllReads},
        {"Rate3IsEmpty", {{kTxRateRecord, Payload{3, 0}}}, 291.0, "", kMAC, "Office", kOfficeAccessPoint, kAllReads},
        {"Rate16IsEmpty", {{kTxRateRecord, Payload{16, 0}}}, 291.0, "", kMAC, "Office", kOfficeAccessPoint, kAllReads},
        {"Rate0x0108IsEmpty", {{kTxRateRecord, Payload{8, 1}}}, 291.0, "", kMAC, "Office", kOfficeAccessPoint,
         kAllReads},
        {"FailedRateKeepsLabel", {{kTxRateRecord, kFails}}, 291.0, std::nullopt, kMAC, "Office", kOfficeAccessPoint,
         kAllReads},
        {"Disabled", {{kPortStatusRecord, Payload{1, 0}}}, 291.0, "11Mbps", kMAC, "<DISABLED>", "n/a",
         kReadsUpToPortStatus},
        {"Searching", {{kPortStatusRecord, Payload{2, 0}}}, 291.0, "11Mbps", kMAC, "<Searching for Network...>", "n/a",
         kReadsUpToPortStatus},
        {"OutOfRange", {{kPortStatusRecord, Payload{5, 0}}}, 291.0, "11Mbps", kMAC, "<Out of Range>", "n/a",
         kReadsUpToPortStatus},
        {"ConnectedToWDS", {{kPortStatusRecord, Payload{6, 0}}}, 291.0, "11Mbps", kMAC, "<Connected to WDS>", "n/a",
         kReadsUpToPortStatus},
        {"Status3ShowsNameWithoutBSSIDRead",
         {{kPortStatusRecord, Payload{3, 0}}},
         291.0,
         "11Mbps",
         kMAC,
         "Office",
         "n/a",
         {kNICRecord, kChannelRecord, kQualityRecord, kTxRateRecord, kMACRecord, kPortStatusRecord, kSSIDRecord}},
        {"Status0KeepsState", {{kPortStatusRecord, Payload{0, 0}}}, 291.0, "11Mbps", kMAC, std::nullopt, "n/a",
         kReadsUpToPortStatus},
        {"Status7KeepsState", {{kPortStatusRecord, Payload{7, 0}}}, 291.0, "11Mbps", kMAC, std::nullopt, "n/a",
         kReadsUpToPortStatus},
        {"Status0x0104KeepsState", {{kPortStatusRecord, Payload{4, 1}}}, 291.0, "11Mbps", kMAC, std::nullopt, "n/a",
         kReadsUpToPortStatus},
        {"FailedPortStatus", {{kPortStatusRecord, kFails}}, 291.0, "11Mbps", kMAC, "n/a", "n/a",
         kReadsUpToPortStatus},
        {"FailedChannelPrintsMinusOne", {{kChannelRecord, kFails}}, 291.0, "11Mbps", kMAC, "Office",
         "00:11:22:AA:BB:CC  (channel -1)", kAllReads},
        {"ChannelIsLowByteOnly", {{kChannelRecord, Payload{11, 1}}}, 291.0, "11Mbps", kMAC, "Office",
         "00:11:22:AA:BB:CC  (channel 11)", kAllReads},
        {"FailedBSSIDStillShowsName", {{kBSSIDRecord, kFails}}, 291.0, "11Mbps", kMAC, "Office", "n/a", kAllReads},
        {"FailedSSIDWhileConnected", {{kSSIDRecord, kFails}}, 291.0, "11Mbps", kMAC, "<Connected>",
         kOfficeAccessPoint, kAllReads},
        {"FailedSSIDWithStatus3",
         {{kSSIDRecord, kFails}, {kPortStatusRecord, Payload{3, 0}}},
         291.0,
         "11Mbps",
         kMAC,
         "<Connected>",
         "n/a",
         {kNICRecord, kChannelRecord, kQualityRecord, kTxRateRecord, kMACRecord, kPortStatusRecord, kSSIDRecord}},
        {"EmptySSID", {{kSSIDRecord, Payload{0, 0, 'X', 'Y'}}}, 291.0, "11Mbps", kMAC, "", kOfficeAccessPoint,
         kAllReads},
        {"SSIDLengthIsLowByteOnly", {{kSSIDRecord, Payload{3, 1, 'a', 'b', 'c', 'd', 'e'}}}, 291.0, "11Mbps", kMAC,
         "abc", kOfficeAccessPoint, kAllReads},
        {"FailedQualityIsZero", {{kQualityRecord, kFails}}, 0.0, "11Mbps", kMAC, "Office", kOfficeAccessPoint,
         kAllReads},
        {"QualityIsUnscaled", {{kQualityRecord, Payload{0x99, 0x99, 0xFF, 0xFF}}}, 65535.0, "11Mbps", kMAC, "Office",
         kOfficeAccessPoint, kAllReads},
        {"FailedMAC", {{kMACRecord, kFails}}, 291.0, "11Mbps", "n/a", "Office", kOfficeAccessPoint, kAllReads},
        {"MACUpperCase", {{kMACRecord, Payload{0xde, 0xad, 0xbe, 0xef, 0x0b, 0xc9}}}, 291.0, "11Mbps",
         "DE:AD:BE:EF:0B:C9", "Office", kOfficeAccessPoint, kAllReads},
        {"EveryReadFails",
         {{kNICRecord, kFails},
          {kChannelRecord, kFails},
          {kQualityRecord, kFails},
          {kTxRateRecord, kFails},
          {kMACRecord, kFails},
          {kPortStatusRecord, kFails},
          {kBSSIDRecord, kFails},
          {kSSIDRecord, kFails}},
         0.0,
         std::nullopt,
         "n/a",
         "n/a",
         "n/a",
         {kNICRecord, kChannelRecord, kQualityRecord, kMACRecord, kPortStatusRecord}},
    };
}

class PaneStatusDisplay : public testing::TestWithParam<StatusCase> {};

TEST_P(PaneStatusDisplay, ShowsTheCardsState) {
    const StatusCase& c = GetParam();
    FakeCard card;
    card.records = connectedIntersilCard();
    for (const auto& [record, payload] : c.changes) {
        if (payload) {
            card.records[record] = *payload;
        } else {
            card.records.erase(record);
        }
    }
    const StatusTexts status = readStatus(card.reader());
    EXPECT_EQ(status.signal, c.signal);
    EXPECT_EQ(status.txRate, c.txRate);
    EXPECT_EQ(status.mac, c.mac);
    EXPECT_EQ(status.ssid, c.ssid);
    EXPECT_EQ(status.bssid, c.bssid);
    EXPECT_EQ(card.reads, c.reads);
}

INSTANTIATE_TEST_SUITE_P(Cases, PaneStatusDisplay, testing::ValuesIn(statusCases()),
                         [](const auto& info) { return info.param.name; });

TEST(PaneStatusDisplayText, LongestNameStaysInsideThePayload) {
    FakeCard card;
    card.records = connectedIntersilCard();
    Payload name = {0xFF, 0xFF};
    for (int i = 0; i < 255; ++i) name.push_back(static_cast<uint8_t>(0xA5));  // bullets in Mac OS Roman
    card.records[kSSIDRecord] = name;
    const StatusTexts status = readStatus(card.reader());
    EXPECT_EQ(status.ssid, std::string(255, '\xA5'));
}

}  // namespace
}  // namespace pane_test
