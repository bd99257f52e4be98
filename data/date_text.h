#pragma once
// The pictures with which dates and times become text (Value::asText) and text becomes a
// date (a date field). The data layer does not know where the user keeps them: the
// programs hand down a source, which each conversion asks afresh.
#include "base/picture.h"

#include <functional>

namespace kalvora {

using RegionalFormatsSource = std::function<RegionalFormats()>;

// The pictures for one conversion: RegionalFormats{} unless a ScopedDateText replaced the source.
RegionalFormats dateTextFormats();

// Replaces the source while it lives; the previous one returns afterwards, so they nest.
class ScopedDateText {
public:
    explicit ScopedDateText(RegionalFormatsSource source);
    ~ScopedDateText();
    ScopedDateText(const ScopedDateText&) = delete;
    ScopedDateText& operator=(const ScopedDateText&) = delete;

private:
    RegionalFormatsSource previous_;
};

}  // namespace kalvora
