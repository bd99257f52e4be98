#pragma once
// The select of one target's pending audit entries.
#include "data/calendar.h"

#include <string>
#include <vector>

namespace kalvora {

// Vouchers, accounts and third parties not yet sent, dated desde to hasta, whose code starts
// with one of the prefixes (any code when there are none), in the order they were recorded.
std::string selectionText(const Date& desde, const Date& hasta, const std::vector<std::string>& prefixes);

}  // namespace kalvora
