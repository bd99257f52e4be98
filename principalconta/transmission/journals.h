#pragma once
// ENVIO.TXT (every audit entry taken up) and ERRORES.TXT (every failed one) in the
// installation directory: with the sent flags, the only record of a run.
#include "ui/dialogs.h"

#include <string>

namespace kalvora {

// Before a run reads any entry: the installation directory known and both journals
// writable. Otherwise says what is wrong, writes nothing, and returns false.
bool journalsReady(Dialogs& dialogs);

// A line is written whole or not at all. When it cannot be, both say so and throw
// SilentAbort, so that the run stops before the entry goes further.
// date,time,identificador,tipo,codigo
void archivo_auditoria(Dialogs& dialogs, const std::string& identificador, const std::string& tipo,
                       const std::string& codigo);
// date,time,usuario_replica,texto
void archivo_errores(Dialogs& dialogs, const std::string& usuario_replica, const std::string& texto);

// The message for a file of the run that cannot be written: its full path and the reason.
std::string unwritableFileMessage(const std::string& path, const std::string& reason);
// The message for an installation directory that is not recorded.
std::string unknownDirectoryMessage();

}  // namespace kalvora
