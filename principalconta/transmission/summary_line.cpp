#include "principalconta/transmission/summary_line.h"

#include "base/text.h"

namespace kalvora::batch {

std::string summaryLine(const TransmissionSummary& summary)
{
    return "Resumen: entradas enviadas " + std::to_string(summary.transmitted) + ", con error " +
           std::to_string(summary.failed) + ansi(", compañías de origen ") + std::to_string(summary.targets);
}

std::string interruptedLine(const TransmissionSummary& summary)
{
    return ansi("Transmisión interrumpida: entradas enviadas ") + std::to_string(summary.transmitted) + ", con error " +
           std::to_string(summary.failed);
}

}  // namespace kalvora::batch
