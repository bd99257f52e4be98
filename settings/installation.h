#pragma once
// Where the program is installed, as the installer recorded it in the registry.
#include "ui/dialogs.h"

#include <optional>
#include <string>

namespace kalvora {

// The "Directorio" value of HKEY_LOCAL_MACHINE\Software\Quenti\Kalvora2015, read afresh on
// each call: from the registry's 64-bit view, or else from its 32-bit view. "" when it is
// missing or empty; when the key opens in neither view, also after telling the user. Throws
// Error when the value is not text.
std::string diraplicacion(Dialogs& dialogs);

// The same directory without a word: nullopt when it is not recorded or empty. Throws Error
// when the value is not text.
std::optional<std::string> recordedInstallationDirectory();

// Where the directory is recorded, for a message: the value's full name, and on Linux the
// registry file that holds it.
std::string installationRecordPlace();

// A file of the installation directory, e.g. "SERVIDORES.cfg" or "ENVIO.TXT".
std::string installationFile(const std::string& directory, const std::string& name);

}  // namespace kalvora
