#include "settings/installation.h"

#include "base/errors.h"
#include "base/text.h"
#include "settings/registry.h"

namespace kalvora {

namespace {

constexpr const char* kKeyPath = "\\Software\\Quenti\\Kalvora2015";
constexpr const char* kValueName = "Directorio";

std::string valueName() { return rootName(RegistryRoot::LocalMachine) + kKeyPath + "\\" + kValueName; }

// nullopt when the key opens in neither view.
std::optional<std::string> readDirectory()
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
    if (!opened)
        return std::nullopt;
    if (!value)
        return "";
    // An expandable path is used as written, without expanding %VARIABLES%.
    if (!value->isText())
        throw Error(std::string("Invalid data type for '") + kValueName + "'");
    return value->text();
}

}  // namespace

std::string diraplicacion(Dialogs& dialogs)
{
    const auto directory = readDirectory();
    if (!directory) {
        dialogs.message(ansi("No se encontró la Clave ") + valueName());
        return "";
    }
    return *directory;
}

std::optional<std::string> recordedInstallationDirectory()
{
    auto directory = readDirectory();
    if (!directory || directory->empty())
        return std::nullopt;
    return directory;
}

std::string installationRecordPlace()
{
#ifdef _WIN32
    return "el valor " + valueName() + " del registro de Windows";
#else
    return "el valor " + valueName() + " del archivo de registro " + registryFilePath();
#endif
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
