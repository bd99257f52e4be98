#include "principalconta/transmission/master_data_replication.h"

#include "principalconta/componentes.h"
#include "principalconta/transmission/column_copy.h"
#include "principalconta/transmission/commands.h"
#include "principalconta/transmission/sql_text.h"

namespace kalvora {

namespace {

// When several destination rows share the code, only the first one returned is overwritten.
void replicateRow(RunContext& run, const std::string& sourceSql, const std::string& destinationText)
{
    Componentes& c = run.c;
    openSource(c.QCopia, sourceSql);
    if (c.QCopia.isEmpty()) {
        c.QCopia.close();
        return;
    }
    openDestination(c.CDestino, destinationText);
    if (c.CDestino.isEmpty())
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

void replicar_cuenta(RunContext& run)
{
    const std::string codigo = quoted(run.c.QAuditor.field("AUDI_COD").asText());
    replicateRow(run, "select * from cuentas where cuen_cod = " + codigo, "SELECT * FROM CUENTAS WHERE CUEN_COD = " + codigo);
}

void replicar_tercero(RunContext& run)
{
    const std::string codigo = quoted(run.c.QAuditor.field("AUDI_COD").asText());
    replicateRow(run, "select * from terceros where terc_nit = " + codigo, "SELECT * FROM TERCEROS WHERE TERC_NIT = " + codigo);
}

}  // namespace kalvora
