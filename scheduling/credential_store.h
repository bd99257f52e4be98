#pragma once
// The user's own store of secrets, where the scheduled run keeps its password: the Windows
// credential manager (one generic credential per name, readable by that user only). Other
// systems have none here; there every call throws.
#include <optional>
#include <stdexcept>
#include <string>

namespace kalvora {

// Text in Windows-1252, like all program text.
class CredentialError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Whether this system has the store.
bool credentialStoreAvailable();

// The credential's name for a destination company: "kalvora-envio/COMPANY".
std::string credentialName(const std::string& company);

// Longest secret the store takes, in UTF-16 code units.
inline constexpr std::size_t kLongestStoredSecret = 1280;

// name and secret in UTF-8. Replaces what the name held.
void storeCredential(const std::string& name, const std::string& secret);
// nullopt when nothing is stored under the name.
std::optional<std::string> readCredential(const std::string& name);
// false when nothing was stored under the name.
bool deleteCredential(const std::string& name);

}  // namespace kalvora
