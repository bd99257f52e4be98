#include "principalconta/voucher_read_ahead.h"

#include "base/errors.h"
#include "data/literal_lifting.h"
#include "data/schema.h"

#include <algorithm>

namespace kalvora {

namespace {

// What the BLOBs of one row may bring inline, shared among them; a BLOB reads as two round
// trips of its own otherwise.
constexpr unsigned kInlineBytes = 4096;

// The voucher that an entry held ahead copies from the source; nothing for other entries,
// or for one whose fields do not read as numbers (its own turn reports that).
std::optional<std::int64_t> copiedVoucher(const Query& entries, std::size_t ahead)
{
    try {
        if (entries.fieldAhead(ahead, "TIDO_COD").asInteger() != schema::kTidoComprobante ||
            entries.fieldAhead(ahead, "AUDI_OPER").asText() == schema::kOperBorrado ||
            entries.fieldAhead(ahead, "AUDI_IDDOC").isNull())
            return std::nullopt;
        return entries.fieldAhead(ahead, "AUDI_IDDOC").asInteger();
    } catch (const Error&) {
        return std::nullopt;
    }
}

// Closed first: a query keeps its rows otherwise.
void openText(Query& query, const std::string& sql)
{
    query.close();
    query.clearSql();
    query.addSql(sql);
    query.open();
}

bool isBlob(const fb::Column& column) { return column.type == SQL_BLOB; }

std::string quotedName(const std::string& name)
{
    std::string out = "\"";
    for (char ch : name)
        out += ch == '"' ? "\"\"" : std::string(1, ch);
    return out + "\"";
}

// The columns of the run's select with each BLOB as its bytes, as text of octets (so no
// character set conversion) when it fits in `bytes`, and its length. Nothing when a BLOB is
// neither text nor binary (its conversion could depend on a filter).
std::optional<std::string> inlineColumns(const std::vector<fb::Column>& columns, unsigned bytes)
{
    std::string list;
    for (const fb::Column& column : columns) {
        const std::string name = quotedName(column.field);
        list += list.empty() ? "" : ", ";
        if (!isBlob(column)) {
            list += name;
            continue;
        }
        if (column.subType != 0 && column.subType != 1)
            return std::nullopt;
        const std::string size = std::to_string(bytes);
        list += "iif(octet_length(" + name + ") <= " + size + ", cast(" + name + " as varchar(" + size +
                ") character set octets), null), octet_length(" + name + ")";
    }
    return list;
}

}  // namespace

VoucherReadAhead::VoucherReadAhead(Connection& connection, DirectTransaction& transaction, std::string table)
    : connection_(connection), transaction_(transaction), table_(std::move(table)), window_(connection, transaction)
{
}

std::string VoucherReadAhead::select(std::int64_t consec) const
{
    return "select * from " + table_ + " where enco_consec = " + std::to_string(consec);
}

void VoucherReadAhead::open(Query& query, const Query& entries)
{
    const std::int64_t consec = entries.field("AUDI_IDDOC").asInteger();
    // Closed with its connection, so a window never outlives the transaction it was read in.
    if (!window_.isOpen() || !std::binary_search(consecs_.begin(), consecs_.end(), consec))
        read(consec, entries);
    const auto at = std::lower_bound(consecs_.begin(), consecs_.end(), consec) - consecs_.begin();
    const std::optional<fb::Rows>& rows = rowsByVoucher_[std::size_t(at)];
    if (!rows) {
        openText(query, select(consec));
        return;
    }
    query.close();
    query.clearSql();
    query.addSql(select(consec));
    query.openWith(*rows);
}

void VoucherReadAhead::read(std::int64_t consec, const Query& entries)
{
    // A read that fails leaves no window: the next open reads again.
    window_.close();
    std::vector<std::int64_t> consecs{consec};
    for (std::size_t i = 0; i < entries.rowsAhead() && i + 1 < kEntries; ++i)
        if (const auto next = copiedVoucher(entries, i))
            consecs.push_back(*next);
    std::sort(consecs.begin(), consecs.end());
    consecs.erase(std::unique(consecs.begin(), consecs.end()), consecs.end());
    consecs_ = std::move(consecs);
    blobsInline_ = false;
    if (consecs_.size() == 1) {
        // The run's own select, whose shape is prepared once.
        openText(window_, select(consec));
    } else {
        auto& tr = transaction_.ensureStarted();
        columns_ = connection_.statement(tr, select(consec)).statement.columns();
        const auto blobs = std::count_if(columns_.begin(), columns_.end(), isBlob);
        const auto list = blobs > 0 ? inlineColumns(columns_, kInlineBytes / unsigned(blobs)) : std::nullopt;
        blobsInline_ = list.has_value();
        readWindow("select " + list.value_or("*") + " from " + table_ + " where enco_consec in (");
    }
    split();
}

// Every window runs one text with a parameter for each of its entries, the last voucher
// repeated where it has fewer, so the text is prepared once; a window whose keys the
// parameters cannot hold as they are runs with its keys written in.
void VoucherReadAhead::readWindow(const std::string& head)
{
    std::string marks;
    for (std::size_t i = 0; i < kEntries; ++i)
        marks += i ? ", ?" : "?";
    std::vector<Value> keys;
    for (std::size_t i = 0; i < kEntries; ++i)
        keys.emplace_back(consecs_[std::min(i, consecs_.size() - 1)]);
    auto& tr = transaction_.ensureStarted();
    BoundStatement statement = connection_.statement(tr, head + marks + ")", keys);
    if (liftedValuesFit(statement.statement.parameters(), keys)) {
        window_.close();
        window_.openWith(statement.fetchAll(tr));
        return;
    }
    std::string written;
    for (std::size_t i = 0; i < consecs_.size(); ++i)
        written += (i ? ", " : "") + std::to_string(consecs_[i]);
    openText(window_, head + written + ")");
}

// Each voucher's rows of the window, in the window's order, once for all its opens.
void VoucherReadAhead::split()
{
    fb::Rows shape;
    if (blobsInline_)
        shape.columns = columns_;
    else
        for (std::size_t i = 0; i < window_.fieldCount(); ++i)
            shape.columns.push_back(window_.column(i));
    rowsByVoucher_.assign(consecs_.size(), shape);
    for (window_.first(); !window_.eof(); window_.next()) {
        const auto at = std::lower_bound(consecs_.begin(), consecs_.end(), window_.field("ENCO_CONSEC").asInteger());
        if (at == consecs_.end())
            continue;
        std::optional<fb::Rows>& rows = rowsByVoucher_[std::size_t(at - consecs_.begin())];
        if (rows && !appendRow(*rows))
            rows.reset();
    }
}

bool VoucherReadAhead::appendRow(fb::Rows& rows)
{
    fb::Row& row = rows.rows.emplace_back();
    std::size_t at = 0;
    for (const fb::Column& column : rows.columns) {
        if (!blobsInline_ || !isBlob(column)) {
            row.push_back(window_.field(at++));
            continue;
        }
        const Value& bytes = window_.field(at++);
        const Value& length = window_.field(at++);
        if (length.isNull())
            row.emplace_back();
        else if (bytes.isNull())
            return false;
        else
            row.emplace_back(BlobBytes{bytes.asText()});
    }
    return true;
}

}  // namespace kalvora
