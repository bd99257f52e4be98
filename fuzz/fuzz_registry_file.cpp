// The registry file (regedit's export format) as the program reads it: the parser, the
// installation directory and the regional pictures taken from it, and dates and times
// written and read with those pictures.
#include "base/errors.h"
#include "base/picture.h"
#include "fuzz/check.h"
#include "fuzz/input.h"
#include "fuzz/scratch.h"
#include "settings/installation.h"
#include "settings/regional_formats.h"
#include "settings/registry_file.h"
#include "ui/scripted_dialogs.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>

using namespace kalvora;
using kalvora::fuzz::require;

namespace {

char lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

bool sameName(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i]))
            return false;
    return true;
}

void checkKey(const RegistryFileKey& key)
{
    for (std::size_t i = 0; i < key.values.size(); ++i) {
        const auto& [name, value] = key.values[i];
        for (std::size_t j = i + 1; j < key.values.size(); ++j)
            require(!sameName(name, key.values[j].first), "one value per name");
        require(value.text().find('\0') == std::string::npos, "text ends at its first NUL");
        require(key.value(name).has_value(), "every value is found by its name");
    }
}

// Written in the installation file that $KALVORA_REGISTRY names, then read the program's way.
// On Windows the program reads the real registry, so only the pictures of the current user
// are exercised there.
void readAsTheProgramDoes(const std::string& content)
{
#ifdef _WIN32
    static_cast<void>(content);
#else
    const std::string path = kalvora::fuzz::scratchFolder() + "/kalvora.reg";
    setenv("KALVORA_REGISTRY", path.c_str(), 1);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
#endif

    ScriptedDialogs dialogs;
    try {
        const std::string directory = diraplicacion(dialogs);
        require(directory.find('\0') == std::string::npos, "the directory ends at its first NUL");
    } catch (const Error&) {
        // A value that is not text: the error the user is shown.
    }
    const RegionalFormats formats = regionalFormats();
    require(!formats.shortDate.empty() && !formats.longTime.empty(), "pictures are never empty");
    for (const Date& date : {Date{2026, 12, 9}, Date{1, 1, 1}, Date{9999, 12, 31}}) {
        const std::string text = formatDate(date, formats.shortDate);
        parseDate(text, formats.shortDate);
    }
    formats.time(TimeOfDay{23, 59, 58, 9999});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    kalvora::fuzz::Input input(data, size);
    std::string keyPath;
    switch (input.choice(3)) {
    case 0:
        keyPath = "HKEY_LOCAL_MACHINE\\Software\\Quenti\\Kalvora2015";
        break;
    case 1:
        keyPath = "HKEY_CURRENT_USER\\Control Panel\\International";
        break;
    default:
        keyPath = input.bytes(60);
    }
    const std::string content = input.rest();
    if (const auto key = readRegistryFileKey(content, keyPath))
        checkKey(*key);
    readAsTheProgramDoes(content);
    return 0;
}
