#pragma once
// Whether an attachment through a server must encrypt the wire. The data layer does not
// know where the user keeps that choice: the programs hand down a source, which every
// attachment asks afresh; without one, encryption is required.
#include <functional>
#include <string>

namespace kalvora {

// True relaxes "WireCrypt = Required" to "WireCrypt = Enabled".
using UnencryptedWireSource = std::function<bool()>;

// The attachment's own configuration entry (isc_dpb_config), e.g. "WireCrypt = Required".
std::string wireCryptConfig();

// What the user reads when a server refuses to encrypt the wire of location: why, and the two
// ways to allow it (the server's firebird.conf, or the program's registry value).
std::string unencryptedWireRefusal(const std::string& location);

// Replaces the source while it lives; the previous one returns afterwards, so they nest.
class ScopedWireEncryption {
public:
    explicit ScopedWireEncryption(UnencryptedWireSource source);
    ~ScopedWireEncryption();
    ScopedWireEncryption(const ScopedWireEncryption&) = delete;
    ScopedWireEncryption& operator=(const ScopedWireEncryption&) = delete;

private:
    UnencryptedWireSource previous_;
};

}  // namespace kalvora
