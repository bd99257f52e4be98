#pragma once
// One value of a registry key, typed as the registry types it.
#include <cstdint>
#include <string>

namespace kalvora {

// Numbered as the registry numbers them (REG_SZ is 1 ...), so that any type fits.
enum class RegistryType : std::uint32_t {
    None = 0,
    Text = 1,
    ExpandableText = 2,
    Binary = 3,
    DWord = 4,
    MultiText = 7,
    QWord = 11,
};

struct RegistryValue {
    RegistryType type = RegistryType::None;
    // Text types: the characters (UTF-8 off Windows), possibly with NULs;
    // the others: the stored bytes, numbers little-endian.
    std::string data;

    bool isText() const { return type == RegistryType::Text || type == RegistryType::ExpandableText; }
    // The data up to its first NUL, as a C string reader sees it.
    std::string text() const { return data.substr(0, data.find('\0')); }
};

}  // namespace kalvora
