#pragma once
// The one source of "now", so that tests can fix the time.
#include "base/calendar.h"

#include <functional>

namespace kalvora {

using ClockSource = std::function<Timestamp()>;

// Local time from the current source: the system clock unless a ScopedClock replaced it.
Timestamp now();
Timestamp systemNow();

// Replaces the source while it lives; the previous one returns afterwards, so they nest.
class ScopedClock {
public:
    explicit ScopedClock(ClockSource source);
    explicit ScopedClock(const Timestamp& fixed);
    ~ScopedClock();
    ScopedClock(const ScopedClock&) = delete;
    ScopedClock& operator=(const ScopedClock&) = delete;

private:
    ClockSource previous_;
};

}  // namespace kalvora
