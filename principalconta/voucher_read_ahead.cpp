#include "principalconta/voucher_read_ahead.h"

#include "base/errors.h"
#include "data/literal_lifting.h"
#include "data/schema.h"
#include "principalconta/read_ahead.h"

#include <algorithm>

namespace kalvora {

namespace {

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
    openAs(query, select(consec), rowsByVoucher_[std::size_t(at)]);
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
        const auto list = inlineBlobColumns(columns_);
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
    if (blobsInline_)
        return appendInlineRow(window_, 0, rows.columns, row);
    for (std::size_t at = 0; at < rows.columns.size(); ++at)
        row.push_back(window_.field(at));
    return true;
}

}  // namespace kalvora
