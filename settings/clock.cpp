#include "settings/clock.h"

#include "base/replaceable_source.h"

#include <chrono>
#include <ctime>
#include <utility>

namespace kalvora {

namespace {

ReplaceableSource<Timestamp>& source()
{
    static ReplaceableSource<Timestamp> current(systemNow);
    return current;
}

}  // namespace

Timestamp systemNow()
{
    using namespace std::chrono;
    const auto sinceEpoch = system_clock::now().time_since_epoch();
    const auto wholeSeconds = floor<seconds>(sinceEpoch);
    const std::time_t epochSeconds = wholeSeconds.count();
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &epochSeconds);
#else
    localtime_r(&epochSeconds, &local);
#endif
    const auto fraction = duration_cast<microseconds>(sinceEpoch - wholeSeconds).count() / 100;
    return {{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday},
            {local.tm_hour, local.tm_min, local.tm_sec, int(fraction)}};
}

Timestamp now() { return source()(); }

ScopedClock::ScopedClock(ClockSource source) : previous_(kalvora::source().exchange(std::move(source))) {}

ScopedClock::ScopedClock(const Timestamp& fixed) : ScopedClock([fixed] { return fixed; }) {}

ScopedClock::~ScopedClock() { source().exchange(std::move(previous_)); }

}  // namespace kalvora
