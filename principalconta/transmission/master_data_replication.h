#pragma once
// Accounts and third parties of the audit entry QAuditor is on: the destination row is made
// equal to the source row, inserted when missing. Nothing is ever deleted.
#include "principalconta/transmission/run_context.h"

namespace kalvora {

// CUENTAS by CUEN_COD = AUDI_COD.
void replicar_cuenta(RunContext& run);
// TERCEROS by TERC_NIT = AUDI_COD.
void replicar_tercero(RunContext& run);

}  // namespace kalvora
