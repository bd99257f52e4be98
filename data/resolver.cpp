#include "data/resolver.h"

#include "base/errors.h"
#include "data/row_store.h"

#include <cctype>

namespace kalvora {

namespace {

bool isQuote(char c) { return c == '"' || c == '\'' || c == '`'; }

bool isWordChar(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return std::isalnum(u) || c == '_' || c == '$' || u >= 0x80;
}

// Position just after the keyword FROM outside quotes and comments, or npos.
std::size_t afterFrom(const std::string& sql)
{
    for (std::size_t i = 0; i < sql.size(); ++i) {
        const char c = sql[i];
        if (isQuote(c)) {
            const auto close = sql.find(c, i + 1);
            if (close == std::string::npos)
                return std::string::npos;
            i = close;
        } else if (c == '-' && i + 1 < sql.size() && sql[i + 1] == '-') {
            i = sql.find('\n', i);
            if (i == std::string::npos)
                return std::string::npos;
        } else if (c == '/' && i + 1 < sql.size() && sql[i + 1] == '*') {
            i = sql.find("*/", i + 2);
            if (i == std::string::npos)
                return std::string::npos;
            ++i;
        } else if ((i == 0 || !isWordChar(sql[i - 1])) && i + 4 <= sql.size() &&
                   (i + 4 == sql.size() || !isWordChar(sql[i + 4]))) {
            std::string word = sql.substr(i, 4);
            for (char& ch : word)
                ch = char(std::toupper(static_cast<unsigned char>(ch)));
            if (word == "FROM")
                return i + 4;
        }
    }
    return std::string::npos;
}

}  // namespace

std::string quoteIdentifier(const std::string& name, char q)
{
    std::string out(1, q);
    for (char c : name) {
        out += c;
        if (c == q)
            out += q;
    }
    out += q;
    return out;
}

std::string tableFromCommandText(const std::string& commandText)
{
    std::size_t i = afterFrom(commandText);
    if (i == std::string::npos)
        return {};
    while (i < commandText.size() && std::isspace(static_cast<unsigned char>(commandText[i])))
        ++i;
    std::string table;
    while (i < commandText.size()) {
        const char c = commandText[i];
        if (isQuote(c)) {
            const auto close = commandText.find(c, i + 1);
            const auto end = close == std::string::npos ? commandText.size() : close + 1;
            table += commandText.substr(i, end - i);
            i = end;
        } else if (isWordChar(c) || c == '.') {
            table += c;
            ++i;
        } else {
            break;
        }
    }
    if (!table.empty() && table.back() == ';')
        table.pop_back();
    return table;
}

std::string quoteTableName(const std::string& table, char quote)
{
    if (table.empty() || isQuote(table.front()) || isQuote(table.back()))
        return table;
    std::string out;
    std::size_t start = 0;
    for (;;) {
        const auto dot = table.find('.', start);
        out += quoteIdentifier(table.substr(start, dot - start), quote);
        if (dot == std::string::npos)
            break;
        out += '.';
        start = dot + 1;
    }
    return out;
}

bool isWritten(const FieldDef& field, const std::optional<Value>& newValue)
{
    return !field.readOnly && newValue.has_value();
}

bool isCompared(const FieldDef& field)
{
    return field.type != FieldType::Blob && field.type != FieldType::Memo && field.size < 8192;
}

std::optional<InsertRow> insertRow(const std::string& quotedTable, const std::vector<FieldDef>& fields,
                                   const RowChange& change, char quote)
{
    InsertRow row{quotedTable, {}, {}};
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (isWritten(fields[i], change.newValues[i])) {
            row.columns.push_back(quoteIdentifier(fields[i].name, quote));
            row.values.push_back(*change.newValues[i]);
        }
    if (row.columns.empty())
        return std::nullopt;
    return row;
}

std::optional<SqlStatement> buildStatement(const std::string& quotedTable, const std::vector<FieldDef>& fields,
                                           const RowChange& change, char quote)
{
    if (change.kind == UpdateKind::Insert) {
        auto row = insertRow(quotedTable, fields, change, quote);
        if (!row)
            return std::nullopt;
        std::string names;
        std::string marks;
        for (const std::string& column : row->columns) {
            names += (names.empty() ? "" : ", ") + column;
            marks += marks.empty() ? "?" : ", ?";
        }
        return SqlStatement{"insert into " + quotedTable + "\n  (" + names + ")\nvalues\n  (" + marks + ")",
                            std::move(row->values)};
    }

    SqlStatement out;
    std::vector<std::size_t> written;
    for (std::size_t i = 0; change.kind != UpdateKind::Delete && i < fields.size(); ++i)
        if (isWritten(fields[i], change.newValues[i]))
            written.push_back(i);

    if (change.kind == UpdateKind::Modify) {
        if (written.empty())
            return std::nullopt;
        out.text = "update " + quotedTable + "  set";
        for (std::size_t k = 0; k < written.size(); ++k) {
            out.text += "\n " + quoteIdentifier(fields[written[k]].name, quote) + " = ?";
            if (k + 1 < written.size())
                out.text += ",";
            out.params.push_back(*change.newValues[written[k]]);
        }
    } else {
        out.text = "delete from " + quotedTable + " ";
    }

    std::vector<std::string> conditions;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (!isCompared(fields[i]))
            continue;
        if (change.oldValues[i].isNull()) {
            conditions.push_back(" " + quoteIdentifier(fields[i].name, quote) + " is null");
        } else {
            conditions.push_back(" " + quoteIdentifier(fields[i].name, quote) + " = ?");
            out.params.push_back(change.oldValues[i]);
        }
    }
    if (conditions.empty())
        throw Error("Unable to find record.  No key specified");
    out.text += "\nwhere";
    for (std::size_t k = 0; k < conditions.size(); ++k)
        out.text += "\n" + conditions[k] + (k + 1 < conditions.size() ? " and" : "");
    return out;
}

}  // namespace kalvora
