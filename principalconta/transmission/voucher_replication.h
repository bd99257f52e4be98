#pragma once
// Vouchers (header and lines) of the audit entry QAuditor is on, copied to or deleted from
// the destination. Vouchers dated before the lock date stay as they are.
#include "principalconta/transmission/run_context.h"

namespace kalvora {

// Replaces the whole voucher under a new key of the destination. When the destination
// refuses the header or a line, nothing of the new copy stays and the entry is marked failed;
// an error that stops the run while the lines are copied takes the new copy with it too.
void replicar_comprobante(RunContext& run);

// Deletes the voucher of type AUDI_TICO whose prefix and six-character number form AUDI_COD.
void borrar_comprobante(RunContext& run);

}  // namespace kalvora
