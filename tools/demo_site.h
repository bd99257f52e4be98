#pragma once
// The demo installation that ./run.sh transmits: a registry file, SERVIDORES.cfg and a
// server tree with a destination company and two source companies full of pending entries,
// all opened with the embedded engine.
#include "base/calendar.h"
#include "principalconta/transmission/transmission.h"

#include <string>
#include <vector>

namespace kalvora::tools {

struct DemoSite {
    std::string folder;    // absolute
    std::string registry;  // for KALVORA_REGISTRY
    std::string server;    // the server entry: folder + "/servidor"
    std::string destination = "001";
    std::string user = "SYSDBA";
    // What transmitting `today` will do: one entry fails on a CHECK of the destination.
    TransmissionSummary expected;
    // What verifying `today` finds after that transmission: the lines of VERIFICACION.CSV
    // after its header, Windows-1252 with CR LF. The refused voucher is missing, a voucher and
    // an account sent earlier were edited by hand in the destination, and a voucher is only
    // there.
    std::vector<std::string> expectedDifferences;
    // What is left after a repair without --delete-extra: the refused voucher, the extra one.
    std::vector<std::string> expectedAfterRepair;
};

// Removes folder when it is empty or holds an earlier demo (anything else is refused with
// an Error), then builds the demo with its entries dated today.
DemoSite buildDemo(const std::string& folder, const Date& today);

// The file in the demo folder that holds the batch program's expected summary line.
inline constexpr const char* kExpectedSummaryFile = "RESUMEN_ESPERADO.txt";
// And the expected lines of VERIFICACION.CSV, without its header.
inline constexpr const char* kExpectedDifferencesFile = "VERIFICACION_ESPERADA.CSV";
// And those a repair leaves.
inline constexpr const char* kExpectedAfterRepairFile = "REPARACION_ESPERADA.CSV";

}  // namespace kalvora::tools
