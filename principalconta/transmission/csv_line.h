#pragma once
// Lines of the CSV files the program writes for people and spreadsheets.
#include <string>
#include <vector>

namespace kalvora {

// Fields joined by commas, ended by CR LF; a field holding a comma, a quote or a line break
// is enclosed in quotes, its quotes doubled.
std::string csvLine(const std::vector<std::string>& fields);

}  // namespace kalvora
