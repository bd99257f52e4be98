// mensaje_error on any message text: the first phrase found decides, a quoted name is text
// of the message without its quotes, and anything else is shown whole after the preface.
#include "base/text.h"
#include "ctrlaccesoconta/error_messages.h"
#include "fuzz/check.h"
#include "ui/scripted_dialogs.h"

#include <cstdint>

using namespace kalvora;
using kalvora::fuzz::require;

namespace {

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// Firebird 3's wording: I/O error during "open" operation for file "PATH".
bool currentIoWording(const std::string& m)
{
    const std::size_t during = m.find("I/O error during ");
    return during != std::string::npos && m.find(" operation for file", during) != std::string::npos;
}

// The name after a Spanish lead-in: never a quote, always a piece of the message.
void requireName(const std::string& shown, const std::string& lead, const std::string& m)
{
    require(shown.starts_with(lead), "the Spanish lead-in");
    const std::string name = shown.substr(lead.size());
    require(name.find('"') == std::string::npos, "the name without its quotes");
    require(name.empty() || contains(m, '"' + name + '"'), "the name stands in quotes in the message");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string m(reinterpret_cast<const char*>(data), size);
    const std::string shown = mensaje_error(m);

    if (contains(m, "Your user name and password are not defined"))
        require(shown == "El nombre de Usuario o la clave son incorrectas.", "refused sign-in");
    else if (contains(m, "I/O error for file") || currentIoWording(m))
        requireName(shown, ansi("No se encontró el archivo o la ruta "), m);
    else if (contains(m, "Unable to complete network request"))
        requireName(shown, ansi("No se encontró el equipo servidor con nombre "), m);
    else
        require(shown == "Se presento el siguiente error: " + m, "anything else whole after the preface");

    ScriptedDialogs dialogs;
    ENoManejada(dialogs, m);
    require(dialogs.events() == std::vector<ScriptedDialogs::Event>{{ScriptedDialogs::Kind::Message, shown}},
            "one plain box with that text");
    return 0;
}
