#include "principalconta/master_data_read_ahead.h"

#include "base/errors.h"
#include "data/literal_lifting.h"
#include "data/sql_text.h"
#include "principalconta/read_ahead.h"

#include <algorithm>

namespace kalvora {

namespace {

// The code of an entry held ahead that this read-ahead serves; nothing for other entries,
// or for one whose fields do not read (its own turn reports that).
std::optional<std::string> codeAhead(const Query& entries, std::size_t ahead, int tido)
{
    try {
        if (entries.fieldAhead(ahead, "TIDO_COD").asInteger() != tido || entries.fieldAhead(ahead, "AUDI_COD").isNull())
            return std::nullopt;
        return entries.fieldAhead(ahead, "AUDI_COD").asText();
    } catch (const Error&) {
        return std::nullopt;
    }
}

}  // namespace

MasterDataReadAhead::MasterDataReadAhead(Connection& connection, DirectTransaction& transaction, int tido,
                                         std::string table, std::string codeColumn)
    : connection_(connection), transaction_(transaction), tido_(tido), table_(std::move(table)),
      codeColumn_(std::move(codeColumn)), window_(connection, transaction)
{
}

std::string MasterDataReadAhead::select(const std::string& code) const
{
    return "select * from " + table_ + " where " + codeColumn_ + " = " + quoted(code);
}

void MasterDataReadAhead::open(Query& query, const Query& entries)
{
    const std::string code = entries.field("AUDI_COD").asText();
    // Closed with its connection, so a window never outlives the transaction it was read in.
    auto at = std::find(codes_.begin(), codes_.end(), code);
    if (!window_.isOpen() || at == codes_.end()) {
        read(code, entries);
        at = codes_.begin();
    }
    openAs(query, select(code), rowsByCode_[std::size_t(at - codes_.begin())]);
}

void MasterDataReadAhead::read(const std::string& code, const Query& entries)
{
    // A read that fails leaves no window: the next open reads again.
    window_.close();
    codes_ = {code};
    for (std::size_t i = 0; i < entries.rowsAhead() && i + 1 < kEntries; ++i)
        if (const auto next = codeAhead(entries, i, tido_);
            next && std::find(codes_.begin(), codes_.end(), *next) == codes_.end())
            codes_.push_back(*next);
    auto& tr = transaction_.ensureStarted();
    columns_ = connection_.statement(tr, select(code)).statement.columns();
    if (codes_.size() == 1) {
        // The entry's own select, whose shape is prepared once.
        openText(window_, select(code));
        split(false);
        return;
    }
    const auto list = inlineBlobColumns(columns_);
    readWindow(list.value_or(table_ + ".*"));
    split(list.has_value());
}

// Every window runs one text with a branch for each of its entries, the last code repeated
// where it has fewer, so the text is prepared once; a window whose codes the parameters
// cannot hold as they compare runs with its codes written in.
void MasterDataReadAhead::readWindow(const std::string& list)
{
    const auto branch = [&](std::size_t place, const std::string& code) {
        return (place ? " union all " : "") + std::string("select ") + std::to_string(place) + ", " + list + " from " +
               table_ + " where " + codeColumn_ + " = " + code;
    };
    std::string text;
    std::vector<Value> codes;
    for (std::size_t i = 0; i < kEntries; ++i) {
        text += branch(i, "?");
        codes.emplace_back(codes_[std::min(i, codes_.size() - 1)]);
    }
    auto& tr = transaction_.ensureStarted();
    BoundStatement statement = connection_.statement(tr, text, codes);
    if (liftedValuesFit(statement.statement.parameters(), codes)) {
        window_.close();
        window_.openWith(statement.fetchAll(tr));
        return;
    }
    std::string written;
    for (std::size_t i = 0; i < codes_.size(); ++i)
        written += branch(i, quoted(codes_[i]));
    openText(window_, written);
}

// Each code's rows of the window, in the window's order, once for all its opens.
void MasterDataReadAhead::split(bool blobsInline)
{
    fb::Rows shape;
    shape.columns = columns_;
    rowsByCode_.assign(codes_.size(), shape);
    const std::size_t first = codes_.size() == 1 ? 0 : 1;
    for (window_.first(); !window_.eof(); window_.next()) {
        const std::size_t place = first == 0 ? 0 : std::size_t(window_.field(0).asInteger());
        if (place >= codes_.size())
            continue;
        std::optional<fb::Rows>& rows = rowsByCode_[place];
        if (!rows)
            continue;
        fb::Row& row = rows->rows.emplace_back();
        if (blobsInline) {
            if (!appendInlineRow(window_, first, columns_, row))
                rows.reset();
            continue;
        }
        for (std::size_t at = 0; at < columns_.size(); ++at)
            row.push_back(window_.field(first + at));
    }
}

}  // namespace kalvora
