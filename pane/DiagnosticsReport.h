// The diagnostics report: MAC address, hardware type with a readable name,
// the serial number of Orinoco-family cards and the firmware versions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "pane/RecordReader.h"

// The report area holds this many bytes with its terminating zero; the
// longest report is far shorter, and appends never reach past it.
inline constexpr std::size_t kDiagnosticsCapacity = 32000;

// The readable name of a card's hardware type (first word of NICIdentity).
std::string_view hardwareTypeName(uint16_t type);

// The report as 8-bit (Mac OS Roman) text, lines ended by carriage returns.
std::string composeDiagnostics(const RecordReader& read);
