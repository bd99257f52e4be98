#pragma once
// Text put into HTML or XML, as character data or as an attribute's value.
#include <string>

namespace kalvora {

// &, <, > and " as their entities; every other byte as it is.
std::string escapeMarkup(const std::string& text);

}  // namespace kalvora
