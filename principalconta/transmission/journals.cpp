#include "principalconta/transmission/journals.h"

#include "base/picture.h"
#include "settings/clock.h"
#include "settings/installation.h"
#include "settings/regional_formats.h"

#include <cstdio>
#include <vector>

namespace kalvora {

namespace {

// The file is opened and closed for every line, so each line is on disk when this returns
// and other programs may read the journal meanwhile.
void appendLine(Dialogs& dialogs, const char* fileName, const std::vector<std::string>& fields)
{
    const Timestamp stamp = now();
    const RegionalFormats formats = regionalFormats();
    std::string line = formats.date(stamp.date) + "," + formats.time(stamp.time);
    for (const auto& field : fields)
        line += "," + field;
    line += "\r\n";

    const std::string path = installationFile(diraplicacion(dialogs), fileName);
    std::FILE* file = std::fopen(path.c_str(), "ab");
    if (!file)
        return;
    std::fwrite(line.data(), 1, line.size(), file);
    std::fclose(file);
}

}  // namespace

void archivo_auditoria(Dialogs& dialogs, const std::string& identificador, const std::string& tipo,
                       const std::string& codigo)
{
    appendLine(dialogs, "ENVIO.TXT", {identificador, tipo, codigo});
}

void archivo_errores(Dialogs& dialogs, const std::string& usuario_replica, const std::string& texto)
{
    appendLine(dialogs, "ERRORES.TXT", {usuario_replica, texto});
}

}  // namespace kalvora
