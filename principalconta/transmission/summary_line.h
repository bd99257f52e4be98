#pragma once
// The batch program's last line on standard output, after the completion message.
#include "principalconta/transmission/transmission.h"

#include <string>
#include <vector>

namespace kalvora::batch {

// "Resumen: entradas enviadas 318, con error 1, compañías de origen 2" (Windows-1252), and
// ", sin alcanzar 1" when a source could not be reached.
std::string summaryLine(const TransmissionSummary& summary);

// "Transmisión interrumpida: entradas enviadas 120, con error 0", for a run stopped on request.
std::string interruptedLine(const TransmissionSummary& summary);
// One line per source that could not be reached: "Sin alcanzar: Sede A (AAA), servidor ...:
// reason".
std::vector<std::string> unreachableLines(const std::vector<UnreachableSource>& unreachable);

}  // namespace kalvora::batch
