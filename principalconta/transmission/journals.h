#pragma once
// ENVIO.TXT (every audit entry taken up) and ERRORES.TXT (every failed one) in the
// installation directory. A line that cannot be written is lost without a word.
#include "ui/dialogs.h"

#include <string>

namespace kalvora {

// date,time,identificador,tipo,codigo
void archivo_auditoria(Dialogs& dialogs, const std::string& identificador, const std::string& tipo,
                       const std::string& codigo);
// date,time,usuario_replica,texto
void archivo_errores(Dialogs& dialogs, const std::string& usuario_replica, const std::string& texto);

}  // namespace kalvora
