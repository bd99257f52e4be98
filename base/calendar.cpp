#include "base/calendar.h"

#include <chrono>

namespace kalvora {

namespace {
constexpr std::chrono::sys_days kEpoch{std::chrono::year{1858} / 11 / 17};
}

std::int32_t toDayNumber(const Date& d)
{
    const std::chrono::sys_days day{std::chrono::year{d.year} / d.month / d.day};
    return static_cast<std::int32_t>((day - kEpoch).count());
}

Date fromDayNumber(std::int32_t days)
{
    const std::chrono::year_month_day ymd{kEpoch + std::chrono::days{days}};
    return {int(ymd.year()), int(unsigned(ymd.month())), int(unsigned(ymd.day()))};
}

std::uint32_t toTimeNumber(const TimeOfDay& t)
{
    return static_cast<std::uint32_t>(((t.hour * 60 + t.minute) * 60 + t.second) * 10000 + t.fraction);
}

TimeOfDay fromTimeNumber(std::uint32_t units)
{
    TimeOfDay t;
    t.fraction = int(units % 10000);
    units /= 10000;
    t.second = int(units % 60);
    units /= 60;
    t.minute = int(units % 60);
    t.hour = int(units / 60);
    return t;
}

bool isLeapYear(int year) { return std::chrono::year{year}.is_leap(); }

int daysInMonth(int year, int month)
{
    return int(unsigned((std::chrono::year{year} / month / std::chrono::last).day()));
}

bool isStorableDate(const Date& d)
{
    return d.year >= 1 && d.year <= 9999 && d.month >= 1 && d.month <= 12 && d.day >= 1 &&
           d.day <= daysInMonth(d.year, d.month);
}

}  // namespace kalvora
