#pragma once
// The user's date and time pictures, from the regional settings of the registry.
#include <string>

namespace kalvora {

struct RegionalFormats {
    std::string shortDate;  // e.g. "dd/MM/yyyy"
    std::string longTime;   // e.g. "HH:mm:ss"
};

// sShortDate and sLongTime of HKEY_CURRENT_USER\Control Panel\International, read afresh;
// "yyyy/MM/dd" and "HH:mm:ss" stand in for a value that is missing, empty or not text.
RegionalFormats regionalFormats();

}  // namespace kalvora
