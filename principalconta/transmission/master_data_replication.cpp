#include "principalconta/transmission/master_data_replication.h"

#include "data/schema.h"
#include "data/sql_text.h"
#include "principalconta/componentes.h"
#include "principalconta/transmission/column_copy.h"
#include "principalconta/transmission/commands.h"
#include "principalconta/transmission/document_key.h"
#include "principalconta/transmission/source_read.h"

namespace kalvora {

namespace {

// When several destination rows share the code, only the first one returned is overwritten.
void replicateRow(RunContext& run, int tido)
{
    if (!namesItsDocument(run))
        return;
    Componentes& c = run.c;
    const MasterDataPlan plan = planMasterData(run, tido);
    if (plan == MasterDataPlan::SourceMissing) {
        c.QCopia.close();
        return;
    }
    if (plan == MasterDataPlan::Insert)
        c.CDestino.insert();
    else
        c.CDestino.edit();
    copiar_campos(c.CDestino, c.QCopia);
    c.CDestino.post();
    if (c.CDestino.applyUpdates(0) != 0)
        run.entryFailed = true;
    c.CDestino.close();
    c.QCopia.close();
}

}  // namespace

MasterDataQueries masterDataQueries(int tido, const std::string& codigo)
{
    const std::string quotedCode = quoted(codigo);
    if (tido == schema::kTidoCuenta)
        return {"select * from cuentas where cuen_cod = " + quotedCode,
                "SELECT * FROM CUENTAS WHERE CUEN_COD = " + quotedCode};
    return {"select * from terceros where terc_nit = " + quotedCode,
            "SELECT * FROM TERCEROS WHERE TERC_NIT = " + quotedCode};
}

MasterDataPlan planMasterData(RunContext& run, int tido)
{
    Componentes& c = run.c;
    const MasterDataQueries queries = masterDataQueries(tido, c.QAuditor.field("AUDI_COD").asText());
    readSource(c, [&] { openSource(c.QCopia, queries.source); });
    if (c.QCopia.isEmpty())
        return MasterDataPlan::SourceMissing;
    openDestination(c.CDestino, queries.destination);
    return c.CDestino.isEmpty() ? MasterDataPlan::Insert : MasterDataPlan::Overwrite;
}

void replicar_cuenta(RunContext& run) { replicateRow(run, schema::kTidoCuenta); }

void replicar_tercero(RunContext& run) { replicateRow(run, schema::kTidoTercero); }

}  // namespace kalvora
