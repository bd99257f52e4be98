// Texts that differ only in their compared values share one prepared statement, and must
// answer exactly as the texts with literals would; reads of a run share one transaction.
#include "base/errors.h"
#include "data/connection.h"
#include "data/destination.h"
#include "data/literal_lifting.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

namespace kalvora {
namespace {

using Values = std::vector<Value>;

TEST(LiteralLifting, ComparedLiteralsOfTheProgramsStatementsBecomeParameters)
{
    struct Case {
        std::string sql;
        std::string text;
        Values values;
    };
    const std::vector<Case> cases{
        {"select * from comprobante_detalle where enco_consec = 42",
         "select * from comprobante_detalle where enco_consec = ?",
         {42}},
        {"SELECT * FROM COMPROBANTE_ENCABEZADO WHERE TICO_COD = 'CE' AND PRCO_PREF = 'O''N' AND ENCO_NUMERO = '000123'",
         "SELECT * FROM COMPROBANTE_ENCABEZADO WHERE TICO_COD = ? AND PRCO_PREF = ? AND ENCO_NUMERO = ?",
         {"CE", "O'N", "000123"}},
        {"UPDATE AUDITORIA SET AUDI_ENVIO = 'S' where AUDI_ID = 7",
         "UPDATE AUDITORIA SET AUDI_ENVIO = ? where AUDI_ID = ?",
         {"S", 7}},
        {"select a from t where (a = '' or b<>3) and c >= 'x'\norder by a",
         "select a from t where (a = ? or b<>?) and c >= ?\norder by a",
         {"", 3, "x"}},
        {"update t set a = 1, b = 'z' where c = 2;", "update t set a = ?, b = ? where c = ?;", {1, "z", 2}},
        {"UPDATE AUDITORIA SET AUDI_ENVIO = 'S' where AUDI_ID in (7, 8,9)",
         "UPDATE AUDITORIA SET AUDI_ENVIO = ? where AUDI_ID in (?, ?,?)",
         {"S", 7, 8, 9}},
    };
    for (const auto& c : cases) {
        const auto lifted = liftLiterals(c.sql);
        ASSERT_TRUE(lifted) << c.sql;
        EXPECT_EQ(lifted->text, c.text);
        EXPECT_EQ(lifted->values, c.values) << c.sql;
    }
}

TEST(LiteralLifting, LeavesAloneWhatIsNotAWholeComparedValue)
{
    // Each of these keeps its text: lifting would change what it means, or could.
    for (const std::string sql : {
             "select * from t order by 1",
             "select * from t where a = -1",
             "select * from t where a = 1.5",
             "select * from t where a = 1e3",
             "select * from t where a = 0x1F",
             "select * from t where a = 99999999999999999999",
             "select * from t where a = DATE '2026-12-09'",
             "select * from t where a = _WIN1252 'x'",
             "select * from t where a = 'x' || b",
             "select * from t where a = 'x' collate PT_BR",
             "select * from t where a like 'x%' and b starting with 'y'",
             "select * from t where a between 1 and 2",
             "select * from t where a in ('x', 'y')",
             "select * from t where a in (1, 'y')",
             "select * from t where a in (1, b)",
             "select * from t where a in (1.5, 2)",
             "select * from t where a in (select b from u where b = c)",
             "select 'x', 2 from t",
             "select case when a = 1 then 2 end from t",
             "insert into t (a, b) values ('x', 1)",
             "select * from t where \"A = 1\" is null",
             "select * from t -- where a = 'it''s'\n",
             "select * from t /* where a = 1 */",
         })
        EXPECT_FALSE(liftLiterals(sql)) << sql;

    // Texts with parameters of their own, or that do not scan, are not touched at all.
    for (const std::string sql : {
             "select * from t where a = ? and b = 1",
             "select * from t where a = :a and b = 1",
             "select * from t where a = 'open and b = 1",
             "select * from t where a = 1 /* open",
             "select * from t where a = q'{it's}' and b = 1",
         })
        EXPECT_FALSE(liftLiterals(sql)) << sql;

    // A comment or quoted name around a lifted literal stays as written.
    const auto lifted = liftLiterals("select \"a=1\" from t /* 'x' = 1 */ where a = 'y' -- b = 2");
    ASSERT_TRUE(lifted);
    EXPECT_EQ(lifted->text, "select \"a=1\" from t /* 'x' = 1 */ where a = ? -- b = 2");
    EXPECT_EQ(lifted->values, Values{"y"});
}

TEST(LiteralLifting, ValuesFitOnlyParametersThatCompareThemAsTheLiteralWould)
{
    auto parameter = [](unsigned type, unsigned length, int scale = 0, int charSet = 0) {
        fb::Column c;
        c.type = type;
        c.length = length;
        c.scale = scale;
        c.charSet = charSet;
        return c;
    };
    EXPECT_TRUE(liftedValuesFit({parameter(SQL_VARYING, 3)}, {"abc"}));
    EXPECT_TRUE(liftedValuesFit({parameter(SQL_TEXT, 3)}, {""}));
    EXPECT_FALSE(liftedValuesFit({parameter(SQL_VARYING, 3)}, {"abcd"})) << "longer than the column";
    EXPECT_TRUE(liftedValuesFit({parameter(SQL_VARYING, 3, 0, 53)}, {"\xD1\xE9"})) << "WIN1252";
    EXPECT_FALSE(liftedValuesFit({parameter(SQL_VARYING, 12, 0, 4)}, {"abc"})) << "UTF8 checks what it converts";
    EXPECT_FALSE(liftedValuesFit({parameter(SQL_TYPE_DATE, 4)}, {"2026-12-09"}));
    EXPECT_FALSE(liftedValuesFit({parameter(SQL_LONG, 4)}, {"5"}));

    EXPECT_TRUE(liftedValuesFit({parameter(SQL_SHORT, 2)}, {32767}));
    EXPECT_FALSE(liftedValuesFit({parameter(SQL_SHORT, 2)}, {32768}));
    EXPECT_TRUE(liftedValuesFit({parameter(SQL_LONG, 4)}, {std::int64_t{2147483647}}));
    EXPECT_FALSE(liftedValuesFit({parameter(SQL_LONG, 4)}, {std::int64_t{2147483648}}));
    EXPECT_TRUE(liftedValuesFit({parameter(SQL_INT64, 8)}, {std::int64_t{9000000000000000000}}));
    EXPECT_FALSE(liftedValuesFit({parameter(SQL_INT64, 8, -2)}, {5})) << "a decimal column";
    EXPECT_FALSE(liftedValuesFit({parameter(SQL_VARYING, 3)}, {5}));
    EXPECT_FALSE(liftedValuesFit({parameter(SQL_VARYING, 3), parameter(SQL_LONG, 4)}, {"a"}));
}

class StatementSharingTest : public ::testing::Test {
protected:
    test::TempDir dir;
    std::string location = test::createCompanyDatabase(dir.path(), "DES");
    DestinationConnection envio;

    void SetUp() override
    {
        test::execute(location, {"CREATE TABLE S (ID INTEGER NOT NULL, CODE VARCHAR(3), FIXED CHAR(3), SMALL SMALLINT,"
                                 " AMOUNT NUMERIC(9,2), DIA DATE)",
                                 "INSERT INTO S VALUES (1, 'A''B', 'AB', 7, 5.00, '2026-12-09')",
                                 "INSERT INTO S VALUES (2, 'XYZ', 'XYZ', 8, 5.25, '2026-12-10')"});
        envio.setParam("Database", location);
        envio.setParam("User_Name", "SYSDBA");
    }

    std::vector<std::int64_t> ids(const std::string& where)
    {
        std::vector<std::int64_t> out;
        for (const auto& row : envio.select("select id from s where " + where + " order by id").rows)
            out.push_back(row[0].asInteger());
        return out;
    }

    // Statements this attachment has prepared whose text starts so.
    std::int64_t prepared(const std::string& start)
    {
        return envio
            .select("select count(*) from mon$statements where mon$attachment_id = current_connection"
                    " and mon$sql_text starting with '" +
                    start + "'")
            .rows.at(0)
            .at(0)
            .asInteger();
    }
};

TEST_F(StatementSharingTest, LiftedTextsAnswerAsTheirLiteralsWould)
{
    using Ids = std::vector<std::int64_t>;
    EXPECT_EQ(ids("code = 'A''B'"), Ids{1});
    EXPECT_EQ(ids("code = 'XYZW'"), Ids{}) << "longer than the column: no match, no truncation error";
    EXPECT_EQ(ids("code = 'XYZ'"), Ids{2});
    EXPECT_EQ(ids("fixed = 'AB'"), Ids{1}) << "fixed text compares without its padding";
    EXPECT_EQ(ids("fixed = 'AB '"), Ids{1});
    EXPECT_EQ(ids("small = 70000"), Ids{}) << "beyond a SMALLINT: no match, no overflow";
    EXPECT_EQ(ids("id = 99999999999"), Ids{});
    EXPECT_EQ(ids("amount = 5"), Ids{1}) << "a whole number against a decimal";
    EXPECT_EQ(ids("dia = '2026-12-10'"), Ids{2});
    EXPECT_EQ(ids("id = 2 and code = 'XYZ'"), Ids{2});
    EXPECT_EQ(ids("id in (2, 1, 2)"), (Ids{1, 2}));
    EXPECT_EQ(ids("id in (2, 99999999999)"), Ids{2}) << "beyond an INTEGER: runs as written";
    EXPECT_EQ(ids("small not in (7, 70000)"), Ids{2});
    EXPECT_EQ(envio.select("select 'x' from s where id = 1").rows.at(0).at(0).asText(), "x");

    // An error names the text's own fault, as without lifting.
    EXPECT_THROW(envio.select("select id from s where nothing = 1"), DatabaseError);
    EXPECT_THROW(envio.select("select id from s where dia = 'not a day'"), DatabaseError);

    // Writes, on the direct connection as well.
    EXPECT_EQ(envio.execute("update s set code = 'Q' where id = 2"), 1u);
    EXPECT_EQ(ids("code = 'Q'"), Ids{2});
    Connection direct;
    direct.setDatabase(location);
    direct.setParam("User_Name", "SYSDBA");
    DirectTransaction tr(direct);
    Query q(direct, tr);
    q.addSql("update s set code = 'R' where id = 1");
    q.execSql();
    q.clearSql();
    q.addSql("select code from s where id = 1");
    q.open();
    EXPECT_EQ(q.field(0).asText(), "R");
}

TEST_F(StatementSharingTest, TextsThatDifferOnlyInValuesArePreparedOnce)
{
    for (int id = 1; id <= 40; ++id) {
        envio.select("select id from s where id = " + std::to_string(id));
        envio.select("select id from s where code = 'C" + std::to_string(id) + "'");
    }
    EXPECT_EQ(prepared("select id from s where id"), 1);
    EXPECT_EQ(prepared("select id from s where code"), 1);

    // A value that does not fit runs as written, beside the shared statement.
    envio.select("select id from s where code = 'TOO LONG'");
    EXPECT_EQ(prepared("select id from s where code"), 2);
}

TEST_F(StatementSharingTest, HeldReadsSeeEveryCommitAndEndWithTheirScope)
{
    for (const std::string isolation : {"ReadCommited", "RepeatableRead"}) {
        envio.setParam("Interbase TransIsolation", isolation);
        test::execute(location, {"DELETE FROM S"});
        const HeldReads reads(envio);
        EXPECT_EQ(envio.select("select * from s", {}, false).rows.size(), 0u) << isolation;
        test::execute(location, {"INSERT INTO S (ID) VALUES (1)"});
        EXPECT_EQ(envio.select("select * from s", {}, false).rows.size(), 1u) << isolation;
        envio.execute("INSERT INTO S (ID) VALUES (2)");
        EXPECT_EQ(envio.select("select * from s", {}, false).rows.size(), 2u) << isolation;
        EXPECT_THROW(envio.select("select * from nowhere", {}, false), DatabaseError);
        EXPECT_EQ(envio.select("select * from s", {}, false).rows.size(), 2u) << "a failed read ends nothing";
    }
    // Seen from another attachment: the shared transaction lives as long as the scope.
    const auto me = envio.select("select current_connection from rdb$database", {}, false).rows.at(0).at(0);
    auto openTransactions = [&] {
        return test::query(location, "select count(*) from mon$transactions where mon$attachment_id = " + me.asText())
            .rows.at(0)
            .at(0)
            .asInteger();
    };
    envio.setParam("Interbase TransIsolation", "ReadCommited");
    {
        const HeldReads reads(envio);
        envio.select("select * from s", {}, false);
        EXPECT_EQ(openTransactions(), 1);
    }
    EXPECT_EQ(openTransactions(), 0);
}

}  // namespace
}  // namespace kalvora
