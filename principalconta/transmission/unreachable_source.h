#pragma once
// A source company that could not be opened or read: which one, on which server entry, and
// what was refused, in Spanish. The run tells the user, asks whether to go on with the other
// sources, and lists them in its outcome.
#include "base/errors.h"

#include <exception>
#include <string>

namespace kalvora {

struct UnreachableSource {
    std::string nombre;    // RPCO_NOMBRE
    std::string codigo;    // RPCO_COD
    std::string servidor;  // RPCO_SERVIDOR
    std::string reason;    // e.g. "el servidor rechazó el usuario o la clave de replicación"
};

// "No se pudo leer la compañía de origen Sede A (AAA), servidor 127.0.0.1:/srv: " + reason + "."
std::string sourceMessage(const UnreachableSource& source);

// What the server refused, from the engine's codes: the password, the rights on a table, the
// host, the port, the file, an unencrypted wire; any other failure as it came.
std::string refusalReason(const std::exception& error, const std::string& location);

// Raised where a source company is opened or read; its text is sourceMessage.
class SourceUnreachable : public Error {
public:
    explicit SourceUnreachable(UnreachableSource source) : Error(sourceMessage(source)), source_(std::move(source)) {}
    const UnreachableSource& source() const { return source_; }

private:
    UnreachableSource source_;
};

// "¿Continuar con las demás compañías de origen?", asked after each such message; Yes goes
// on with the next target.
std::string continueWithOtherSources();

}  // namespace kalvora
