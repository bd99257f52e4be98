#include "data/date_text.h"

#include "base/replaceable_source.h"

#include <utility>

namespace kalvora {

namespace {

ReplaceableSource<RegionalFormats>& source()
{
    static ReplaceableSource<RegionalFormats> current([] { return RegionalFormats{}; });
    return current;
}

}  // namespace

RegionalFormats dateTextFormats() { return source()(); }

ScopedDateText::ScopedDateText(RegionalFormatsSource source) : previous_(kalvora::source().exchange(std::move(source)))
{
}

ScopedDateText::~ScopedDateText() { source().exchange(std::move(previous_)); }

}  // namespace kalvora
