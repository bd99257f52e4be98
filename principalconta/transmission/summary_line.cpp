#include "principalconta/transmission/summary_line.h"

#include "base/text.h"

namespace kalvora::batch {

std::string summaryLine(const TransmissionSummary& summary)
{
    return "Resumen: entradas enviadas " + std::to_string(summary.transmitted) + ", con error " +
           std::to_string(summary.failed) + ansi(", compañías de origen ") + std::to_string(summary.targets) +
           (summary.unreachable.empty() ? "" : ", sin alcanzar " + std::to_string(summary.unreachable.size()));
}

std::vector<std::string> unreachableLines(const std::vector<UnreachableSource>& unreachable)
{
    std::vector<std::string> lines;
    for (const auto& source : unreachable)
        lines.push_back("Sin alcanzar: " + source.nombre + " (" + source.codigo + "), servidor " + source.servidor +
                        ": " + source.reason);
    return lines;
}

std::string interruptedLine(const TransmissionSummary& summary)
{
    return ansi("Transmisión interrumpida: entradas enviadas ") + std::to_string(summary.transmitted) + ", con error " +
           std::to_string(summary.failed);
}

}  // namespace kalvora::batch
