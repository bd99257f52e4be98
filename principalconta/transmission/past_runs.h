#pragma once
// The runs whose reports are in the installation directory's "informes" folder, as the
// list of "Informes de envío…" shows them.
#include <string>
#include <vector>

namespace kalvora {

struct PastRun {
    std::string path;
    std::string fecha;    // as the report wrote it, in the regional formats
    std::string usuario;  // the signed-in user
    std::string destino;  // the destination company
    std::string totales;  // "enviadas 3, con error 1, omitidas 2", or what became of the run
};

// Newest first (the file names carry the time). Texts in Windows-1252.
std::vector<PastRun> pastRuns(const std::string& directory);

}  // namespace kalvora
