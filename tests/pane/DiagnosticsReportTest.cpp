// The diagnostics report composed from hand-written payloads, compared as
// whole text, and the hardware-type names.
#include <gtest/gtest.h>

#include <optional>

#include "pane/DiagnosticsReport.h"
#include "tests/pane/FakeCard.h"

namespace pane_test {
namespace {

// A firmware identity payload: component id, variant, major, minor.
Payload identity(uint16_t component, uint16_t variant, uint16_t major, uint16_t minor) {
    return {static_cast<uint8_t>(component), static_cast<uint8_t>(component >> 8),
            static_cast<uint8_t>(variant),   static_cast<uint8_t>(variant >> 8),
            static_cast<uint8_t>(major),     static_cast<uint8_t>(major >> 8),
            static_cast<uint8_t>(minor),     static_cast<uint8_t>(minor >> 8)};
}

std::map<uint16_t, Payload> orinocoCard() {
    return {
        {kMACRecord, {0x00, 0x02, 0x2D, 0x5A, 0x6B, 0x7C}},
        {kNICRecord, {0x01, 0x00}},
        {kSerialRecord, textPayload("ABC123456789XYZ")},
        {kPRIRecord, identity(0x15, 1, 4, 2)},
        {kSTARecord, identity(0x1F, 3, 8, 10)},
    };
}

const std::string kHeading = "Diagnostic Information:\r\r";
const std::string kOrinocoMAC = "MAC Address 00:02:2D:5A:6B:7C\r";
const std::string kOrinocoFirmware = "\rFirmware Versions: PRI 4.2.1, STA 8.10.3\r";
const std::vector<uint16_t> kOrinocoReads = {kMACRecord, kNICRecord, kSerialRecord,
                                             kPRIRecord, kSTARecord, kSymbolRecord};
const std::vector<uint16_t> kIntersilReads = {kMACRecord, kNICRecord, kPRIRecord, kSTARecord, kSymbolRecord};

struct ReportCase {
    std::string name;
    std::map<uint16_t, std::optional<Payload>> changes;  // none: that read fails
    std::string report;
    std::vector<uint16_t> reads;
};

void PrintTo(const ReportCase& c, std::ostream* out) { *out << c.name; }

const auto kFails = std::nullopt;

std::vector<ReportCase> reportCases() {
    return {
        {"Orinoco",
         {},
         kHeading + kOrinocoMAC + "Card hardware type 0001: Orinoco, serial number ABC123456789" + kOrinocoFirmware,
         kOrinocoReads},
        {"SonyBranded",
         {{kNICRecord, Payload{0x02, 0x00}}},
         kHeading + kOrinocoMAC + "Card hardware type 0002: Sony-branded Orinoco, serial number ABC123456789" +
             kOrinocoFirmware,
         kOrinocoReads},
        {"IntersilHasNoSerialNumber",
         {{kNICRecord, Payload{0x0B, 0x80}}},
         kHeading + kOrinocoMAC + "Card hardware type 800b: Intersil PRISM 2.5, AMD parallel flash" +
             kOrinocoFirmware,
         kIntersilReads},
        {"HardwareTypeInLowerCase",
         {{kNICRecord, Payload{0x0A, 0x80}}},
         kHeading + kOrinocoMAC + "Card hardware type 800a: Intersil PRISM 2 Reference Design" + kOrinocoFirmware,
         kIntersilReads},
        {"SerialEndsAtZeroByte",
         {{kSerialRecord, Payload{'A', 'B', 'C', 'D', 'E', 0, 'G', 'H'}}},
         kHeading + kOrinocoMAC + "Card hardware type 0001: Orinoco, serial number ABCDE" + kOrinocoFirmware,
         kOrinocoReads},
        {"FailedSerialLeavesItOut",
         {{kSerialRecord, kFails}},
         kHeading + kOrinocoMAC + "Card hardware type 0001: Orinoco" + kOrinocoFirmware,
         kOrinocoReads},
        {"SymbolVersion",
         {{kSymbolRecord, textPayload("V2.10.3")}},
         kHeading + kOrinocoMAC + "Card hardware type 0001: Orinoco, serial number ABC123456789" +
             "\rFirmware Versions: PRI 4.2.1, STA 8.10.3, Symbol Technologies V2.10.3\r",
         kOrinocoReads},
        {"SymbolVersionWithoutVLeftOut",
         {{kSymbolRecord, textPayload("v2.10.3")}},
         kHeading + kOrinocoMAC + "Card hardware type 0001: Orinoco, serial number ABC123456789" + kOrinocoFirmware,
         kOrinocoReads},
        {"PRIWithoutSTA",
         {{kSTARecord, kFails}},
         kHeading + kOrinocoMAC + "Card hardware type 0001: Orinoco, serial number ABC123456789" +
             "\rFirmware Versions: PRI 4.2.1, \r",
         kOrinocoReads},
        {"STAWithoutPRI",
         {{kPRIRecord, kFails}},
         kHeading + kOrinocoMAC + "Card hardware type 0001: Orinoco, serial number ABC123456789" +
             "\rFirmware Versions: STA 8.10.3\r",
         kOrinocoReads},
        {"LargestVersionWords",
         {{kPRIRecord, identity(0xFFFF, 0xFFFF, 0xFFFE, 0x8001)}},
         kHeading + kOrinocoMAC + "Card hardware type 0001: Orinoco, serial number ABC123456789" +
             "\rFirmware Versions: PRI 65534.32769.65535, STA 8.10.3\r",
         kOrinocoReads},
        {"FailedIdentityLeavesEmptyLine",
         {{kNICRecord, kFails}},
         kHeading + kOrinocoMAC + kOrinocoFirmware,
         {kMACRecord, kNICRecord, kPRIRecord, kSTARecord, kSymbolRecord}},
        {"FailedMAC",
         {{kMACRecord, kFails}},
         kHeading + "Card hardware type 0001: Orinoco, serial number ABC123456789" + kOrinocoFirmware,
         kOrinocoReads},
        {"NoDriver",
         {{kMACRecord, kFails}, {kNICRecord, kFails}, {kSerialRecord, kFails}, {kPRIRecord, kFails},
          {kSTARecord, kFails}},
         "Diagnostic Information:\r\r\rFirmware Versions: \r",
         {kMACRecord, kNICRecord, kPRIRecord, kSTARecord, kSymbolRecord}},
    };
}

class PaneDiagnosticsReport : public testing::TestWithParam<ReportCase> {};

TEST_P(PaneDiagnosticsReport, ComposesTheWholeText) {
    const ReportCase& c = GetParam();
    FakeCard card;
    card.records = orinocoCard();
    for (const auto& [record, payload] : c.changes) {
        if (payload) {
            card.records[record] = *payload;
        } else {
            card.records.erase(record);
        }
    }
    EXPECT_EQ(composeDiagnostics(card.reader()), c.report);
    EXPECT_EQ(card.reads, c.reads);
}

INSTANTIATE_TEST_SUITE_P(Cases, PaneDiagnosticsReport, testing::ValuesIn(reportCases()),
                         [](const auto& info) { return info.param.name; });

TEST(PaneDiagnosticsText, SymbolVersionWithoutTerminatorStopsAtPayloadEnd) {
    FakeCard card;
    card.records = orinocoCard();
    card.records[kSymbolRecord] = Payload(kRIDDataCapacity, 'V');
    const std::string report = composeDiagnostics(card.reader());
    const std::string expectedEnd = ", Symbol Technologies " + std::string(kRIDDataCapacity, 'V') + "\r";
    ASSERT_GE(report.size(), expectedEnd.size());
    EXPECT_EQ(report.substr(report.size() - expectedEnd.size()), expectedEnd);
}

TEST(PaneDiagnosticsText, EachCallStartsFromScratch) {
    FakeCard card;
    card.records = orinocoCard();
    composeDiagnostics(card.reader());
    card.records.clear();
    EXPECT_EQ(composeDiagnostics(card.reader()), "Diagnostic Information:\r\r\rFirmware Versions: \r");
}

struct NameCase {
    uint16_t type;
    const char* name;
};

void PrintTo(const NameCase& c, std::ostream* out) { *out << c.name; }

class PaneHardwareTypeName : public testing::TestWithParam<NameCase> {};

TEST_P(PaneHardwareTypeName, NamesTheCard) {
    EXPECT_EQ(hardwareTypeName(GetParam().type), GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(
    Types, PaneHardwareTypeName,
    testing::Values(NameCase{0x0000, "Orinoco"}, NameCase{0x0001, "Orinoco"}, NameCase{0x0002, "Sony-branded Orinoco"},
                    NameCase{0x0003, "Orinoco"}, NameCase{0x7FFF, "Orinoco"}, NameCase{0x8000, "Intersil PRISM 2"},
                    NameCase{0x8004, "Intersil PRISM 2"}, NameCase{0x8005, "Intersil PRISM"},
                    NameCase{0x8006, "Intersil PRISM"}, NameCase{0x8007, "Intersil PRISM 2"},
                    NameCase{0x8009, "Intersil PRISM 2"}, NameCase{0x800A, "Intersil PRISM 2 Reference Design"},
                    NameCase{0x800B, "Intersil PRISM 2.5, AMD parallel flash"},
                    NameCase{0x800C, "Intersil PRISM 2.5, SST parallel flash"},
                    NameCase{0x800D, "Intersil PRISM 2.5, large serial flash"},
                    NameCase{0x800E, "Intersil PRISM 2.5, small serial flash"}, NameCase{0x800F, "Intersil PRISM"},
                    NameCase{0x8010, "Intersil PRISM"}, NameCase{0x8011, "Intersil PRISM"},
                    NameCase{0x8012, "Intersil PRISM 2.5, AMD parallel flash"},
                    NameCase{0x8013, "Intersil PRISM 2.5, SST parallel flash"},
                    NameCase{0x8014, "Intersil PRISM 2.5, large serial flash"},
                    NameCase{0x8015, "Intersil PRISM 2.5, small serial flash"},
                    NameCase{0x8016, "Intersil PRISM 2.5, AMD parallel flash"},
                    NameCase{0x8017, "Intersil PRISM 2.5, SST parallel flash"},
                    NameCase{0x8018, "Intersil PRISM 2.5, large serial flash"},
                    NameCase{0x8019, "Intersil PRISM 2.5, small serial flash"},
                    NameCase{0x801A, "Intersil PRISM 3, AMD parallel flash"},
                    NameCase{0x801B, "Intersil PRISM 3, SST parallel flash"},
                    NameCase{0x801C, "Intersil PRISM 3, large serial flash"},
                    NameCase{0x801D, "Intersil PRISM 3, small serial flash"}, NameCase{0x801E, "Intersil PRISM"},
                    NameCase{0x8020, "Intersil PRISM"}, NameCase{0x8021, "Intersil PRISM 3, AMD parallel flash"},
                    NameCase{0x8022, "Intersil PRISM 3, SST parallel flash"},
                    NameCase{0x8023, "Intersil PRISM 3, large serial flash"},
                    NameCase{0x8024, "Intersil PRISM 3, small serial flash"}, NameCase{0x8025, "Intersil PRISM"},
                    NameCase{0x9000, "Intersil PRISM"}, NameCase{0xFFFF, "Intersil PRISM"}));

}  // namespace
}  // namespace pane_test
