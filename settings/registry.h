#pragma once
// Read-only access to a registry key: the real registry on Windows, elsewhere the file
// named by $KALVORA_REGISTRY (default /etc/kalvora/kalvora.reg) in regedit's export format.
#include "settings/registry_value.h"

#include <memory>
#include <optional>
#include <string>

namespace kalvora {

enum class RegistryRoot { LocalMachine, CurrentUser };

// The two views of a 64-bit Windows registry: what 32-bit programs write below
// HKEY_LOCAL_MACHINE\Software lies apart, in Software\WOW6432Node (also in the file).
enum class RegistryView { Bits64, Bits32 };

class RegistryKey {
public:
    // Path below the root, e.g. "\Software\Quenti"; names match regardless of case.
    static std::optional<RegistryKey> open(RegistryRoot root, const std::string& path,
                                           RegistryView view = RegistryView::Bits64);

    RegistryKey(RegistryKey&&) noexcept;
    RegistryKey& operator=(RegistryKey&&) noexcept;
    ~RegistryKey();

    // "" is the key's default value.
    std::optional<RegistryValue> value(const std::string& name) const;

private:
    struct State;
    explicit RegistryKey(std::unique_ptr<State> state);
    std::unique_ptr<State> state_;
};

// "HKEY_LOCAL_MACHINE" or "HKEY_CURRENT_USER".
std::string rootName(RegistryRoot root);

#ifndef _WIN32
// The file this process reads the registry from.
std::string registryFilePath();
#endif

}  // namespace kalvora
