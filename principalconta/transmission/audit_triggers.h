#pragma once
// Triggers of the source's AUDITORIA that fire when an entry is flagged sent. Such a trigger
// may refuse a flag or change other rows, so the run then flags each entry at its turn.
#include "data/connection.h"

namespace kalvora {

// Whether AUDITORIA has an active trigger on update (CHECK constraints' own included), read
// from the system tables through query.
bool auditoriaHasUpdateTrigger(Query& query);

}  // namespace kalvora
