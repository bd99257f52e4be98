#include "settings/unencrypted_wire.h"

#include "settings/registry.h"

namespace kalvora {

namespace {
constexpr const char* kKeyPath = "\\Software\\Kalvora\\Envio";
constexpr const char* kValueName = "ConexionSinCifrar";
}  // namespace

bool unencryptedWireAllowed()
{
    for (const RegistryView view : {RegistryView::Bits64, RegistryView::Bits32}) {
        const auto key = RegistryKey::open(RegistryRoot::LocalMachine, kKeyPath, view);
        if (!key)
            continue;
        const auto value = key->value(kValueName);
        if (!value)
            continue;
        // Only an explicit 1 relaxes what protects the passwords on the wire.
        return value->type == RegistryType::DWord && value->data.size() == 4 &&
               value->data == std::string("\1\0\0\0", 4);
    }
    return false;
}

}  // namespace kalvora
