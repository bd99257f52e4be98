#include "principalconta/transmission/column_copy.h"

#include "data/row_source.h"
#include "support/scratch.h"
#include "ui/errors.h"

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
        test::execute(sourceLocation,
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
                                   "INSERT INTO COPIA VALUES (2, -0.00005, NULL, 7.5, 3.25, 'Pe\xF1" "a', '2026-12-09', NULL)"});
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
    EXPECT_EQ(second[5], Value(std::string("Pe\xF1" "a")));
    EXPECT_EQ(second[6], Value(Date{2026, 12, 9}));
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
