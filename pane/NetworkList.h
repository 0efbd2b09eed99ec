// The network names that an access-point scan found, for the pane's list.
#pragma once

#include <string>
#include <vector>

#include "driver/Records.h"

// Walks a scan area from its first record: stops at the first record whose
// channel is 0, and after the last record at the latest. Each name is taken
// as 8-bit text, at most the 32 bytes of the name field. Names keep the
// driver's order; equal and empty names are kept.
std::vector<std::string> scannedNetworkNames(const NMX80211ScanRecord (&area)[kScanRecordCount]);
