#include "settings/installation.h"

#include "base/errors.h"
#include "base/text.h"
#include "settings/registry.h"

namespace kalvora {

namespace {
constexpr const char* kKeyPath = "\\Software\\Quenti\\Kalvora2015";
constexpr const char* kValueName = "Directorio";
}  // namespace

std::string diraplicacion(Dialogs& dialogs)
{
    // A 32-bit installer on 64-bit Windows writes the key into the 32-bit view, which a
    // 64-bit program does not see by default.
    bool opened = false;
    std::optional<RegistryValue> value;
    for (const RegistryView view : {RegistryView::Bits64, RegistryView::Bits32}) {
        const auto key = RegistryKey::open(RegistryRoot::LocalMachine, kKeyPath, view);
        if (!key)
            continue;
        opened = true;
        value = key->value(kValueName);
        if (value)
            break;
    }
    if (!opened) {
        dialogs.message(ansi("No se encontró la Clave ") + rootName(RegistryRoot::LocalMachine) + kKeyPath + "\\" +
                        kValueName);
        return "";
    }
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
