#include "settings/regional_formats.h"

#include "settings/registry.h"

namespace kalvora {

namespace {

std::string textOr(const std::optional<RegistryKey>& key, const char* name, const char* fallback)
{
    const auto value = key ? key->value(name) : std::nullopt;
    if (!value || !value->isText() || value->text().empty())
        return fallback;
    return value->text();
}

}  // namespace

RegionalFormats regionalFormats()
{
    const auto key = RegistryKey::open(RegistryRoot::CurrentUser, "\\Control Panel\\International");
    return {textOr(key, "sShortDate", "yyyy/MM/dd"), textOr(key, "sLongTime", "HH:mm:ss")};
}

}  // namespace kalvora
