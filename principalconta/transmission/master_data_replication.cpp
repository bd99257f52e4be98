#include "principalconta/transmission/master_data_replication.h"

#include "data/schema.h"
#include "data/sql_text.h"
#include "principalconta/componentes.h"
#include "principalconta/transmission/column_copy.h"
#include "principalconta/transmission/commands.h"
#include "principalconta/transmission/document_key.h"
#include "principalconta/transmission/master_data_block.h"
#include "principalconta/transmission/source_read.h"

namespace kalvora {

namespace {

struct MasterDataTable {
    const char* destination;  // the destination's command text, up to the code
    const char* codeColumn;
};

MasterDataTable tableOf(int tido)
{
    if (tido == schema::kTidoCuenta)
        return {"SELECT * FROM CUENTAS WHERE CUEN_COD = ", "CUEN_COD"};
    return {"SELECT * FROM TERCEROS WHERE TERC_NIT = ", "TERC_NIT"};
}

// QCopia on the source row of the entry's code; false when the source has none.
bool readSourceRow(RunContext& run, int tido)
{
    Componentes& c = run.c;
    MasterDataReadAhead& ahead = tido == schema::kTidoCuenta ? c.accountsAhead : c.thirdPartiesAhead;
    readSource(c, [&] { ahead.open(c.QCopia, c.QAuditor); });
    return !c.QCopia.isEmpty();
}

// The destination's rows of the entry's code, by its command text.
MasterDataPlan probe(RunContext& run, const std::string& destination)
{
    openDestination(run.c.CDestino, destination);
    return run.c.CDestino.isEmpty() ? MasterDataPlan::Insert : MasterDataPlan::Overwrite;
}

std::string destinationText(RunContext& run, int tido)
{
    return masterDataQueries(tido, run.c.QAuditor.field("AUDI_COD").asText()).destination;
}

// When several destination rows share the code, only the first one returned is overwritten.
void replicateRow(RunContext& run, int tido)
{
    if (!namesItsDocument(run))
        return;
    Componentes& c = run.c;
    const std::string destination = destinationText(run, tido);
    const bool done = !readSourceRow(run, tido) ||
                      (c.copiesInOneStatement && insertNewInOneStatement(run, destination, tableOf(tido).codeColumn));
    if (!done) {
        if (probe(run, destination) == MasterDataPlan::Insert)
            c.CDestino.insert();
        else
            c.CDestino.edit();
        copiar_campos(c.CDestino, c.QCopia);
        c.CDestino.post();
        if (c.CDestino.applyUpdates(0) != 0)
            run.entryFailed = true;
        c.CDestino.close();
    }
    c.QCopia.close();
}

}  // namespace

MasterDataQueries masterDataQueries(int tido, const std::string& codigo)
{
    const std::string quotedCode = quoted(codigo);
    if (tido == schema::kTidoCuenta)
        return {"select * from cuentas where cuen_cod = " + quotedCode, tableOf(tido).destination + quotedCode};
    return {"select * from terceros where terc_nit = " + quotedCode, tableOf(tido).destination + quotedCode};
}

MasterDataPlan planMasterData(RunContext& run, int tido)
{
    if (!readSourceRow(run, tido))
        return MasterDataPlan::SourceMissing;
    return probe(run, destinationText(run, tido));
}

void replicar_cuenta(RunContext& run) { replicateRow(run, schema::kTidoCuenta); }

void replicar_tercero(RunContext& run) { replicateRow(run, schema::kTidoTercero); }

}  // namespace kalvora
