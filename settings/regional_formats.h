#pragma once
// The user's date and time pictures, from the regional settings.
#include "base/picture.h"

namespace kalvora {

// Read afresh at each call. On Windows the user's regional settings (GetLocaleInfoEx);
// elsewhere the values sShortDate, sTimeFormat (or the older sLongTime), s1159 and s2359 of
// HKEY_CURRENT_USER\Control Panel\International in the registry file. "yyyy/MM/dd" and
// "HH:mm:ss" stand in for a picture that is missing, empty or not text, "a. m." and
// "p. m." for a designator that is missing or not text.
RegionalFormats regionalFormats();

// The list separator that spreadsheets split CSV files by, read afresh: on Windows the
// user's setting (LOCALE_SLIST), elsewhere sList of the same registry key; "," when none is set.
std::string listSeparator();

}  // namespace kalvora
