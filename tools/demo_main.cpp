// kalvora-demo: builds the demo installation that ./run.sh transmits.
#include "base/text.h"
#include "data/date_text.h"
#include "principalconta/transmission/summary_line.h"
#include "settings/clock.h"
#include "settings/regional_formats.h"
#include "tools/demo_site.h"

#include <exception>
#include <fstream>
#include <iostream>

int main(int argc, char* argv[])
{
    using namespace kalvora;
    const ScopedDateText dateText(regionalFormats);
    if (argc != 2) {
        std::cerr << "Uso: kalvora-demo CARPETA\n"
                     "Crea de nuevo en CARPETA (vacía, o con una demo anterior) una instalación de\n"
                     "demostración con entradas pendientes del día de hoy.\n";
        return 64;
    }
    try {
        const tools::DemoSite site = tools::buildDemo(argv[1], now().date);
        const std::string expected = toUtf8(batch::summaryLine(site.expected));
        std::ofstream(site.folder + "/" + tools::kExpectedSummaryFile, std::ios::binary) << expected << '\n';
        std::ofstream differences(site.folder + "/" + tools::kExpectedDifferencesFile, std::ios::binary);
        for (const auto& line : site.expectedDifferences)
            differences << line;
        std::ofstream left(site.folder + "/" + tools::kExpectedAfterRepairFile, std::ios::binary);
        for (const auto& line : site.expectedAfterRepair)
            left << line;
        std::cout << "Demo creada en " << site.folder << "\n"
                  << "  registro:  " << site.registry << "\n"
                  << "  servidor:  " << site.server << " (general.fdb y las compañías 001, 002, 003)\n"
                  << "  destino:   " << site.destination << ", con dos compañías de origen: 002 (prefijos FV y RC)"
                  << " y 003 (sin prefijos)\n"
                  << "  esperado:  " << expected << "\n";
    } catch (const std::exception& e) {
        std::cerr << "kalvora-demo: " << toUtf8(e.what()) << "\n";
        return 1;
    }
    return 0;
}
