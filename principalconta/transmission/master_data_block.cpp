#include "principalconta/transmission/master_data_block.h"

#include "data/insert_block.h"
#include "data/literal_lifting.h"
#include "principalconta/componentes.h"
#include "principalconta/transmission/column_copy.h"
#include "principalconta/transmission/commands.h"
#include "principalconta/transmission/quiet_store.h"

#include <algorithm>
#include <optional>

namespace kalvora {

namespace {

// The block for the source row, or nothing when it cannot carry it. The code must compare
// with its column as the select's literal does, or the block could find what the select
// would not.
std::optional<SqlStatement> buildBlock(RunContext& run, const std::string& destinationSelect,
                                       const std::string& codeColumn)
{
    Componentes& c = run.c;
    RowStore& store = c.CDestino;
    const QuietStore quiet(store);
    openEmptyDestination(store, destinationSelect);
    store.insert();
    copiar_campos(store, c.QCopia);
    store.post();
    const std::vector<InsertRow> rows = store.takeInserts();
    store.close();
    if (rows.size() != 1 || !fitsOneBlock(rows))
        return std::nullopt;
    const std::vector<fb::Column> columns = c.DBEnvio.describe(destinationSelect);
    const auto column = std::find_if(columns.begin(), columns.end(),
                                     [&](const fb::Column& candidate) { return candidate.field == codeColumn; });
    const Value code = c.QAuditor.field("AUDI_COD");
    if (column == columns.end() || !liftedValuesFit({*column}, {code}))
        return std::nullopt;
    return insertIfAbsentBlock(rows.front(), quoteIdentifier(column->field, DestinationConnection::quoteChar()), code);
}

}  // namespace

bool insertNewInOneStatement(RunContext& run, const std::string& destinationSelect, const std::string& codeColumn)
{
    Componentes& c = run.c;
    std::optional<SqlStatement> block;
    try {
        block = buildBlock(run, destinationSelect, codeColumn);
    } catch (const Error&) {
        // Built again row by row, where the same fault is told as it always was.
    }
    c.CDestino.close();
    if (!block)
        return false;
    try {
        return c.DBEnvio.select(block->text, block->params, true).rows.at(0).at(0).asInteger() == 1;
    } catch (const Error&) {
        // Refused: nothing stored, and the copy row by row meets the refusal again.
        return false;
    }
}

}  // namespace kalvora
