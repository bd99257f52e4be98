#pragma once
// Turns one changed row of a row store into its statement. Pure: no database involved.
#include "data/field.h"

#include <optional>
#include <string>
#include <vector>

namespace kalvora {

enum class UpdateKind;

struct RowChange {
    UpdateKind kind;
    std::vector<Value> oldValues;                 // as loaded or last applied
    std::vector<std::optional<Value>> newValues;  // set only for assigned fields
};

struct SqlStatement {
    std::string text;
    std::vector<Value> params;
};

// What an insert writes: the table and the written columns, both quoted, and their values.
struct InsertRow {
    std::string table;
    std::vector<std::string> columns;
    std::vector<Value> values;
};

// The first identifier after FROM, as written ("" when there is none).
std::string tableFromCommandText(const std::string& commandText);
// One identifier in quotes, each inner quote doubled.
std::string quoteIdentifier(const std::string& name, char quote);
// Each dot-separated part in quotes, unless the name already starts or ends with a quote.
std::string quoteTableName(const std::string& table, char quote);

bool isWritten(const FieldDef& field, const std::optional<Value>& newValue);
bool isCompared(const FieldDef& field);

// nullopt for an insert that writes no field.
std::optional<InsertRow> insertRow(const std::string& quotedTable, const std::vector<FieldDef>& fields,
                                   const RowChange& change, char quote);

// nullopt for a change that writes no field. Throws Error("Unable to find record.  No key
// specified") when an UPDATE or DELETE has no field to locate its row by.
std::optional<SqlStatement> buildStatement(const std::string& quotedTable, const std::vector<FieldDef>& fields,
                                           const RowChange& change, char quote);

}  // namespace kalvora
