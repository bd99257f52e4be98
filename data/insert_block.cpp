#include "data/insert_block.h"

namespace kalvora {

namespace {

// Kept by the attachment whatever becomes of the statement that set it; null between blocks.
const char* const kTakenKey = "rdb$set_context('USER_SESSION', 'KALVORA_TAKEN_KEY', ";

}  // namespace

SqlStatement keyedInsertBlock(const KeyedInserts& inserts)
{
    SqlStatement block;
    std::string declarations;
    std::string body;
    for (const InsertRow& row : inserts.rows) {
        std::string names;
        std::string values;
        for (std::size_t i = 0; i < row.columns.size(); ++i) {
            std::string value = ":NEW_KEY";
            if (row.columns[i] != inserts.keyColumn) {
                block.params.push_back(row.values[i]);
                value = ":P" + std::to_string(block.params.size());
                // The column's own type, so that each value converts as it would into the
                // insert's own parameter.
                declarations += std::string(declarations.empty() ? "" : ",\n") + "  " + value.substr(1) +
                                " type of column " + row.table + "." + row.columns[i] + " = ?";
            }
            names += (names.empty() ? "" : ", ") + row.columns[i];
            values += (values.empty() ? "" : ", ") + value;
        }
        body += "    insert into " + row.table + " (" + names + ") values (" + values + ");\n";
    }
    block.text = "execute block" + (declarations.empty() ? std::string() : " (\n" + declarations + ")") +
                 "\nreturns (KEY_GIVEN smallint)\n"
                 "as\n"
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
