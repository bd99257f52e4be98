#include "support/scoped_registry.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <stdexcept>

#ifdef _WIN32
#include <windows.h>

#include <random>
#endif

namespace kalvora::test {

namespace {

std::string withoutLeadingBackslashes(const std::string& path)
{
    return path.substr(std::min(path.find_first_not_of('\\'), path.size()));
}

bool startsWithSoftware(const std::string& path)
{
    const std::string prefix = "software\\";
    if (path.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (char(std::tolower(static_cast<unsigned char>(path[i]))) != prefix[i])
            return false;
    return true;
}

// Where a key of the given view lies, seen from the 64-bit view.
std::string pathInView(RegistryRoot root, const std::string& path, RegistryView view)
{
    std::string relative = withoutLeadingBackslashes(path);
    if (view == RegistryView::Bits32 && root == RegistryRoot::LocalMachine && startsWithSoftware(relative))
        relative.insert(9, "WOW6432Node\\");
    return relative;
}

}  // namespace

#ifdef _WIN32

namespace {

std::wstring wide(const std::string& utf8)
{
    if (utf8.empty())
        return {};
    std::wstring out(std::size_t(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0)), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), out.data(), int(out.size()));
    return out;
}

void require(LONG rc, const char* what)
{
    if (rc != ERROR_SUCCESS)
        throw std::runtime_error(std::string("registry: ") + what + " failed with " + std::to_string(rc));
}

HKEY createKey(HKEY parent, const std::wstring& path)
{
    HKEY key = nullptr;
    require(RegCreateKeyExW(parent, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            "RegCreateKeyExW");
    return key;
}

LCTYPE regionalType(const std::string& name)
{
    if (name == "sShortDate")
        return LOCALE_SSHORTDATE;
    if (name == "sTimeFormat")
        return LOCALE_STIMEFORMAT;
    if (name == "s1159")
        return LOCALE_S1159;
    if (name == "s2359")
        return LOCALE_S2359;
    throw std::invalid_argument("no regional setting " + name);
}

}  // namespace

ScopedRegistry::ScopedRegistry() : base_(L"Software\\kalvora-test-" + std::to_wstring(std::random_device{}()))
{
    const HKEY base = createKey(HKEY_CURRENT_USER, base_);
    localMachine_ = createKey(base, L"HKEY_LOCAL_MACHINE");
    currentUser_ = createKey(base, L"HKEY_CURRENT_USER");
    RegCloseKey(base);
    require(RegOverridePredefKey(HKEY_LOCAL_MACHINE, static_cast<HKEY>(localMachine_)), "RegOverridePredefKey");
    require(RegOverridePredefKey(HKEY_CURRENT_USER, static_cast<HKEY>(currentUser_)), "RegOverridePredefKey");
}

ScopedRegistry::~ScopedRegistry()
{
    for (auto it = regionalToRestore_.rbegin(); it != regionalToRestore_.rend(); ++it)
        SetLocaleInfoW(LOCALE_USER_DEFAULT, it->first, it->second.c_str());
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    RegCloseKey(static_cast<HKEY>(localMachine_));
    RegCloseKey(static_cast<HKEY>(currentUser_));
    RegDeleteTreeW(HKEY_CURRENT_USER, base_.c_str());
}

void ScopedRegistry::set(RegistryRoot root, const std::string& path, const std::string& name,
                         const RegistryValue& value, RegistryView view)
{
    const HKEY parent = static_cast<HKEY>(root == RegistryRoot::LocalMachine ? localMachine_ : currentUser_);
    const HKEY key = createKey(parent, wide(pathInView(root, path, view)));
    std::string bytes = value.data;
    if (value.type == RegistryType::Text || value.type == RegistryType::ExpandableText ||
        value.type == RegistryType::MultiText) {
        const std::wstring text = wide(value.data) + L'\0';
        bytes.assign(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    }
    const LONG rc = RegSetValueExW(key, wide(name).c_str(), 0, DWORD(value.type),
                                   reinterpret_cast<const BYTE*>(bytes.data()), DWORD(bytes.size()));
    RegCloseKey(key);
    require(rc, "RegSetValueExW");
}

void ScopedRegistry::setRegional(const std::string& name, const std::string& utf8)
{
    const LCTYPE type = regionalType(name);
    wchar_t previous[128] = {};
    GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type, previous, 128);
    regionalToRestore_.emplace_back(type, previous);
    if (!SetLocaleInfoW(LOCALE_USER_DEFAULT, type, wide(utf8).c_str()))
        throw std::runtime_error("SetLocaleInfoW refused " + name + " = " + utf8);
}

#else

namespace {

// UTF-8 to UTF-16LE bytes, as regedit writes text in hex; only well-formed text is written.
std::string utf16le(const std::string& utf8)
{
    std::string out;
    auto unit = [&](std::uint32_t u) {
        out += char(u & 0xFF);
        out += char(u >> 8);
    };
    for (std::size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        const int extra = b < 0x80 ? 0 : b < 0xE0 ? 1 : b < 0xF0 ? 2 : 3;
        std::uint32_t cp = extra == 0 ? b : b & (0x3F >> extra);
        for (int k = 1; k <= extra && i + std::size_t(k) < utf8.size(); ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + std::size_t(k)]) & 0x3F);
        i += std::size_t(extra) + 1;
        if (cp >= 0x10000) {
            unit(0xD800 + ((cp - 0x10000) >> 10));
            unit(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            unit(cp);
        }
    }
    return out;
}

std::string quoted(const std::string& text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string hex(RegistryType type, const std::string& bytes)
{
    std::string out = "hex(" + std::to_string(unsigned(type)) + "):";
    char byte[4];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(byte, sizeof byte, i ? ",%02x" : "%02x", unsigned(static_cast<unsigned char>(bytes[i])));
        out += byte;
    }
    return out;
}

std::string data(const RegistryValue& value)
{
    switch (value.type) {
    case RegistryType::Text:
        return quoted(value.data);
    case RegistryType::ExpandableText:
    case RegistryType::MultiText:
        return hex(value.type, utf16le(value.data) + std::string(2, '\0'));
    default:
        return hex(value.type, value.data);
    }
}

}  // namespace

ScopedRegistry::ScopedRegistry() : variable_("KALVORA_REGISTRY", dir_.file("kalvora.reg")) {}

ScopedRegistry::~ScopedRegistry() = default;

void ScopedRegistry::set(RegistryRoot root, const std::string& path, const std::string& name,
                         const RegistryValue& value, RegistryView view)
{
    auto& values = keys_[rootName(root) + "\\" + pathInView(root, path, view)];
    values.emplace_back(name, value);
    writeFile();
}

void ScopedRegistry::setRegional(const std::string& name, const std::string& utf8)
{
    setText(RegistryRoot::CurrentUser, "Control Panel\\International", name, utf8);
}

void ScopedRegistry::writeFile() const
{
    std::ofstream file(dir_.file("kalvora.reg"), std::ios::binary | std::ios::trunc);
    file << "Windows Registry Editor Version 5.00\r\n";
    for (const auto& [key, values] : keys_) {
        file << "\r\n[" << key << "]\r\n";
        for (const auto& [name, value] : values)
            file << quoted(name) << "=" << data(value) << "\r\n";
    }
}

#endif

}  // namespace kalvora::test
