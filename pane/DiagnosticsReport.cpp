#include "pane/DiagnosticsReport.h"

#include <cstdio>
#include <cstring>

#include "driver/ConfigRecords.h"

namespace {

// Hardware types and their names; the first row that holds a type names it.
struct HardwareTypeRange {
    uint16_t first;
    uint16_t last;
    const char* name;
};
constexpr HardwareTypeRange kHardwareTypeNames[] = {
    {0x0002, 0x0002, "Sony-branded Orinoco"},
    {0x0000, 0x7FFF, "Orinoco"},
    {0x8000, 0x8004, "Intersil PRISM 2"},
    {0x8007, 0x8009, "Intersil PRISM 2"},
    {0x800A, 0x800A, "Intersil PRISM 2 Reference Design"},
    {0x800B, 0x800B, "Intersil PRISM 2.5, AMD parallel flash"},
    {0x8012, 0x8012, "Intersil PRISM 2.5, AMD parallel flash"},
    {0x8016, 0x8016, "Intersil PRISM 2.5, AMD parallel flash"},
    {0x800C, 0x800C, "Intersil PRISM 2.5, SST parallel flash"},
    {0x8013, 0x8013, "Intersil PRISM 2.5, SST parallel flash"},
    {0x8017, 0x8017, "Intersil PRISM 2.5, SST parallel flash"},
    {0x800D, 0x800D, "Intersil PRISM 2.5, large serial flash"},
    {0x8014, 0x8014, "Intersil PRISM 2.5, large serial flash"},
    {0x8018, 0x8018, "Intersil PRISM 2.5, large serial flash"},
    {0x800E, 0x800E, "Intersil PRISM 2.5, small serial flash"},
    {0x8015, 0x8015, "Intersil PRISM 2.5, small serial flash"},
    {0x8019, 0x8019, "Intersil PRISM 2.5, small serial flash"},
    {0x801A, 0x801A, "Intersil PRISM 3, AMD parallel flash"},
    {0x8021, 0x8021, "Intersil PRISM 3, AMD parallel flash"},
    {0x801B, 0x801B, "Intersil PRISM 3, SST parallel flash"},
    {0x8022, 0x8022, "Intersil PRISM 3, SST parallel flash"},
    {0x801C, 0x801C, "Intersil PRISM 3, large serial flash"},
    {0x8023, 0x8023, "Intersil PRISM 3, large serial flash"},
    {0x801D, 0x801D, "Intersil PRISM 3, small serial flash"},
    {0x8024, 0x8024, "Intersil PRISM 3, small serial flash"},
    {0x8000, 0xFFFF, "Intersil PRISM"},
};

// The report area: every append is cut to the room left, so the text and
// its terminating zero always fit.
class ReportText {
public:
    void append(std::string_view piece) {
        const std::size_t room = kDiagnosticsCapacity - 1 - text_.size();
        text_.append(piece.substr(0, room));
    }
    const std::string& text() const { return text_; }

private:
    std::string text_;
};

template <class... Values>
std::string formatted(const char* format, Values... values) {
    char piece[128];
    std::snprintf(piece, sizeof piece, format, values...);
    return piece;
}

std::string firmwareVersion(const char* format, const NMX80211UserClientRID& record) {
    const FirmwareIdentity identity = firmwareIdentity(record);
    return formatted(format, identity.major, identity.minor, identity.variant);
}

void appendHardware(ConfigRecordReads& reads, ReportText& report) {
    if (!reads.read(NICIdentity)) return;
    const uint16_t type = hardwareType(reads.record());
    report.append(formatted("Card hardware type %04x: ", type));
    report.append(hardwareTypeName(type));
    // Only Orinoco-family cards have a serial number to show.
    if (isIntersilFamily(type) || !reads.read(NICSerialNumber)) return;
    report.append(", serial number " + serialNumberBytes(reads.record()));
}

void appendFirmware(ConfigRecordReads& reads, ReportText& report) {
    report.append("\rFirmware Versions: ");
    if (reads.read(PRIIdentity)) report.append(firmwareVersion("PRI %d.%d.%d, ", reads.record()));
    if (reads.read(STAIdentity)) report.append(firmwareVersion("STA %d.%d.%d", reads.record()));
    if (reads.read(SymbolFirmwareVersion)) {
        if (const auto version = symbolFirmwareVersionBytes(reads.record())) {
            report.append(", Symbol Technologies " + *version);
        }
    }
    report.append("\r");
}

}  // namespace

std::string_view hardwareTypeName(uint16_t type) {
    for (const HardwareTypeRange& range : kHardwareTypeNames) {
        if (type >= range.first && type <= range.last) return range.name;
    }
    return "";  // not reached: the last rows cover every type
}

std::string composeDiagnostics(const RecordReader& read) {
    ReportText report;
    ConfigRecordReads reads(read);
    report.append("Diagnostic Information:\r\r");
    if (reads.read(CnfOwnMACAddress)) {
        const HardwareAddress octets = hardwareAddress(reads.record());
        report.append(formatted("MAC Address %02X:%02X:%02X:%02X:%02X:%02X\r", octets[0], octets[1], octets[2],
                                octets[3], octets[4], octets[5]));
    }
    appendHardware(reads, report);
    appendFirmware(reads, report);
    return report.text();
}
