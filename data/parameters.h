#pragma once
// The named parameter list of a connection ("User_Name", "password", ...).
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kalvora {

class ParameterList {
public:
    ParameterList() = default;
    explicit ParameterList(std::vector<std::pair<std::string, std::string>> entries) : entries_(std::move(entries)) {}

    // Replaces the entry of that name (letter case and an "isc_dpb_" prefix ignored), or
    // appends one; an empty value removes the entry instead.
    void set(const std::string& name, const std::string& value);
    std::optional<std::string> get(const std::string& name) const;
    const std::vector<std::pair<std::string, std::string>>& entries() const { return entries_; }

    static bool sameName(const std::string& a, const std::string& b);

private:
    std::vector<std::pair<std::string, std::string>> entries_;
};

}  // namespace kalvora
