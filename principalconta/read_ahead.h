#pragma once
// What the source's read-aheads share. A window's rows are split among its entries, and each
// entry's query opens on its own select's text with them. A BLOB read on its own costs two
// round trips, so a window's select brings each as its bytes, with its length, where it fits
// an equal share of a row's budget.
#include "data/connection.h"

#include <optional>
#include <string>
#include <vector>

namespace kalvora {

// The select list of these columns (those of the run's own select) with each BLOB as text of
// octets (so no character set conversion) when it fits its share, and its length. Nothing
// when there is no BLOB, or one is neither text nor binary (its conversion could depend on a
// filter).
std::optional<std::string> inlineBlobColumns(const std::vector<fb::Column>& columns);

// Appends the window's current row, its columns from `first` on, as the run's own select
// gives it (columns). False when one of its BLOBs was too long to come inline.
bool appendInlineRow(const Query& window, std::size_t first, const std::vector<fb::Column>& columns, fb::Row& row);

// Runs sql on query, closed first: a query keeps its rows otherwise.
void openText(Query& query, const std::string& sql);
// Opens query on sql with the rows a window read for it, or runs sql when there are none.
void openAs(Query& query, const std::string& sql, const std::optional<fb::Rows>& rows);

}  // namespace kalvora
