#pragma once
// Dates and times written and read with a picture in the Windows notation, as the regional
// settings give them: d dd M MM yy yyyy H HH h hh m mm s ss tt; text in single quotes (''
// for a quote) and any other character are literal. Not supported, and copied as written:
// day and month names (ddd dddd MMM MMMM), y, yyy, yyyyy and the era (g gg). h and hh are
// the hour of a 12-hour clock (12, 1 ... 11); tt is the designator of the hour's half of
// the day, and t its first character.
#include "base/calendar.h"

#include <optional>
#include <string>

namespace kalvora {

// What tt writes before noon and from noon on: the regional settings' s1159 and s2359.
struct TimeDesignators {
    std::string am = "a. m.";
    std::string pm = "p. m.";
};

// Time fields in a date picture, and date fields in a time picture, are copied as written.
std::string formatDate(const Date& date, const std::string& picture);
std::string formatTime(const TimeOfDay& time, const std::string& picture, const TimeDesignators& designators);

// The user's short date and long time pictures, with the designators of tt.
struct RegionalFormats {
    std::string shortDate = "yyyy/MM/dd";  // e.g. "dd/MM/yyyy"
    std::string longTime = "HH:mm:ss";
    TimeDesignators designators;

    std::string date(const Date& d) const { return formatDate(d, shortDate); }
    std::string time(const TimeOfDay& t) const { return formatTime(t, longTime, designators); }
};

// Reads text written with a date picture; surrounding blanks are ignored, day and month take
// one or two digits, a year of one or two digits falls in 1930-2029. nullopt unless the text
// matches the picture and names a real day of the years 1 to 9999.
std::optional<Date> parseDate(const std::string& text, const std::string& picture);

}  // namespace kalvora
