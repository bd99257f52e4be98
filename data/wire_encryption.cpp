#include "data/wire_encryption.h"

#include "base/replaceable_source.h"
#include "base/text.h"

#include <utility>

namespace kalvora {

namespace {

ReplaceableSource<bool>& source()
{
    static ReplaceableSource<bool> current([] { return false; });
    return current;
}

}  // namespace

std::string wireCryptConfig() { return source()() ? "WireCrypt = Enabled" : "WireCrypt = Required"; }

std::string unencryptedWireRefusal(const std::string& location)
{
    return ansi("El servidor de ") + location +
           ansi(" no cifra la conexión (WireCrypt = Disabled) y el programa no envía datos ni claves sin cifrar. "
                "Ponga WireCrypt = Enabled en el firebird.conf del servidor, o permita conexiones sin cifrar con "
                "el valor ConexionSinCifrar = 1 (DWORD) de HKEY_LOCAL_MACHINE\\Software\\Kalvora\\Envio.");
}

ScopedWireEncryption::ScopedWireEncryption(UnencryptedWireSource source)
    : previous_(kalvora::source().exchange(std::move(source)))
{
}

ScopedWireEncryption::~ScopedWireEncryption() { source().exchange(std::move(previous_)); }

}  // namespace kalvora
