// The row store's statements: for any set of fields of a real table, any change and any
// values the fields accept, the INSERT / UPDATE / DELETE text prepares in Firebird and asks
// for exactly the parameters it is given. Run in a transaction that is rolled back.
#include "base/errors.h"
#include "data/field.h"
#include "data/resolver.h"
#include "data/row_store.h"
#include "fuzz/check.h"
#include "fuzz/input.h"
#include "fuzz/scratch.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>

using namespace kalvora;
using kalvora::fuzz::Input;
using kalvora::fuzz::require;

namespace {

struct Table {
    std::string name;                       // as the database keeps it, quoted as needed
    std::vector<std::string> commandTexts;  // ways a row store may have named it
    std::vector<FieldDef> fields;
};

const std::vector<std::string> kDdl{
    "CREATE TABLE T_FUZZ (ID INTEGER NOT NULL, S SMALLINT, BI BIGINT, F DOUBLE PRECISION, FL FLOAT,"
    " V VARCHAR(40), C CHAR(6), D DATE, T TIME, TS TIMESTAMP, N42 NUMERIC(4,2), N92 NUMERIC(9,2),"
    " N154 NUMERIC(15,4), N186 NUMERIC(18,6), B BLOB SUB_TYPE 0, M BLOB SUB_TYPE 1, FLAG BOOLEAN,"
    " LARGO VARCHAR(9000), \"Mixto\" INTEGER, \"A\"\"B\" VARCHAR(10), \"con blanco\" VARCHAR(10),"
    " \"SELECT\" INTEGER, \"x;--/*\" VARCHAR(5))",
    "INSERT INTO T_FUZZ (ID, V, C, N92) VALUES (1, 'uno', 'uno', 1.5)",
    "CREATE TABLE \"Tabla \"\"rara\"\"\" (\"x\" INTEGER, Y VARCHAR(5) NOT NULL)",
};

std::vector<Table> tables(fb::Attachment& db)
{
    std::vector<Table> out{
        {"T_FUZZ",
         {"SELECT * FROM T_FUZZ", "select * from T_FUZZ where ID = 1", "SELECT * FROM T_FUZZ;",
          "SELECT /* from OTRA */ * FROM T_FUZZ", "-- from OTRA\nSELECT 'from OTRA' AS A, T_FUZZ.* FROM T_FUZZ"},
         {}},
        {"\"Tabla \"\"rara\"\"\"", {"SELECT * FROM \"Tabla \"\"rara\"\"\""}, {}},
    };
    for (auto& table : out) {
        fb::Transaction tr(db);
        fb::Statement select(db, tr, "SELECT * FROM " + table.name);
        for (const auto& column : select.columns())
            table.fields.push_back(fieldDefFor(column));
        tr.rollback();
    }
    return out;
}

Value anyValue(Input& in)
{
    switch (in.choice(10)) {
    case 0:
        return {};
    case 1:
        return Value(in.integer());
    case 2:
        return Value(Scaled{in.integer(), -int(in.choice(9))});
    case 3: {
        const std::int64_t bits = in.integer();
        double d;
        std::memcpy(&d, &bits, sizeof d);
        return Value(d);
    }
    case 4:
        return Value(in.bytes(60));
    case 5:
        return Value(Date{int(in.integer() % 12000), int(in.choice(14)), int(in.choice(33))});
    case 6:
        return Value(TimeOfDay{int(in.choice(25)), int(in.choice(61)), int(in.choice(61)), int(in.choice(100)) * 100});
    case 7:
        return Value(Timestamp{{int(in.choice(200)) + 1900, int(in.choice(12)) + 1, int(in.choice(28)) + 1},
                               {int(in.choice(24)), int(in.choice(60)), 0, 0}});
    case 8:
        return Value(BlobBytes{in.bytes(60)});
    default:
        return Value(in.flag());
    }
}

// What a row store could hold for the field: the value converted, or nothing when the
// field refuses it.
std::optional<Value> accepted(const FieldDef& field, const Value& value)
{
    try {
        return convertForField(field, value);
    } catch (const Error&) {
        return std::nullopt;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fb::Attachment& db = kalvora::fuzz::scratchDatabase(kDdl);
    static const std::vector<Table> all = tables(db);
    Input in(data, size);

    const Table& table = all[in.choice(all.size())];
    const std::string& commandText = table.commandTexts[in.choice(table.commandTexts.size())];
    const std::string quotedTable = quoteTableName(tableFromCommandText(commandText), '"');
    require(quotedTable == (table.name.front() == '"' ? table.name : '"' + table.name + '"'),
            "the table named by the command text");

    std::vector<FieldDef> fields;
    RowChange change{UpdateKind(in.choice(3)), {}, {}};
    for (const FieldDef& def : table.fields) {
        if (!in.flag())
            continue;
        FieldDef field = def;
        field.readOnly = in.choice(8) == 0;
        fields.push_back(field);
        change.oldValues.push_back(in.flag() ? Value() : accepted(field, anyValue(in)).value_or(Value()));
        std::optional<Value> assigned;
        if (in.flag())
            assigned = accepted(field, anyValue(in));
        change.newValues.push_back(assigned);
    }

    std::optional<SqlStatement> statement;
    try {
        statement = buildStatement(quotedTable, fields, change, '"');
    } catch (const Error&) {
        const bool anyCompared =
            std::any_of(fields.begin(), fields.end(), [](const FieldDef& f) { return isCompared(f); });
        require(change.kind != UpdateKind::Insert && !anyCompared, "a row is unlocatable only without compared fields");
        return 0;
    }
    if (!statement)
        return 0;

    fb::Transaction tr(db);
    try {
        fb::Statement prepared(db, tr, statement->text);
        require(prepared.parameterCount() == statement->params.size(), "one value per parameter");
        try {
            prepared.execute(tr, statement->params);
        } catch (const Error&) {
            // Values the table refuses (constraints, sizes, ranges) are the database's call.
        }
    } catch (const DatabaseError& e) {
        std::fprintf(stderr, "%s\n%s\n", statement->text.c_str(), e.what());
        require(false, "every statement prepares");
    }
    tr.rollback();
    return 0;
}
