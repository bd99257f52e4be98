#include "principalconta/transmission/voucher_replication.h"

#include "base/errors.h"
#include "data/schema.h"
#include "data/sql_text.h"
#include "principalconta/componentes.h"
#include "principalconta/transmission/column_copy.h"
#include "principalconta/transmission/commands.h"
#include "principalconta/transmission/document_key.h"
#include "principalconta/transmission/lock_date.h"
#include "principalconta/transmission/source_read.h"
#include "principalconta/transmission/voucher_block.h"

#include <optional>
#include <vector>

namespace kalvora {

namespace {

using namespace schema;

bool isLocked(const RunContext& run, const std::string& fecha)
{
    return protectedByLockDate(fecha, run.fecha_bloqueo, run.shortDate);
}

std::string probeText(const std::string& condition)
{
    return "SELECT ENCO_CONSEC, ENCO_FECHA, PRCO_PREF || ENCO_NUMERO, TICO_COD FROM COMPROBANTE_ENCABEZADO WHERE " +
           condition;
}

// "... el comprobante CEG CE000123 de fecha 2015/06/07" from the probe's current row.
std::string describeProbe(RowStore& probe)
{
    return probe.field(3).asText() + " " + probe.field(2).asText() + " de fecha " + probe.field(1).asText();
}

// Without a unique key the destination can hold one voucher more than once. True, with the
// probe on that row, when the lock date protects any of the copies.
bool findProtected(const RunContext& run, RowStore& probe)
{
    for (probe.first(); !probe.eof(); probe.next())
        if (isLocked(run, probe.field(1).asText()))
            return true;
    return false;
}

// The lines of every copy go before the headers, which are deleted by type, prefix and
// number: a header is never deleted with lines left behind (a foreign key would refuse it
// on every run, and without one the lines would still count in the accounts).
void deleteVoucher(RowStore& probe, const std::string& deleteLines, const std::string& deleteHeaders)
{
    std::vector<std::string> keys;
    for (probe.first(); !probe.eof(); probe.next())
        keys.push_back(std::to_string(probe.field(0).asInteger()));
    for (const auto& key : keys)
        executeDestination(probe, deleteLines + key);
    executeDestination(probe, deleteHeaders);
}

// Looks the voucher up in the destination: absent, held, or held with a copy the lock date
// protects (the probe then on that copy).
void probe(RunContext& run, VoucherPlan& plan, VoucherPlan::Action absent, VoucherPlan::Action held)
{
    RowStore& found = run.c.CDestino;
    openDestination(found, probeText(plan.condition));
    if (found.isEmpty())
        plan.action = absent;
    else
        plan.action = findProtected(run, found) ? VoucherPlan::Action::DestinationLocked : held;
}

// Inserts the source header (QCopia) under a key from cambie_id_comproba, or under the key
// the fast path took; true when the destination stored it.
bool insertHeader(RunContext& run, std::int64_t& key, std::optional<std::int64_t> taken)
{
    RowStore& header = run.c.CDestino;
    startHeaderInsert(header, run.c.QCopia);

    if (!taken) {
        openDestination(run.c.CIdfact, "select * from cambie_id_comproba");
        if (run.c.CIdfact.isEmpty()) {
            // The source's key could clash with another voucher of the destination: store
            // nothing and leave the entry pending. The caller's close drops the new row.
            run.entryFailed = true;
            return false;
        }
        taken = run.c.CIdfact.field(0).asInteger();
    }
    key = *taken;
    header.field(kPosConsec).setInteger(key);
    header.post();
    if (header.applyUpdates(0) != 0) {
        run.entryFailed = true;
        return false;
    }
    return true;
}

void deleteCopy(Componentes& c, const std::string& key)
{
    executeDestination(c.CDestino, "delete FROM COMPROBANTE_DETALLE WHERE ENCO_CONSEC = " + key);
    executeDestination(c.CDestino, "delete FROM COMPROBANTE_ENCABEZADO WHERE ENCO_CONSEC = " + key);
}

// One apply per line; the first line refused removes the lines stored so far and the header.
// So does an error that stops the run here: a voucher is never left with part of its lines.
void copyLines(RunContext& run, std::int64_t key)
{
    Componentes& c = run.c;
    const std::string destinationKey = std::to_string(key);
    try {
        // The key is new: the destination has no lines under it.
        openEmptyDestination(c.CDestino, "SELECT * FROM COMPROBANTE_DETALLE WHERE ENCO_CONSEC = " + destinationKey);
        readSource(c, [&] { c.linesAhead.open(c.QCopiadet, c.QAuditor); });
        while (!c.QCopiadet.eof() && !run.entryFailed) {
            c.CDestino.insert();
            copiar_campos(c.CDestino, c.QCopiadet);
            c.CDestino.field(kPosConsec).setInteger(key);
            c.CDestino.post();
            run.entryFailed = c.CDestino.applyUpdates(0) != 0;
            readSource(c, [&] { c.QCopiadet.next(); });
        }
    } catch (...) {
        c.QCopiadet.close();
        try {
            deleteCopy(c, destinationKey);
        } catch (const Error&) {
            // The destination is out of reach: the entry stays pending and the next run
            // replaces what is left of this copy.
        }
        throw;
    }
    c.QCopiadet.close();
    c.CDestino.close();
    if (run.entryFailed)
        deleteCopy(c, destinationKey);
}

}  // namespace

// Type, prefix and number identify a voucher between databases.
std::string voucherCondition(const std::string& tipo, const std::string& prefijo, const std::string& numero)
{
    return "TICO_COD = " + quoted(tipo) + " AND PRCO_PREF = " + quoted(prefijo) +
           " AND ENCO_NUMERO = " + quoted(numero);
}

VoucherPlan planVoucherCopy(RunContext& run)
{
    Componentes& c = run.c;
    readSource(c, [&] { c.headersAhead.open(c.QCopia, c.QAuditor); });
    VoucherPlan plan;
    if (c.QCopia.isEmpty())
        return plan;
    plan.action = VoucherPlan::Action::SourceLocked;
    if (isLocked(run, c.QCopia.field(kPosFecha).asText()))
        return plan;
    plan.condition = voucherCondition(c.QCopia.field(kPosTipo).asText(), c.QCopia.field(kPosPrefijo).asText(),
                                      c.QCopia.field(kPosNumero).asText());
    probe(run, plan, VoucherPlan::Action::Copy, VoucherPlan::Action::Replace);
    return plan;
}

void replicar_comprobante(RunContext& run)
{
    if (!namesItsDocument(run))
        return;
    Componentes& c = run.c;
    const VoucherPlan plan = planVoucherCopy(run);
    if (plan.action == VoucherPlan::Action::SourceMissing || plan.action == VoucherPlan::Action::SourceLocked) {
        if (plan.action == VoucherPlan::Action::SourceLocked)
            run.entryLockKept = RunContext::LockKept::InSource;
        c.QCopia.close();
        return;
    }
    if (plan.action == VoucherPlan::Action::DestinationLocked) {
        run.entryLockKept = RunContext::LockKept::InDestination;
        run.dialogs.message("Esta intentando modificar el comprobante " + describeProbe(c.CDestino));
    } else if (plan.action == VoucherPlan::Action::Replace)
        deleteVoucher(c.CDestino, "delete FROM COMPROBANTE_DETALLE WHERE ENCO_CONSEC = ",
                      "delete FROM COMPROBANTE_ENCABEZADO WHERE " + plan.condition);

    // A locked voucher is still there: it is neither replaced nor copied a second time. A
    // voucher the probe showed missing is not read again.
    std::int64_t key = 0;
    const std::string header = "SELECT * FROM COMPROBANTE_ENCABEZADO WHERE " + plan.condition;
    if (plan.action == VoucherPlan::Action::Copy)
        openEmptyDestination(c.CDestino, header);
    else
        openDestination(c.CDestino, header);
    bool headerStored = false;
    if (c.CDestino.isEmpty()) {
        const VoucherBlock block = c.copiesInOneStatement ? writeVoucherBlock(run) : VoucherBlock{};
        if (block.outcome == VoucherBlock::Outcome::NoKey)
            run.entryFailed = true;
        if (block.outcome == VoucherBlock::Outcome::RowByRow) {
            openEmptyDestination(c.CDestino, header);
            headerStored = insertHeader(run, key, block.key);
        }
    }
    c.CDestino.close();
    if (headerStored)
        copyLines(run, key);
    c.QCopia.close();
}

VoucherPlan planVoucherDeletion(RunContext& run)
{
    const Query& entry = run.c.QAuditor;
    const std::string codigo = entry.field("AUDI_COD").asText();
    const std::size_t split = codigo.size() > 6 ? codigo.size() - 6 : 0;
    VoucherPlan plan;
    plan.condition = voucherCondition(entry.field("AUDI_TICO").asText(), codigo.substr(0, split), codigo.substr(split));
    probe(run, plan, VoucherPlan::Action::NothingToDelete, VoucherPlan::Action::Delete);
    return plan;
}

void borrar_comprobante(RunContext& run)
{
    if (!namesItsDocument(run))
        return;
    Componentes& c = run.c;
    const VoucherPlan plan = planVoucherDeletion(run);
    if (plan.action == VoucherPlan::Action::DestinationLocked) {
        run.entryLockKept = RunContext::LockKept::InDestination;
        run.dialogs.message("Esta intentando borrar el comprobante " + describeProbe(c.CDestino));
    } else if (plan.action == VoucherPlan::Action::Delete)
        deleteVoucher(c.CDestino, "DELETE FROM COMPROBANTE_DETALLE WHERE ENCO_CONSEC = ",
                      "DELETE FROM COMPROBANTE_ENCABEZADO WHERE " + plan.condition);
    c.CDestino.close();
}

}  // namespace kalvora
