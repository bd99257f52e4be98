#pragma once
// The select of one target's pending audit entries.
#include "base/calendar.h"

#include <string>
#include <vector>

namespace kalvora {

// Vouchers, accounts and third parties not yet sent, dated desde to hasta, whose code starts
// with one of the prefixes (any code when there are none), in the order they were recorded.
std::string selectionText(const Date& desde, const Date& hasta, const std::vector<std::string>& prefixes);

// "column >= 'desde' and column <= 'hasta'".
std::string dateCondition(const std::string& column, const Date& desde, const Date& hasta);

// The prefix filter on a code expression: "((substring(code from 1 for 2) = 'CE') or ...)";
// "" without prefixes.
std::string prefixCondition(const std::string& code, const std::vector<std::string>& prefixes);

}  // namespace kalvora
