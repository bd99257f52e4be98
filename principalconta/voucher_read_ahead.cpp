#include "principalconta/voucher_read_ahead.h"

#include "base/errors.h"
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
    auto rows = rowsOf(consec);
    if (!rows) {
        openText(query, select(consec));
        return;
    }
    query.close();
    query.clearSql();
    query.addSql(select(consec));
    query.openWith(std::move(*rows));
}

void VoucherReadAhead::read(std::int64_t consec, const Query& entries)
{
    std::vector<std::int64_t> consecs{consec};
    for (std::size_t i = 0; i < entries.rowsAhead() && i + 1 < kEntries; ++i)
        if (const auto next = copiedVoucher(entries, i))
            consecs.push_back(*next);
    std::sort(consecs.begin(), consecs.end());
    consecs.erase(std::unique(consecs.begin(), consecs.end()), consecs.end());
    blobsInline_ = false;
    if (consecs.size() == 1) {
        // The run's own select, whose shape is prepared once.
        openText(window_, select(consec));
    } else {
        std::string in;
        for (std::size_t i = 0; i < consecs.size(); ++i)
            in += (i ? ", " : "") + std::to_string(consecs[i]);
        auto& tr = transaction_.ensureStarted();
        columns_ = connection_.statement(tr, select(consec)).statement.columns();
        const auto blobs = std::count_if(columns_.begin(), columns_.end(), isBlob);
        const auto list = blobs > 0 ? inlineColumns(columns_, kInlineBytes / unsigned(blobs)) : std::nullopt;
        blobsInline_ = list.has_value();
        openText(window_, "select " + list.value_or("*") + " from " + table_ + " where enco_consec in (" + in + ")");
    }
    consecs_ = std::move(consecs);
}

std::optional<fb::Rows> VoucherReadAhead::rowsOf(std::int64_t consec)
{
    fb::Rows rows;
    if (blobsInline_)
        rows.columns = columns_;
    else
        for (std::size_t i = 0; i < window_.fieldCount(); ++i)
            rows.columns.push_back(window_.column(i));
    for (window_.first(); !window_.eof(); window_.next()) {
        if (window_.field("ENCO_CONSEC").asInteger() != consec)
            continue;
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
                return std::nullopt;
            else
                row.emplace_back(BlobBytes{bytes.asText()});
        }
    }
    return rows;
}

}  // namespace kalvora
