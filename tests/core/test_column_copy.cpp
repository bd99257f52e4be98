#include "principalconta/transmission/column_copy.h"

#include "base/errors.h"
#include "data/row_source.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

namespace kalvora {
namespace {

// A source table with wider decimals and more columns than its destination twin.
class ColumnCopy : public ::testing::Test {
protected:
    void SetUp() override
    {
        fb::Attachment::create(sourceLocation, test::embeddedUser())->detach();
        fb::Attachment::create(destinationLocation, test::embeddedUser())->detach();
        test::execute(
            sourceLocation,
            {"CREATE TABLE COPIA (ID INTEGER, AMPLIO NUMERIC(18,6), REAL_ DOUBLE PRECISION, SALDO NUMERIC(15,4),"
             " TASA NUMERIC(9,2), NOMBRE VARCHAR(20), FECHA DATE, SOBRA VARCHAR(5))"});
        test::execute(destinationLocation,
                      {"CREATE TABLE COPIA (ID INTEGER, AMPLIO NUMERIC(18,4), REAL_ NUMERIC(18,4), SALDO NUMERIC(15,4),"
                       " TASA NUMERIC(9,2), NOMBRE VARCHAR(20), FECHA DATE)"});
        source.setDatabase(sourceLocation);
        source.setParam("User_Name", "SYSDBA");
        destination.setParam("Database", destinationLocation);
        destination.setParam("User_Name", "SYSDBA");
    }

    // Copies source row `id` into a new destination row and stores it.
    void copy(int id)
    {
        query.close();
        query.clearSql();
        query.addSql("select * from copia where id = " + std::to_string(id));
        query.open();
        store.close();
        store.setCommandText("SELECT * FROM COPIA");
        store.open();
        store.insert();
        copiar_campos(store, query);
        store.post();
        ASSERT_EQ(store.applyUpdates(0), 0);
    }

    fb::Row copied(int id)
    {
        return test::query(destinationLocation, "select * from copia where id = " + std::to_string(id)).rows.at(0);
    }

    test::TempDir dir;
    std::string sourceLocation = dir.file("origen.fdb");
    std::string destinationLocation = dir.file("destino.fdb");
    Connection source;
    DirectTransaction transaction{source};
    Query query{source, transaction};
    DestinationConnection destination;
    RowStore store{"CDestino", std::make_unique<DestinationSource>(destination), {"PDestino"}};
};

TEST_F(ColumnCopy, WideDecimalsCrossAsCurrencyOtherColumnsAsTheyAre)
{
    test::execute(sourceLocation, {"INSERT INTO COPIA VALUES (1, 1.23456789, 12.34567, NULL, NULL, NULL, NULL, 'x')",
                                   "INSERT INTO COPIA VALUES (2, -0.00005, NULL, 7.5, 3.25, 'Pe\xF1"
                                   "a', '2026-12-09', NULL)"});
    copy(1);
    copy(2);

    const fb::Row first = copied(1);
    EXPECT_EQ(first[1], Value(Scaled{12346, -4})) << "rounded to four places";
    EXPECT_EQ(first[2], Value(Scaled{123457, -4})) << "a float is scaled and rounded";
    EXPECT_EQ(first[3], Value(Scaled{0, -4})) << "a null wide decimal arrives as 0";
    EXPECT_TRUE(first[4].isNull()) << "a narrow decimal keeps its null";
    EXPECT_TRUE(first[5].isNull());
    EXPECT_TRUE(first[6].isNull());

    const fb::Row second = copied(2);
    EXPECT_EQ(second[1], Value(Scaled{-1, -4})) << "half away from zero";
    EXPECT_EQ(second[2], Value(Scaled{0, -4}));
    EXPECT_EQ(second[3], Value(Scaled{75000, -4}));
    EXPECT_EQ(second[4], Value(Scaled{325, -2}));
    EXPECT_EQ(second[5], Value(std::string("Pe\xF1"
                                           "a")));
    EXPECT_EQ(second[6], Value(Date{2026, 12, 9}));
}

// Decimals held in a 64-bit integer are told apart by the precision they were declared with.
TEST_F(ColumnCopy, TheDeclaredPrecisionDecidesWhetherANullStaysNull)
{
    struct Column {
        const char* name;
        const char* declared;
        FieldType type;
        bool keepsNull;
    };
    const std::vector<Column> columns{
        {"D12_2", "NUMERIC(12,2)", FieldType::Bcd, true},     {"D14_4", "DECIMAL(14,4)", FieldType::Bcd, true},
        {"D15_2", "NUMERIC(15,2)", FieldType::FmtBcd, false}, {"D14_5", "NUMERIC(14,5)", FieldType::FmtBcd, false},
        {"D9_2", "NUMERIC(9,2)", FieldType::Bcd, true},
    };
    std::string ddl = "CREATE TABLE DECIMALES (ID INTEGER";
    for (const Column& k : columns)
        ddl += std::string(", ") + k.name + " " + k.declared;
    ddl += ")";
    test::execute(sourceLocation, {ddl, "INSERT INTO DECIMALES (ID) VALUES (1)"});
    test::execute(destinationLocation, {ddl});

    query.addSql("select * from decimales");
    query.open();
    store.setCommandText("SELECT * FROM DECIMALES");
    store.open();
    store.insert();
    copiar_campos(store, query);
    store.post();
    ASSERT_EQ(store.applyUpdates(0), 0);

    const fb::Row row = test::query(destinationLocation, "select * from decimales").rows.at(0);
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const Column& k = columns[i];
        SCOPED_TRACE(k.declared);
        EXPECT_EQ(store.field(k.name).def().type, k.type);
        EXPECT_EQ(row[i + 1].isNull(), k.keepsNull) << row[i + 1].asText();
    }
}

// Without a table to ask, or a precision recorded for the column, the storage type decides.
TEST_F(ColumnCopy, AnExpressionTakesThePrecisionOfItsStorage)
{
    store.setCommandText("SELECT CAST(NULL AS NUMERIC(12,2)) AS CALCULADO, CAST(NULL AS NUMERIC(4,2)) AS PEQUENO"
                         " FROM RDB$DATABASE");
    store.open();
    EXPECT_EQ(store.field("CALCULADO").def().type, FieldType::FmtBcd);
    EXPECT_EQ(store.field("CALCULADO").def().precision, 18);
    EXPECT_EQ(store.field("PEQUENO").def().type, FieldType::Bcd);
}

TEST_F(ColumnCopy, PrecisionsAreReadOncePerTableWhileConnected)
{
    int reads = 0;
    const DeclaredPrecisions::Reader reader = [&](const std::string& sql, const std::vector<Value>& params) {
        ++reads;
        return destination.select(sql, params, false);
    };
    fb::Column saldo{"SALDO", "SALDO", "COPIA", SQL_INT64, 0, -4, 8, 0, true};
    fb::Column amplio = saldo;
    amplio.name = amplio.field = "AMPLIO";
    DeclaredPrecisions& precisions = destination.declaredPrecisions();
    EXPECT_EQ(precisions.of(saldo, reader), 15);
    EXPECT_EQ(precisions.of(amplio, reader), 18);
    EXPECT_EQ(reads, 1);
    destination.close();
    EXPECT_EQ(precisions.of(saldo, reader), 15);
    EXPECT_EQ(reads, 2) << "a new attachment may be another database";
}

TEST_F(ColumnCopy, ASourceShorterThanTheDestinationStopsTheCopy)
{
    test::execute(sourceLocation, {"ALTER TABLE COPIA DROP SOBRA", "ALTER TABLE COPIA DROP FECHA",
                                   "INSERT INTO COPIA VALUES (1, 1, 2, 3, 4, 'uno')"});
    query.addSql("select * from copia");
    query.open();
    store.setCommandText("SELECT * FROM COPIA");
    store.open();
    store.insert();
    EXPECT_THROW(copiar_campos(store, query), Error);
    EXPECT_EQ(store.field(5).asText(), "uno") << "the columns before the missing one were copied";
}

TEST_F(ColumnCopy, AValueTheColumnCannotHoldIsRefused)
{
    test::execute(destinationLocation, {"ALTER TABLE COPIA DROP FECHA", "ALTER TABLE COPIA ADD FECHA INTEGER"});
    test::execute(sourceLocation, {"INSERT INTO COPIA VALUES (1, 1, 2, 3, 4, 'uno', '2026-12-09', NULL)"});
    query.addSql("select * from copia");
    query.open();
    store.setCommandText("SELECT * FROM COPIA");
    store.open();
    store.insert();
    EXPECT_THROW(copiar_campos(store, query), Error);
}

}  // namespace
}  // namespace kalvora
