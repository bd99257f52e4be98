#include "principalconta/read_ahead.h"

#include "data/resolver.h"

#include <algorithm>

namespace kalvora {

namespace {

// What the BLOBs of one row may bring inline, shared among them.
constexpr unsigned kInlineBytes = 4096;

bool isBlob(const fb::Column& column) { return column.type == SQL_BLOB; }

}  // namespace

std::optional<std::string> inlineBlobColumns(const std::vector<fb::Column>& columns)
{
    const auto blobs = std::count_if(columns.begin(), columns.end(), isBlob);
    if (blobs == 0)
        return std::nullopt;
    const std::string size = std::to_string(kInlineBytes / unsigned(blobs));
    std::string list;
    for (const fb::Column& column : columns) {
        const std::string name = quoteIdentifier(column.field, '"');
        list += list.empty() ? "" : ", ";
        if (!isBlob(column)) {
            list += name;
            continue;
        }
        if (column.subType != 0 && column.subType != 1)
            return std::nullopt;
        list += "iif(octet_length(" + name + ") <= " + size + ", cast(" + name + " as varchar(" + size +
                ") character set octets), null), octet_length(" + name + ")";
    }
    return list;
}

bool appendInlineRow(const Query& window, std::size_t first, const std::vector<fb::Column>& columns, fb::Row& row)
{
    std::size_t at = first;
    for (const fb::Column& column : columns) {
        if (!isBlob(column)) {
            row.push_back(window.field(at++));
            continue;
        }
        const Value& bytes = window.field(at++);
        const Value& length = window.field(at++);
        if (length.isNull())
            row.emplace_back();
        else if (bytes.isNull())
            return false;
        else
            row.emplace_back(BlobBytes{bytes.asText()});
    }
    return true;
}

void openText(Query& query, const std::string& sql)
{
    query.close();
    query.clearSql();
    query.addSql(sql);
    query.open();
}

void openAs(Query& query, const std::string& sql, const std::optional<fb::Rows>& rows)
{
    if (!rows) {
        openText(query, sql);
        return;
    }
    query.close();
    query.clearSql();
    query.addSql(sql);
    query.openWith(*rows);
}

}  // namespace kalvora
