#pragma once
// What a transmission left behind, comparable between two runs: every row of the copied
// tables by natural keys (the destination's own voucher keys left out), and the sent flags.
#include "data/firebird.h"
#include "support/scratch.h"

#include <string>
#include <vector>

namespace kalvora::test {

// Headers, lines (by their voucher's type, prefix and number), accounts and third parties,
// one text per row, sorted.
std::vector<std::string> destinationContents(const std::string& location,
                                             const fb::AttachParams& params = embeddedUser());

// AUDI_ENVIO of every entry in AUDI_ID order, as committed.
std::string sentFlags(const std::string& location, const fb::AttachParams& params = embeddedUser());

}  // namespace kalvora::test
