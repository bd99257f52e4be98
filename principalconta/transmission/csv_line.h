#pragma once
// Lines of the CSV files the program writes for people and spreadsheets.
#include <string>
#include <string_view>
#include <vector>

namespace kalvora {

// Fields joined by the separator, ended by CR LF; a field holding the separator, a quote or
// a line break is enclosed in quotes, its quotes doubled.
std::string csvLine(const std::vector<std::string>& fields, std::string_view separator = ",");

}  // namespace kalvora
