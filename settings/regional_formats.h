#pragma once
// The user's date and time pictures, from the regional settings.
#include "base/picture.h"

#include <string>

namespace kalvora {

struct RegionalFormats {
    std::string shortDate;  // e.g. "dd/MM/yyyy"
    std::string longTime;   // e.g. "HH:mm:ss"
    TimeDesignators designators;

    std::string date(const Date& d) const { return formatDate(d, shortDate); }
    std::string time(const TimeOfDay& t) const { return formatTime(t, longTime, designators); }
};

// Read afresh at each call. On Windows the user's regional settings (GetLocaleInfoEx);
// elsewhere the values sShortDate, sTimeFormat (or the older sLongTime), s1159 and s2359 of
// HKEY_CURRENT_USER\Control Panel\International in the registry file. "yyyy/MM/dd" and
// "HH:mm:ss" stand in for a picture that is missing, empty or not text, "a. m." and
// "p. m." for a designator that is missing or not text.
RegionalFormats regionalFormats();

}  // namespace kalvora
