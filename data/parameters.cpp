#include "data/parameters.h"

#include <algorithm>
#include <cctype>

namespace kalvora {

namespace {

std::string canonical(const std::string& name)
{
    std::string out;
    for (unsigned char c : name)
        out += char(std::tolower(c));
    const std::string prefix = "isc_dpb_";
    if (out.starts_with(prefix))
        out.erase(0, prefix.size());
    return out;
}

}  // namespace

bool ParameterList::sameName(const std::string& a, const std::string& b) { return canonical(a) == canonical(b); }

void ParameterList::set(const std::string& name, const std::string& value)
{
    auto it = std::find_if(entries_.begin(), entries_.end(), [&](const auto& e) { return sameName(e.first, name); });
    if (value.empty()) {
        if (it != entries_.end())
            entries_.erase(it);
        return;
    }
    if (it != entries_.end())
        it->second = value;
    else
        entries_.emplace_back(name, value);
}

std::optional<std::string> ParameterList::get(const std::string& name) const
{
    for (const auto& e : entries_)
        if (sameName(e.first, name))
            return e.second;
    return std::nullopt;
}

}  // namespace kalvora
