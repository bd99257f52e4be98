#pragma once
// The default range of registration dates: the whole current month.
#include "base/calendar.h"

namespace kalvora {

struct DateRange {
    Timestamp desde;
    Timestamp hasta;
};

// From the first day at 00:00 to the last day (28 to 31) at 23:59:59.999.
DateRange monthOf(const Date& day);

}  // namespace kalvora
