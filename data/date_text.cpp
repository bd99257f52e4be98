#include "data/date_text.h"

#include <mutex>
#include <utility>

namespace kalvora {

namespace {

std::mutex sourceMutex;

RegionalFormatsSource& source()
{
    static RegionalFormatsSource current = [] { return RegionalFormats{}; };
    return current;
}

RegionalFormatsSource exchangeSource(RegionalFormatsSource next)
{
    std::lock_guard lock(sourceMutex);
    return std::exchange(source(), std::move(next));
}

}  // namespace

RegionalFormats dateTextFormats()
{
    RegionalFormatsSource current;
    {
        std::lock_guard lock(sourceMutex);
        current = source();
    }
    return current();
}

ScopedDateText::ScopedDateText(RegionalFormatsSource source) : previous_(exchangeSource(std::move(source))) {}

ScopedDateText::~ScopedDateText() { exchangeSource(std::move(previous_)); }

}  // namespace kalvora
