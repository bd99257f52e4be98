#include "settings/registry.h"

#include <algorithm>

#ifdef _WIN32
#include <windows.h>
#else
#include "settings/registry_file.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <iterator>
#endif

namespace kalvora {

namespace {

std::string withoutLeadingBackslashes(const std::string& path)
{
    return path.substr(std::min(path.find_first_not_of('\\'), path.size()));
}

}  // namespace

std::string rootName(RegistryRoot root)
{
    return root == RegistryRoot::LocalMachine ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
}

#ifdef _WIN32

struct RegistryKey::State {
    HKEY handle;
    ~State() { RegCloseKey(handle); }
};

std::optional<RegistryKey> RegistryKey::open(RegistryRoot root, const std::string& path, RegistryView view)
{
    HKEY handle = nullptr;
    const HKEY rootHandle = root == RegistryRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    const REGSAM access = KEY_READ | (view == RegistryView::Bits32 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY);
    if (RegOpenKeyExA(rootHandle, withoutLeadingBackslashes(path).c_str(), 0, access, &handle) != ERROR_SUCCESS)
        return std::nullopt;
    return RegistryKey(std::make_unique<State>(handle));
}

std::optional<RegistryValue> RegistryKey::value(const std::string& name) const
{
    DWORD type = 0;
    DWORD size = 0;
    LONG rc = RegQueryValueExA(state_->handle, name.c_str(), nullptr, &type, nullptr, &size);
    std::string data;
    // The value may grow between the two calls.
    while (rc == ERROR_SUCCESS || rc == ERROR_MORE_DATA) {
        data.resize(size + 1);
        DWORD got = size + 1;
        rc = RegQueryValueExA(state_->handle, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &got);
        if (rc == ERROR_SUCCESS) {
            data.resize(got);
            return RegistryValue{RegistryType(type), std::move(data)};
        }
        size = got;
    }
    return std::nullopt;
}

#else

struct RegistryKey::State {
    RegistryFileKey key;
};

std::string registryFilePath()
{
    const char* path = std::getenv("KALVORA_REGISTRY");
    return path && *path ? path : "/etc/kalvora/kalvora.reg";
}

namespace {

// A file exported on 64-bit Windows keeps the 32-bit view's keys where the registry does.
std::string pathInView(RegistryRoot root, const std::string& path, RegistryView view)
{
    std::string relative = withoutLeadingBackslashes(path);
    const std::string software = "software\\";
    const bool belowSoftware = relative.size() >= software.size() &&
                               std::equal(software.begin(), software.end(), relative.begin(), [](char s, char r) {
                                   return s == std::tolower(static_cast<unsigned char>(r));
                               });
    if (view == RegistryView::Bits32 && root == RegistryRoot::LocalMachine && belowSoftware)
        relative.insert(software.size(), "WOW6432Node\\");
    return relative;
}

}  // namespace

std::optional<RegistryKey> RegistryKey::open(RegistryRoot root, const std::string& path, RegistryView view)
{
    std::ifstream file(registryFilePath(), std::ios::binary);
    if (!file)
        return std::nullopt;
    const std::string content{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    auto key = readRegistryFileKey(content, rootName(root) + "\\" + pathInView(root, path, view));
    if (!key)
        return std::nullopt;
    return RegistryKey(std::make_unique<State>(State{std::move(*key)}));
}

std::optional<RegistryValue> RegistryKey::value(const std::string& name) const { return state_->key.value(name); }

#endif

RegistryKey::RegistryKey(std::unique_ptr<State> state) : state_(std::move(state)) {}
RegistryKey::RegistryKey(RegistryKey&&) noexcept = default;
RegistryKey& RegistryKey::operator=(RegistryKey&&) noexcept = default;
RegistryKey::~RegistryKey() = default;

}  // namespace kalvora
