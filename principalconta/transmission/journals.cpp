#include "principalconta/transmission/journals.h"

#include "base/errors.h"
#include "base/picture.h"
#include "base/text.h"
#include "principalconta/transmission/journal_file.h"
#include "settings/clock.h"
#include "settings/installation.h"
#include "settings/regional_formats.h"

#include <optional>
#include <vector>

namespace kalvora {

namespace {

constexpr const char* kJournals[] = {"ENVIO.TXT", "ERRORES.TXT"};

std::string stoppedMessage(const std::string& problem)
{
    return problem + ansi(" La transmisión se detuvo; las entradas que no se enviaron siguen pendientes.");
}

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

    const auto directory = recordedInstallationDirectory();
    if (!directory) {
        dialogs.message(stoppedMessage(unknownDirectoryMessage()));
        throw SilentAbort();
    }
    const std::string path = installationFile(*directory, fileName);
    if (const auto failure = appendWhole(path, line)) {
        dialogs.message(stoppedMessage(unwritableFileMessage(path, *failure)));
        throw SilentAbort();
    }
}

}  // namespace

std::string unwritableFileMessage(const std::string& path, const std::string& reason)
{
    return "No se pudo escribir en " + path + ": " + reason + ".";
}

std::string unknownDirectoryMessage()
{
    return ansi("No se conoce la carpeta de instalación del programa, donde quedan ENVIO.TXT, ERRORES.TXT y "
                "VERIFICACION.CSV: falta ") +
           installationRecordPlace() + ".";
}

bool journalsReady(Dialogs& dialogs)
{
    const auto directory = recordedInstallationDirectory();
    if (!directory) {
        dialogs.message(unknownDirectoryMessage() + ansi(" La transmisión no se inició."));
        return false;
    }
    for (const char* name : kJournals) {
        const std::string path = installationFile(*directory, name);
        if (const auto failure = checkAppendable(path)) {
            dialogs.message(unwritableFileMessage(path, *failure) + ansi(" La transmisión no se inició."));
            return false;
        }
    }
    return true;
}

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
