#pragma once
// A registry of the test's own while it lives, so that tests write keys without touching
// the machine's. On Windows, HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER are redirected
// (RegOverridePredefKey) to a key below HKEY_CURRENT_USER\Software, which goes at the end;
// no administrator rights are needed. Elsewhere, a registry file in a scratch folder that
// $KALVORA_REGISTRY names.
#include "settings/registry.h"
#include "support/environment.h"
#include "support/temp_dir.h"

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kalvora::test {

class ScopedRegistry {
public:
    ScopedRegistry();
    ~ScopedRegistry();
    ScopedRegistry(const ScopedRegistry&) = delete;
    ScopedRegistry& operator=(const ScopedRegistry&) = delete;

    // Writes a value, creating its key. The data of the text types is UTF-8, as the registry
    // keeps characters; the others are the bytes stored. A 32-bit view's key of
    // HKEY_LOCAL_MACHINE\Software lies below Software\WOW6432Node, where a 32-bit installer
    // on 64-bit Windows writes it.
    void set(RegistryRoot root, const std::string& path, const std::string& name, const RegistryValue& value,
             RegistryView view = RegistryView::Bits64);
    void setText(RegistryRoot root, const std::string& path, const std::string& name, const std::string& utf8)
    {
        set(root, path, name, {RegistryType::Text, utf8});
    }

    // One of the user's regional settings by its registry name (sShortDate, sTimeFormat,
    // s1159, s2359), UTF-8. On Windows the user's real settings are changed through
    // SetLocaleInfoW, as the control panel changes them, and restored at the end.
    void setRegional(const std::string& name, const std::string& utf8);

private:
#ifdef _WIN32
    std::wstring base_;
    void* localMachine_ = nullptr;
    void* currentUser_ = nullptr;
    std::vector<std::pair<unsigned long, std::wstring>> regionalToRestore_;
#else
    void writeFile() const;

    TempDir dir_;
    ScopedEnvironmentVariable variable_;
    std::map<std::string, std::vector<std::pair<std::string, RegistryValue>>> keys_;
#endif
};

}  // namespace kalvora::test
