#pragma once
// Vouchers (header and lines) of the audit entry QAuditor is on, copied to or deleted from
// the destination. Vouchers dated before the lock date stay as they are.
#include "principalconta/transmission/run_context.h"

#include <string>

namespace kalvora {

// "TICO_COD = 'CEG' AND PRCO_PREF = 'CE' AND ENCO_NUMERO = '000123'": one voucher, in any database.
std::string voucherCondition(const std::string& tipo, const std::string& prefijo, const std::string& numero);

// What replicar_comprobante or borrar_comprobante will do with the entry QAuditor is on,
// found by reading only. A copy's plan leaves QCopia on the source header; both leave
// CDestino on the destination's probe.
struct VoucherPlan {
    enum class Action { Copy, Replace, Delete, SourceMissing, SourceLocked, DestinationLocked, NothingToDelete };
    Action action = Action::SourceMissing;
    std::string condition;  // the voucher's type, prefix and number, as SQL
};
VoucherPlan planVoucherCopy(RunContext& run);
VoucherPlan planVoucherDeletion(RunContext& run);

// Replaces the whole voucher under a new key of the destination. When the destination
// refuses the header or a line, nothing of the new copy stays and the entry is marked failed;
// an error that stops the run while the lines are copied takes the new copy with it too.
void replicar_comprobante(RunContext& run);

// Deletes the voucher of type AUDI_TICO whose prefix and six-character number form AUDI_COD.
void borrar_comprobante(RunContext& run);

}  // namespace kalvora
