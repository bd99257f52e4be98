#include "data/insert_block.h"

#include <variant>

namespace kalvora {

bool fitsOneBlock(const std::vector<InsertRow>& rows)
{
    constexpr std::size_t kMostRows = 100;
    constexpr std::size_t kMostTextBytes = 32000;
    std::size_t bytes = 0;
    for (const InsertRow& row : rows)
        for (const Value& value : row.values) {
            if (const auto* text = std::get_if<std::string>(&value.storage()))
                bytes += text->size();
            else if (const auto* blob = std::get_if<BlobBytes>(&value.storage()))
                bytes += blob->bytes.size();
        }
    return rows.size() <= kMostRows && bytes <= kMostTextBytes;
}

namespace {

// Kept by the attachment whatever becomes of the statement that set it; null between blocks.
const char* const kTakenKey = "rdb$set_context('USER_SESSION', 'KALVORA_TAKEN_KEY', ";

// A parameter of the block for value, declared with column's own type so that it converts as
// it would into the insert's own parameter; its name, with the colon.
std::string parameter(SqlStatement& block, std::string& declarations, const std::string& table,
                      const std::string& column, const Value& value)
{
    block.params.push_back(value);
    std::string name = ":P" + std::to_string(block.params.size());
    if (!declarations.empty())
        declarations += ",\n";
    declarations.append("  ").append(name, 1).append(" type of column ").append(table).append(".").append(column);
    declarations += " = ?";
    return name;
}

// The insert of row, with keyValue instead of the value of keyColumn when one is given.
std::string insertOf(SqlStatement& block, std::string& declarations, const InsertRow& row,
                     const std::string& keyColumn = {}, const std::string& keyValue = {})
{
    std::string names;
    std::string values;
    for (std::size_t i = 0; i < row.columns.size(); ++i) {
        if (i > 0) {
            names += ", ";
            values += ", ";
        }
        names += row.columns[i];
        values += row.columns[i] == keyColumn
                      ? keyValue
                      : parameter(block, declarations, row.table, row.columns[i], row.values[i]);
    }
    return "    insert into " + row.table + " (" + names + ") values (" + values + ");\n";
}

std::string header(const std::string& declarations, const std::string& returns)
{
    return "execute block" + (declarations.empty() ? std::string() : " (\n" + declarations + ")") + "\nreturns (" +
           returns + ")\nas\n";
}

}  // namespace

SqlStatement keyedInsertBlock(const KeyedInserts& inserts)
{
    SqlStatement block;
    std::string declarations;
    std::string body;
    for (const InsertRow& row : inserts.rows)
        body += insertOf(block, declarations, row, inserts.keyColumn, ":NEW_KEY");
    block.text = header(declarations, "KEY_GIVEN smallint") +
                 "declare TAKEN bigint;\n"
                 "declare NEW_KEY bigint;\n"
                 "begin\n"
                 "  KEY_GIVEN = 0;\n"
                 "  in autonomous transaction do\n"
                 "    for select " +
                 inserts.keyName + " from " + inserts.keySource +
                 " into :TAKEN do\n"
                 "      if (KEY_GIVEN = 0) then\n"
                 "      begin\n"
                 "        KEY_GIVEN = 1;\n"
                 "        NEW_KEY = coalesce(TAKEN, 0);\n"
                 "      end\n"
                 "  if (KEY_GIVEN = 1) then\n"
                 "  begin\n"
                 "    " +
                 kTakenKey + "NEW_KEY);\n" + body + "    " + kTakenKey +
                 "null);\n"
                 "  end\n"
                 "  suspend;\n"
                 "end";
    return block;
}

SqlStatement insertIfAbsentBlock(const InsertRow& row, const std::string& keyColumn, const Value& key)
{
    SqlStatement block;
    std::string declarations;
    const std::string probe = parameter(block, declarations, row.table, keyColumn, key);
    const std::string insert = insertOf(block, declarations, row);
    block.text = header(declarations, "STORED smallint") +
                 "begin\n"
                 "  STORED = 0;\n"
                 "  if (not exists (select * from " +
                 row.table + " where " + keyColumn + " = " + probe +
                 ")) then\n"
                 "  begin\n" +
                 insert +
                 "    STORED = 1;\n"
                 "  end\n"
                 "  suspend;\n"
                 "end";
    return block;
}

const std::string& lostKeyRead()
{
    static const std::string text = std::string("execute block returns (TAKEN varchar(20))\n"
                                                "as\n"
                                                "begin\n"
                                                "  TAKEN = rdb$get_context('USER_SESSION', 'KALVORA_TAKEN_KEY');\n"
                                                "  ") +
                                    kTakenKey +
                                    "null);\n"
                                    "  suspend;\n"
                                    "end";
    return text;
}

std::optional<std::int64_t> lostKey(const fb::Rows& returned)
{
    const Value& taken = returned.rows.at(0).at(0);
    if (taken.isNull())
        return std::nullopt;
    return taken.asInteger();
}

}  // namespace kalvora
