#pragma once
// Values written into the SQL texts the transmission builds by concatenation.
#include "base/calendar.h"

#include <string>

namespace kalvora {

// An SQL string literal: enclosed in single quotes, each inner quote doubled.
std::string quoted(const std::string& text);

// A date literal written year first ('2026-12-09'), which Firebird reads the same way
// whatever the user's date format is.
std::string quotedDate(const Date& date);

}  // namespace kalvora
