#pragma once
// The fast path of a new account or third party: one statement that inserts the source row
// unless the destination holds its code already. Whatever it does not store is left as it
// was, for the copy row by row, which then writes, asks and tells what it always did.
#include "principalconta/transmission/run_context.h"

#include <string>

namespace kalvora {

// QCopia on the source row; destinationSelect is the command text that finds the code in the
// destination, codeColumn its column. True when the row was stored; leaves CDestino closed.
bool insertNewInOneStatement(RunContext& run, const std::string& destinationSelect, const std::string& codeColumn);

}  // namespace kalvora
