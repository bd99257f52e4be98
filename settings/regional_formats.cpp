#include "settings/regional_formats.h"

#ifdef _WIN32
#include "base/text.h"

#include <windows.h>
#else
#include "settings/registry.h"
#endif

#include <optional>
#include <string>
#include <string_view>

namespace kalvora {

namespace {

constexpr const char* kShortDate = "yyyy/MM/dd";
constexpr const char* kLongTime = "HH:mm:ss";
constexpr const char* kListSeparator = ",";

#ifdef _WIN32

// The setting in the program's text, or nullopt when Windows has none.
std::optional<std::string> localeInfo(LCTYPE type)
{
    wchar_t text[128];
    const int n = GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type, text, 128);
    if (n <= 0)
        return std::nullopt;
    char utf8[512];
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, n - 1, utf8, sizeof utf8, nullptr, nullptr);
    return ansi(std::string_view(utf8, std::size_t(bytes > 0 ? bytes : 0)));
}

std::string pictureOr(LCTYPE type, const char* fallback)
{
    const auto picture = localeInfo(type);
    return picture && !picture->empty() ? *picture : fallback;
}

}  // namespace

RegionalFormats regionalFormats()
{
    RegionalFormats formats{pictureOr(LOCALE_SSHORTDATE, kShortDate), pictureOr(LOCALE_STIMEFORMAT, kLongTime), {}};
    if (const auto am = localeInfo(LOCALE_S1159))
        formats.designators.am = *am;
    if (const auto pm = localeInfo(LOCALE_S2359))
        formats.designators.pm = *pm;
    return formats;
}

std::string listSeparator() { return pictureOr(LOCALE_SLIST, kListSeparator); }

#else

std::optional<std::string> text(const std::optional<RegistryKey>& key, const char* name)
{
    const auto value = key ? key->value(name) : std::nullopt;
    if (!value || !value->isText())
        return std::nullopt;
    return value->text();
}

std::string pictureOr(const std::optional<std::string>& picture, const char* fallback)
{
    return picture && !picture->empty() ? *picture : fallback;
}

}  // namespace

RegionalFormats regionalFormats()
{
    const auto key = RegistryKey::open(RegistryRoot::CurrentUser, "\\Control Panel\\International");
    // sTimeFormat is the name Windows uses; files written before knew it as sLongTime.
    auto time = text(key, "sTimeFormat");
    if (!time || time->empty())
        time = text(key, "sLongTime");
    RegionalFormats formats{pictureOr(text(key, "sShortDate"), kShortDate), pictureOr(time, kLongTime), {}};
    if (const auto am = text(key, "s1159"))
        formats.designators.am = *am;
    if (const auto pm = text(key, "s2359"))
        formats.designators.pm = *pm;
    return formats;
}

std::string listSeparator()
{
    const auto key = RegistryKey::open(RegistryRoot::CurrentUser, "\\Control Panel\\International");
    return pictureOr(text(key, "sList"), kListSeparator);
}

#endif

}  // namespace kalvora
