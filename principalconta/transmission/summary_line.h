#pragma once
// The batch program's last line on standard output, after the completion message.
#include "principalconta/transmission/transmission.h"

#include <string>

namespace kalvora::batch {

// "Resumen: entradas enviadas 318, con error 1, compañías de origen 2" (Windows-1252).
std::string summaryLine(const TransmissionSummary& summary);

// "Transmisión interrumpida: entradas enviadas 120, con error 0", for a run stopped on request.
std::string interruptedLine(const TransmissionSummary& summary);

}  // namespace kalvora::batch
