#ifndef _WIN32
#include "base/text.h"
#include "scheduling/credential_store.h"

namespace kalvora {

namespace {

[[noreturn]] void refuse()
{
    throw CredentialError(ansi("Este sistema no tiene almacén de credenciales: guarde la clave en un archivo que "
                               "solo lea su dueño y pásela con \"-\" y KALVORA_PASSWORD"));
}

}  // namespace

bool credentialStoreAvailable() { return false; }
void storeCredential(const std::string&, const std::string&) { refuse(); }
std::optional<std::string> readCredential(const std::string&) { refuse(); }
bool deleteCredential(const std::string&) { refuse(); }

}  // namespace kalvora
#endif
