#pragma once
// The program's statements carry their values as literals, so nearly every text is new to
// the server and prepared again. Lifting the literals that are compared with a column
// gives one text per statement shape, and one preparation.
#include "data/firebird.h"
#include "data/value.h"

#include <optional>
#include <string>
#include <vector>

namespace kalvora {

struct LiftedText {
    std::string text;           // the literals replaced by "?"
    std::vector<Value> values;  // text for quoted literals, whole numbers for the others
};

// Lifts each quoted literal or unsigned whole number that follows a comparison operator
// and ends the comparison (before ")", ",", ";", AND, OR, WHERE, ORDER, ... or the end),
// and the items of an IN list made only of unsigned whole numbers.
// Nothing when the text has no such literal, already has parameters, or does not scan.
std::optional<LiftedText> liftLiterals(const std::string& sql);

// Whether running the lifted statement with these values compares exactly as the literals
// would: text into a single-byte text parameter it fits, whole numbers into an integer of
// their range.
// Anything else (a longer text, UTF8, a date, a decimal) keeps the original text.
bool liftedValuesFit(const std::vector<fb::Column>& parameters, const std::vector<Value>& values);

}  // namespace kalvora
