#include "principalconta/date_range.h"

namespace kalvora {

DateRange monthOf(const Date& day)
{
    DateRange range;
    range.desde.date = {day.year, day.month, 1};
    range.hasta.date = {day.year, day.month, daysInMonth(day.year, day.month)};
    range.hasta.time = {23, 59, 59, 9990};
    return range;
}

}  // namespace kalvora
