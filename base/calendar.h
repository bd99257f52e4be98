#pragma once
// Calendar values as Firebird stores them, without any time zone.
#include <compare>
#include <cstdint>

namespace kalvora {

struct Date {
    int year = 1858;
    int month = 11;
    int day = 17;
    auto operator<=>(const Date&) const = default;
};

// Time of day; fraction in ten-thousandths of a second, as Firebird keeps it.
struct TimeOfDay {
    int hour = 0;
    int minute = 0;
    int second = 0;
    int fraction = 0;
    auto operator<=>(const TimeOfDay&) const = default;
};

struct Timestamp {
    Date date;
    TimeOfDay time;
    auto operator<=>(const Timestamp&) const = default;
};

// Days since 1858-11-17, Firebird's ISC_DATE.
std::int32_t toDayNumber(const Date& d);
Date fromDayNumber(std::int32_t days);
// Ten-thousandths of a second since midnight, Firebird's ISC_TIME.
std::uint32_t toTimeNumber(const TimeOfDay& t);
TimeOfDay fromTimeNumber(std::uint32_t units);

bool isLeapYear(int year);
int daysInMonth(int year, int month);
// A real day that Firebird can store: 0001-01-01 to 9999-12-31.
bool isStorableDate(const Date& d);

}  // namespace kalvora
