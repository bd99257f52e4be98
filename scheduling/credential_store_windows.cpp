#ifdef _WIN32
#include "base/text.h"
#include "scheduling/credential_store.h"
#include "scheduling/wide_text.h"

#include <windows.h>

#include <wincred.h>

namespace kalvora {

namespace {

std::wstring wide(const std::string& text)
{
    const std::u16string units = utf16(text);
    return {units.begin(), units.end()};
}

[[noreturn]] void refuse(const char* what, const std::string& name)
{
    throw CredentialError(ansi(what) + ansi(name) + " (error " + std::to_string(GetLastError()) + ")");
}

}  // namespace

bool credentialStoreAvailable() { return true; }

void storeCredential(const std::string& name, const std::string& secret)
{
    const std::wstring target = wide(name);
    std::wstring blob = wide(secret);
    if (blob.size() > kLongestStoredSecret)
        throw CredentialError(ansi("La clave es demasiado larga para el almacén de credenciales de Windows (") +
                              std::to_string(blob.size()) + " de " + std::to_string(kLongestStoredSecret) + ")");
    CREDENTIALW credential{};
    credential.Type = CRED_TYPE_GENERIC;
    credential.TargetName = const_cast<wchar_t*>(target.c_str());
    credential.CredentialBlobSize = DWORD(blob.size() * sizeof(wchar_t));
    credential.CredentialBlob = reinterpret_cast<BYTE*>(blob.data());
    // Kept across sessions on this machine, for this user only, as the task runs.
    credential.Persist = CRED_PERSIST_LOCAL_MACHINE;
    const bool written = CredWriteW(&credential, 0);
    SecureZeroMemory(blob.data(), blob.size() * sizeof(wchar_t));
    if (!written)
        refuse("No se pudo guardar la clave en el almacén de credenciales de Windows: ", name);
}

std::optional<std::string> readCredential(const std::string& name)
{
    CREDENTIALW* credential = nullptr;
    if (!CredReadW(wide(name).c_str(), CRED_TYPE_GENERIC, 0, &credential)) {
        if (GetLastError() == ERROR_NOT_FOUND)
            return std::nullopt;
        refuse("No se pudo leer la clave del almacén de credenciales de Windows: ", name);
    }
    const auto* units = reinterpret_cast<const char16_t*>(credential->CredentialBlob);
    std::u16string secret(units, credential->CredentialBlobSize / sizeof(char16_t));
    SecureZeroMemory(credential->CredentialBlob, credential->CredentialBlobSize);
    CredFree(credential);
    return utf8(secret);
}

bool deleteCredential(const std::string& name)
{
    if (CredDeleteW(wide(name).c_str(), CRED_TYPE_GENERIC, 0))
        return true;
    if (GetLastError() == ERROR_NOT_FOUND)
        return false;
    refuse("No se pudo borrar la clave del almacén de credenciales de Windows: ", name);
}

}  // namespace kalvora
#endif
