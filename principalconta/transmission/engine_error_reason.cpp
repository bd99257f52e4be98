#include "principalconta/transmission/engine_error_reason.h"

#include "base/text.h"

#include <algorithm>
#include <cctype>
#include <initializer_list>

namespace kalvora {

namespace {

bool contains(const std::string& text, const std::string& part)
{
    const auto lower = [](std::string s) {
        std::transform(s.begin(), s.end(), s.begin(), [](unsigned char ch) { return char(std::tolower(ch)); });
        return s;
    };
    return lower(text).find(lower(part)) != std::string::npos;
}

bool containsAny(const std::string& text, std::initializer_list<const char*> parts)
{
    return std::any_of(parts.begin(), parts.end(), [&](const char* part) { return contains(text, part); });
}

// The word after marker: a quoted name without its quotes, or a bare one up to a blank.
std::string nameAfter(const std::string& text, const std::string& marker)
{
    const std::size_t at = text.find(marker);
    if (at == std::string::npos)
        return {};
    std::size_t start = at + marker.size();
    if (start < text.size() && text[start] == '"') {
        const std::size_t end = text.find('"', start + 1);
        return end == std::string::npos ? std::string() : text.substr(start + 1, end - start - 1);
    }
    const std::size_t end = text.find_first_of(" \r\n", start);
    return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

// "Problematic key value is ("CUEN_COD" = '999')" gives "CUEN_COD = '999'".
std::string problematicKey(const std::string& text)
{
    const std::string marker = "Problematic key value is (";
    const std::size_t at = text.find(marker);
    if (at == std::string::npos)
        return {};
    const std::size_t start = at + marker.size();
    const std::size_t end = text.rfind(')');
    if (end == std::string::npos || end < start)
        return {};
    std::string key = text.substr(start, end - start);
    key.erase(std::remove(key.begin(), key.end(), '"'), key.end());
    return key;
}

std::string withKey(const std::string& text)
{
    const std::string key = problematicKey(text);
    return key.empty() ? std::string() : " (" + key + ")";
}

}  // namespace

EngineErrorReason explainEngineError(const std::string& text, Retry retry)
{
    const bool send = retry == Retry::Send;
    const std::string again = send ? "vuelva a enviar" : "vuelva a reparar";
    if (contains(text, "CHECK constraint"))
        return {true,
                ansi("El destino rechazó un valor por su regla de validación ") + nameAfter(text, "constraint ") +
                    " de la tabla " + nameAfter(text, "view or table ") + ".",
                ansi("Corrija el dato en la compañía de origen para que cumpla la regla, o pida que se revise la "
                     "regla en el destino, y ") +
                    again + "."};
    if (contains(text, "FOREIGN KEY constraint"))
        return {true,
                ansi("Falta en el destino el registro al que apunta este dato") + withKey(text) +
                    ansi(": lo exige la relación ") + nameAfter(text, "constraint ") + " de la tabla " +
                    nameAfter(text, "on table ") + ".",
                ansi("Cree o envíe primero ese registro (la cuenta o el tercero) al destino y ") + again + "."};
    if (contains(text, "duplicate value"))
        return {true,
                ansi("El destino ya tiene un registro con la misma clave, según el índice ") +
                    nameAfter(text, "unique index ") + ".",
                ansi("Revise en el destino el registro repetido; corríjalo o elimínelo y ") + again + "."};
    if (contains(text, "PRIMARY or UNIQUE KEY constraint"))
        return {true,
                ansi("El destino ya tiene un registro con la misma clave") + withKey(text) + ansi(", según la regla ") +
                    nameAfter(text, "constraint ") + " de la tabla " + nameAfter(text, "on table ") + ".",
                ansi("Revise en el destino el registro repetido; corríjalo o elimínelo y ") + again + "."};
    if (containsAny(text, {"lock conflict", "update conflicts with concurrent update", "deadlock"}))
        return {true, ansi("Otro usuario o programa estaba modificando el mismo registro en el destino."),
                "Espere a que termine y " + again + (send ? "; la entrada sigue pendiente." : ".")};
    if (containsAny(text, {"Error reading data from the connection", "Error writing data to the connection",
                           "connection shutdown", "connection lost", "Unable to complete network request",
                           "connection is not active"}))
        return {true, ansi("Se perdió la conexión con el servidor de base de datos."),
                ansi("Compruebe la red y que el servidor esté en marcha, y ") + again +
                    (send ? "; lo no enviado sigue pendiente." : ".")};
    if (contains(text, "user name and password are not defined"))
        return {true, ansi("El servidor rechazó el usuario o la clave."),
                ansi("Revise el usuario y la clave de replicación de la compañía de destino (o los del inicio de "
                     "sesión) y ") +
                    again + "."};
    return {false,
            {},
            ansi("Lea el mensaje del motor; corrija la causa en el origen o en el destino y ") + again +
                (send ? ". La entrada sigue pendiente." : ".")};
}

}  // namespace kalvora
