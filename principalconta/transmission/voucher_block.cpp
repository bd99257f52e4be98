#include "principalconta/transmission/voucher_block.h"

#include "data/insert_block.h"
#include "data/schema.h"
#include "principalconta/componentes.h"
#include "principalconta/transmission/column_copy.h"
#include "principalconta/transmission/commands.h"
#include "principalconta/transmission/quiet_store.h"
#include "principalconta/transmission/source_read.h"

#include <string>

namespace kalvora {

namespace {

using namespace schema;

const char* const kKeySource = "cambie_id_comproba";

// The rows the copy row by row would insert, with 0 in the key column; nullopt when the
// block cannot carry them.
std::optional<KeyedInserts> buildInserts(RunContext& run)
{
    Componentes& c = run.c;
    RowStore& store = c.CDestino;
    const QuietStore quiet(store);
    KeyedInserts inserts;
    startHeaderInsert(store, c.QCopia);
    store.field(kPosConsec).setInteger(0);
    const std::string keyColumn = store.fields()[kPosConsec].name;
    inserts.rows = store.takeInserts();

    openEmptyDestination(store, "SELECT * FROM COMPROBANTE_DETALLE WHERE ENCO_CONSEC = 0");
    if (store.fields()[kPosConsec].name != keyColumn)
        return std::nullopt;
    readSource(c, [&] { c.linesAhead.open(c.QCopiadet, c.QAuditor); });
    while (!c.QCopiadet.eof()) {
        store.insert();
        copiar_campos(store, c.QCopiadet);
        store.field(kPosConsec).setInteger(0);
        store.post();
        readSource(c, [&] { c.QCopiadet.next(); });
    }
    c.QCopiadet.close();
    for (InsertRow& line : store.takeInserts())
        inserts.rows.push_back(std::move(line));
    store.close();
    if (!fitsOneBlock(inserts.rows))
        return std::nullopt;

    const std::vector<fb::Column> keys = c.DBEnvio.describe(std::string("select * from ") + kKeySource);
    if (keys.empty())
        return std::nullopt;
    inserts.keySource = kKeySource;
    inserts.keyName = quoteIdentifier(keys.front().name, DestinationConnection::quoteChar());
    inserts.keyColumn = quoteIdentifier(keyColumn, DestinationConnection::quoteChar());
    return inserts;
}

}  // namespace

void startHeaderInsert(RowStore& header, const Query& source)
{
    header.insert();
    for (int i = 0; i < header.fieldCount(); ++i)
        header.field(i).setValue(sourceColumn(source, header, i));
    header.field(kPosCero).setInteger(0);
}

VoucherBlock writeVoucherBlock(RunContext& run)
{
    Componentes& c = run.c;
    std::optional<KeyedInserts> inserts;
    try {
        inserts = buildInserts(run);
    } catch (const Error&) {
        // Built again row by row, where the same fault is told as it always was.
    }
    c.QCopiadet.close();
    c.CDestino.close();
    if (!inserts)
        return {};
    const SqlStatement block = keyedInsertBlock(*inserts);
    try {
        const fb::Rows returned = c.DBEnvio.select(block.text, block.params, true);
        if (returned.rows.at(0).at(0).asInteger() == 1)
            return {VoucherBlock::Outcome::Stored, std::nullopt};
        return {VoucherBlock::Outcome::NoKey, std::nullopt};
    } catch (const Error&) {
        // Nothing stored: row by row from the key on, with the key if the block took one.
        return {VoucherBlock::Outcome::RowByRow, lostKey(c.DBEnvio.select(lostKeyRead(), {}, true))};
    }
}

}  // namespace kalvora
