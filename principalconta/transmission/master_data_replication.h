#pragma once
// Accounts and third parties of the audit entry QAuditor is on: the destination row is made
// equal to the source row, inserted when missing. Nothing is ever deleted.
#include "principalconta/transmission/run_context.h"

#include <string>

namespace kalvora {

// The source select and the destination command text that find one account (TIDO_COD 100)
// or third party (102) by its code.
struct MasterDataQueries {
    std::string source;
    std::string destination;
};
MasterDataQueries masterDataQueries(int tido, const std::string& codigo);

// What replicar_cuenta or replicar_tercero will do with the entry QAuditor is on, found by
// reading only; leaves QCopia on the source row and CDestino on the destination's.
enum class MasterDataPlan { Insert, Overwrite, SourceMissing };
MasterDataPlan planMasterData(RunContext& run, int tido);

// CUENTAS by CUEN_COD = AUDI_COD.
void replicar_cuenta(RunContext& run);
// TERCEROS by TERC_NIT = AUDI_COD.
void replicar_tercero(RunContext& run);

}  // namespace kalvora
