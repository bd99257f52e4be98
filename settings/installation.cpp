#include "settings/installation.h"

#include "settings/registry.h"
#include "ui/errors.h"
#include "ui/text.h"

namespace kalvora {

namespace {
constexpr const char* kKeyPath = "\\Software\\Quenti\\Kalvora2015";
constexpr const char* kValueName = "Directorio";
}  // namespace

std::string diraplicacion(Dialogs& dialogs)
{
    const auto key = RegistryKey::open(RegistryRoot::LocalMachine, kKeyPath);
    if (!key) {
        dialogs.message(ansi("No se encontró la Clave ") + rootName(RegistryRoot::LocalMachine) + kKeyPath
                        + "\\" + kValueName);
        return "";
    }
    const auto value = key->value(kValueName);
    if (!value)
        return "";
    // An expandable path is used as written, without expanding %VARIABLES%.
    if (!value->isText())
        throw Error(std::string("Invalid data type for '") + kValueName + "'");
    return value->text();
}

std::string installationFile(const std::string& directory, const std::string& name)
{
#ifdef _WIN32
    return directory + "\\" + name;
#else
    return directory + "/" + name;
#endif
}

}  // namespace kalvora
