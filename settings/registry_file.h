#pragma once
// Reader of the text the Windows registry editor exports ("Windows Registry Editor
// Version 5.00"), which stands in for the registry off Windows.
#include "settings/registry_value.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kalvora {

struct RegistryFileKey {
    // Names unique regardless of case; a later line replaces an earlier one.
    std::vector<std::pair<std::string, RegistryValue>> values;

    std::optional<RegistryValue> value(const std::string& name) const;
};

// The key at keyPath (e.g. "HKEY_CURRENT_USER\Control Panel\International") of the file
// whose bytes are content; nullopt when the file has no section for it or no valid header.
// Lines that cannot be read are skipped.
std::optional<RegistryFileKey> readRegistryFileKey(const std::string& content, const std::string& keyPath);

}  // namespace kalvora
