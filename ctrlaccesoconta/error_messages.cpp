#include "ctrlaccesoconta/error_messages.h"

#include "base/text.h"
#include "ui/guard.h"

#include <string_view>

namespace kalvora {

namespace {

// The text between the first double quote at or after `from` and the next one; "" when
// there are not two.
std::string quotedName(const std::string& m, std::size_t from)
{
    const std::size_t open = m.find('"', from);
    if (open == std::string::npos)
        return "";
    const std::size_t close = m.find('"', open + 1);
    if (close == std::string::npos)
        return "";
    return m.substr(open + 1, close - open - 1);
}

// Firebird 3 words a missing database as I/O error during "open" operation for file "PATH":
// the position past "for file", where the name's quotes follow; npos for other wordings.
std::size_t pastCurrentIoErrorWording(const std::string& m)
{
    constexpr std::string_view tail = " operation for file";
    const std::size_t during = m.find("I/O error during ");
    const std::size_t found = during == std::string::npos ? during : m.find(tail, during);
    return found == std::string::npos ? found : found + tail.size();
}

}  // namespace

std::string mensaje_error(const std::string& m)
{
    if (m.find("Your user name and password are not defined") != std::string::npos)
        return "El nombre de Usuario o la clave son incorrectas.";
    if (m.find("I/O error for file") != std::string::npos)
        return ansi("No se encontró el archivo o la ruta ") + quotedName(m, 0);
    if (const std::size_t after = pastCurrentIoErrorWording(m); after != std::string::npos)
        return ansi("No se encontró el archivo o la ruta ") + quotedName(m, after);
    if (m.find("Unable to complete network request") != std::string::npos)
        return ansi("No se encontró el equipo servidor con nombre ") + quotedName(m, 0);
    return "Se presento el siguiente error: " + m;
}

void ENoManejada(Dialogs& dialogs, const std::string& message) { dialogs.message(mensaje_error(message)); }

bool runGuarded(Dialogs& dialogs, const std::function<void()>& action)
{
    return runGuarded(dialogs, ENoManejada, action);
}

}  // namespace kalvora
