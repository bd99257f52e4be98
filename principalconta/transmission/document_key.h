#pragma once
// An audit entry names its document by AUDI_IDDOC (the voucher to copy) or by AUDI_COD (the
// voucher to delete, the account, the third party). An entry that leaves it null names
// nothing to copy: read as 0 or as an empty code it would copy or delete the wrong row.
#include "data/connection.h"
#include "principalconta/transmission/run_context.h"

namespace kalvora {

// True when the entry has the key its kind needs.
bool hasDocumentKey(const Query& entry);

// True when the entry QAuditor is on has the key its kind needs. Otherwise the entry fails:
// a message says so, and the run journals it, asks, and leaves it pending.
bool namesItsDocument(RunContext& run);

}  // namespace kalvora
