#include "principalconta/transmission/unreachable_source.h"

#include "base/text.h"
#include "data/wire_encryption.h"

#include <ibase.h>

namespace kalvora {

namespace {

// "host" of "host:path" or "host/port:path"; "" for a file of the embedded engine (also
// "C:\..." on Windows, whose one letter is a drive).
std::string hostPart(const std::string& location)
{
    const auto colon = location.find(':');
    if (colon == std::string::npos || colon < 2)
        return "";
    return location.substr(0, colon);
}

std::string hostName(const std::string& location)
{
    const std::string host = hostPart(location);
    return host.substr(0, host.find('/'));
}

std::string port(const std::string& location)
{
    const std::string host = hostPart(location);
    const auto slash = host.find('/');
    return slash == std::string::npos ? "3050" : host.substr(slash + 1);
}

// "SELECT", "TABLE", "AUDITORIA" as the engine names a refused right.
std::string refusedRight(const DatabaseError& e)
{
    const auto& args = e.arguments();
    if (args.size() < 3)
        return ansi("el usuario de replicación no tiene permiso para esta operación (") + e.what() + ")";
    const std::string& operation = args[0];
    const std::string what = operation == "SELECT"   ? "leer"
                             : operation == "UPDATE" ? "modificar"
                             : operation == "INSERT" ? "insertar en"
                             : operation == "DELETE" ? "borrar de"
                                                     : operation;
    const std::string& type = args[1];
    const std::string object = type == "TABLE"       ? "la tabla "
                               : type == "VIEW"      ? "la vista "
                               : type == "PROCEDURE" ? "el procedimiento "
                                                     : type + " ";
    return ansi("el usuario de replicación no tiene permiso para ") + what + " " + object + args[2];
}

}  // namespace

std::string sourceMessage(const UnreachableSource& source)
{
    return ansi("No se pudo leer la compañía de origen ") + source.nombre + " (" + source.codigo + "), servidor " +
           source.servidor + ": " + source.reason + ".";
}

std::string refusalReason(const std::exception& error, const std::string& location)
{
    const auto* e = dynamic_cast<const DatabaseError*>(&error);
    if (!e)
        return error.what();
    if (e->has(isc_wirecrypt_incompatible))
        return unencryptedWireRefusal(location);
    if (e->has(isc_login))
        return ansi("el servidor rechazó el usuario o la clave de replicación (CONFIGURACION de la compañía destino)");
    if (e->has(isc_no_priv))
        return refusedRight(*e);
    if (e->has(isc_net_lookup_err))
        return ansi("no se encontró el equipo servidor ") + hostName(location);
    if (e->has(isc_net_connect_err))
        return ansi("el equipo ") + hostName(location) + " no atiende conexiones en el puerto " + port(location) +
               ansi(" (el servidor Firebird no está en marcha o escucha en otro puerto)");
    if (e->has(isc_network_error))
        return ansi("se perdió la comunicación con el equipo ") + hostName(location) + " (" + e->what() + ")";
    if (e->has(isc_io_error))
        return ansi("no se encontró o no se pudo abrir el archivo ") + location;
    return ansi("el servidor respondió: ") + e->what();
}

std::string continueWithOtherSources() { return ansi("¿Continuar con las demás compañías de origen?"); }

}  // namespace kalvora
