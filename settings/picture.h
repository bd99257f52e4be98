#pragma once
// Dates and times written and read with a picture in the Windows notation, as the regional
// settings give them: d dd M MM yy yyyy H HH h hh m mm s ss tt; text in single quotes (''
// for a quote) and any other character are literal. Not supported, and copied as written:
// day and month names (ddd dddd MMM MMMM), y, yyy, yyyyy, t and the era (g gg).
// tt is "AM" or "PM".
#include "data/calendar.h"

#include <optional>
#include <string>

namespace kalvora {

// Time fields in a date picture, and date fields in a time picture, are copied as written.
std::string formatDate(const Date& date, const std::string& picture);
std::string formatTime(const TimeOfDay& time, const std::string& picture);

// Reads text written with a date picture; surrounding blanks are ignored, day and month take
// one or two digits, a year of one or two digits falls in 1930-2029. nullopt unless the text
// matches the picture and names a real day of the years 1 to 9999.
std::optional<Date> parseDate(const std::string& text, const std::string& picture);

}  // namespace kalvora
