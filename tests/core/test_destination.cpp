#include "base/errors.h"
#include "base/text.h"
#include "data/connection.h"
#include "data/destination.h"
#include "support/environment.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <random>
#include <thread>

namespace kalvora {
namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

class DestinationTest : public ::testing::Test {
protected:
    test::TempDir dir;
    std::string location = test::createCompanyDatabase(dir.path(), "DES");

    void SetUp() override
    {
        test::execute(location, {"CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, V VARCHAR(20))"});
        envio.setParam("Database", location);
        envio.setParam("User_Name", "SYSDBA");
    }

    std::size_t othersSee(const std::string& where = "")
    {
        return test::query(location, "select * from t " + where).rows.size();
    }

    DestinationConnection envio;
};

TEST_F(DestinationTest, StartsWithTheProgramsParameterList)
{
    const DestinationConnection fresh;
    EXPECT_EQ(fresh.params().entries(), (Entries{{"BlobSize", "-1"},
                                                 {"CommitRetain", "False"},
                                                 {"Database", "C:\\kalvora2012\\sop\\kalvora.fdb"},
                                                 {"ErrorResourceFile", ""},
                                                 {"LocaleCode", "0000"},
                                                 {"Password", "qorblatex"},
                                                 {"RoleName", "RoleName"},
                                                 {"ServerCharSet", ""},
                                                 {"SQLDialect", "3"},
                                                 {"Interbase TransIsolation", "ReadCommited"},
                                                 {"User_Name", "sysdba"},
                                                 {"WaitOnLocks", "True"},
                                                 {"Trim Char", "False"}}));
    EXPECT_FALSE(fresh.connected());
    EXPECT_FALSE(fresh.inTransaction());
    // "Conectar" replaces three of them in place, whatever the letter case.
    EXPECT_EQ(envio.params().entries()[2], (std::pair<std::string, std::string>{"Database", location}));
    EXPECT_EQ(envio.params().entries()[10], (std::pair<std::string, std::string>{"User_Name", "SYSDBA"}));
    DestinationConnection other;
    other.setParam("password", "x");
    EXPECT_EQ(other.params().entries()[5], (std::pair<std::string, std::string>{"Password", "x"}));
}

TEST_F(DestinationTest, StatementsOutsideATransactionCommitAtOnce)
{
    EXPECT_EQ(envio.execute("INSERT INTO T (ID, V) VALUES (?, ?)", {1, "uno"}), 1u);
    EXPECT_TRUE(envio.connected()) << "connects first when needed";
    EXPECT_EQ(othersSee(), 1u);
    EXPECT_EQ(envio.execute("UPDATE T SET V = 'otro' WHERE ID > ?", {0}), 1u);
    EXPECT_EQ(test::query(location, "select v from t").rows[0][0].asText(), "otro");
    EXPECT_EQ(envio.select("select id from t").rows.size(), 1u);

    // A statement that fails leaves nothing of itself.
    EXPECT_THROW(envio.execute("INSERT INTO T (ID) SELECT 2 FROM RDB$DATABASE UNION ALL SELECT 1 FROM RDB$DATABASE"),
                 DatabaseError);
    EXPECT_EQ(othersSee(), 1u);
    EXPECT_FALSE(envio.inTransaction());
}

// While reads are held, such statements share a transaction the server commits after each
// one: each is visible to others at once, a failed one leaves nothing, and BLOB bytes sent
// with the statement arrive as they were, whatever their length.
TEST_F(DestinationTest, CommittedStatementsAreVisibleAtOnceAndKeepBlobBytes)
{
    test::execute(location, {"CREATE TABLE B (ID INTEGER NOT NULL PRIMARY KEY, D BLOB SUB_TYPE 0, N BLOB SUB_TYPE 1)"});
    std::string every;
    for (int i = 0; i < 256; ++i)
        every += char(i);
    const std::string longer(70000, 'x');
    const HeldReads reads(envio);
    for (const auto& [id, bytes] : std::vector<std::pair<int, std::string>>{{1, every}, {2, ""}, {3, longer}}) {
        SCOPED_TRACE(id);
        envio.executeCommitted("INSERT INTO B (ID, D, N) VALUES (?, ?, ?)", {id, BlobBytes{bytes}, BlobBytes{bytes}});
        const auto stored = test::query(location, "select d, n from b where id = " + std::to_string(id));
        ASSERT_EQ(stored.rows.size(), 1u) << "committed when it returns";
        EXPECT_EQ(std::get<BlobBytes>(stored.rows[0][0].storage()).bytes, bytes);
        EXPECT_EQ(std::get<BlobBytes>(stored.rows[0][1].storage()).bytes, bytes);
    }
    EXPECT_THROW(envio.executeCommitted("INSERT INTO B (ID) VALUES (?)", {1}), DatabaseError);
    envio.executeCommitted("INSERT INTO B (ID) VALUES (?)", {4});
    EXPECT_EQ(test::query(location, "select count(*) from b").rows[0][0].asInteger(), 4);
    EXPECT_FALSE(envio.inTransaction());
}

TEST_F(DestinationTest, ExplicitTransactionCommitsOrRollsBackAsAWhole)
{
    envio.startTransaction();
    envio.execute("INSERT INTO T (ID) VALUES (1)");
    envio.execute("INSERT INTO T (ID) VALUES (2)");
    EXPECT_EQ(envio.select("select id from t").rows.size(), 2u) << "its own work is visible to itself";
    EXPECT_EQ(othersSee(), 0u);
    try {
        envio.startTransaction();
        FAIL() << "a second transaction started";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "A transaction is already active");
    }
    EXPECT_TRUE(envio.inTransaction());
    envio.commit();
    EXPECT_FALSE(envio.inTransaction());
    EXPECT_EQ(othersSee(), 2u);

    envio.startTransaction();
    envio.execute("DELETE FROM T");
    envio.execute("INSERT INTO T (ID) VALUES (3)");
    envio.rollback();
    EXPECT_EQ(othersSee(), 2u);
    EXPECT_EQ(othersSee("where id = 3"), 0u);

    // Closing with a transaction left active rolls it back.
    envio.startTransaction();
    envio.execute("INSERT INTO T (ID) VALUES (4)");
    envio.close();
    EXPECT_FALSE(envio.connected());
    EXPECT_FALSE(envio.inTransaction());
    EXPECT_EQ(othersSee(), 2u);
}

TEST_F(DestinationTest, TransactionsAreReadCommittedUnlessRepeatableReadIsAsked)
{
    envio.startTransaction();
    EXPECT_EQ(envio.select("select * from t").rows.size(), 0u);
    test::execute(location, {"INSERT INTO T (ID) VALUES (1)"});
    EXPECT_EQ(envio.select("select * from t").rows.size(), 1u);
    envio.commit();

    envio.setParam("interbase transisolation", "repeatableREAD");
    envio.startTransaction();
    EXPECT_EQ(envio.select("select * from t").rows.size(), 1u);
    test::execute(location, {"INSERT INTO T (ID) VALUES (2)"});
    EXPECT_EQ(envio.select("select * from t").rows.size(), 1u);
    envio.commit();
    EXPECT_EQ(envio.select("select * from t").rows.size(), 2u);
}

TEST_F(DestinationTest, ErrorsCarryTheServersText)
{
    try {
        envio.select("select * from NO_SUCH");
        FAIL();
    } catch (const DatabaseError& e) {
        EXPECT_STREQ(e.what(),
                     "Dynamic SQL Error\n-SQL error code = -204\n-Table unknown\n-NO_SUCH\n-At line 1, column 15");
        EXPECT_EQ(e.code(), isc_dsql_error);
        EXPECT_EQ(e.sqlState(), "42S02");
    }
}

// Another attachment holds the row (updated, not ended) and ends its transaction a moment
// later from a thread; the destination's update waits for that end.
class LockWaitTest : public DestinationTest {
protected:
    void SetUp() override
    {
        DestinationTest::SetUp();
        test::execute(location, {"INSERT INTO T (ID, V) VALUES (1, 'antes')"});
        holder = fb::Attachment::attach(location, test::embeddedUser());
        holding = std::make_unique<fb::Transaction>(*holder);
        fb::Statement(*holder, *holding, "UPDATE T SET V = 'holder' WHERE ID = 1").execute(*holding);
    }

    void TearDown() override
    {
        if (ender.joinable())
            ender.join();
        holding.reset();
        holder->detach();
    }

    void endHolderSoon(bool commit)
    {
        ender = std::thread([this, commit] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            ended = true;
            if (commit)
                holding->commit();
            else
                holding->rollback();
        });
    }

    std::string stored() { return test::query(location, "select v from t").rows[0][0].asText(); }

    std::unique_ptr<fb::Attachment> holder;
    std::unique_ptr<fb::Transaction> holding;
    std::thread ender;
    std::atomic<bool> ended = false;
};

TEST_F(LockWaitTest, UpdateWaitsAndGoesOnWhenTheHolderRollsBack)
{
    envio.open();
    endHolderSoon(false);
    EXPECT_EQ(envio.execute("UPDATE T SET V = 'destino' WHERE ID = 1"), 1u);
    EXPECT_TRUE(ended);
    EXPECT_EQ(stored(), "destino");
}

TEST_F(LockWaitTest, UpdateWaitsAndMeetsTheConflictWhenTheHolderCommits)
{
    envio.open();
    endHolderSoon(true);
    try {
        envio.execute("UPDATE T SET V = 'destino' WHERE ID = 1");
        FAIL() << "the update overwrote a change it never saw";
    } catch (const DatabaseError& e) {
        EXPECT_TRUE(ended);
        // The engine's first code for an update conflict; "update conflicts with concurrent update" follows it.
        EXPECT_EQ(e.code(), isc_deadlock) << e.what();
    }
    EXPECT_EQ(stored(), "holder");
}

TEST_F(LockWaitTest, WithoutWaitOnLocksTheUpdateFailsWhileTheHolderIsActive)
{
    envio.setParam("WaitOnLocks", "no");
    try {
        envio.execute("UPDATE T SET V = 'destino' WHERE ID = 1");
        FAIL();
    } catch (const DatabaseError& e) {
        // The engine's first code for an update conflict; "update conflicts with concurrent update" follows it.
        EXPECT_EQ(e.code(), isc_deadlock) << e.what();
    }
    holding->rollback();
    EXPECT_EQ(stored(), "antes");
}

// Every column type the program moves, written through the destination's parameters or as
// literals in a direct connection's statement, and read back through both paths.
class ColumnTypesTest : public ::testing::Test {
protected:
    test::TempDir dir;
    std::string location = test::createCompanyDatabase(dir.path(), "TYP");
    std::string registry = dir.file("kalvora.reg");
    std::optional<std::string> oldRegistry;

    std::string high;  // every byte from 0x80 to 0xFF
    std::string name = ansi("Peña Álvarez, niño");
    std::string photo;  // 200 KB of every byte value
    std::string memo = std::string("a\0b", 3) + ansi("ñ") + std::string("\0\0", 2);

    void SetUp() override
    {
        oldRegistry = test::environmentVariable("KALVORA_REGISTRY");
        test::setEnvironmentVariable("KALVORA_REGISTRY", registry);
        for (int c = 0x80; c <= 0xFF; ++c)
            high += char(c);
        std::mt19937 random(42);
        photo.resize(std::size_t{200} * 1024);
        for (char& c : photo)
            c = char(random());
        test::execute(location,
                      {"CREATE TABLE TIPOS (ID INTEGER NOT NULL PRIMARY KEY, I INTEGER, S SMALLINT, BI BIGINT,"
                       " V VARCHAR(200), C CHAR(6), D DATE, T TIME, TS TIMESTAMP, N92 NUMERIC(9,2),"
                       " N154 NUMERIC(15,4), B BLOB SUB_TYPE 0, M BLOB SUB_TYPE 1)"});
    }

    void TearDown() override { test::setEnvironmentVariable("KALVORA_REGISTRY", oldRegistry); }

    void writeRegionalFormats(const std::string& shortDate, const std::string& longTime)
    {
        std::ofstream(registry, std::ios::binary)
            << "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Control Panel\\International]\r\n"
            << "\"sShortDate\"=\"" << shortDate << "\"\r\n\"sLongTime\"=\"" << longTime << "\"\r\n";
    }

    static std::string padded(const std::string& s, std::size_t n) { return s + std::string(n - s.size(), ' '); }
};

TEST_F(ColumnTypesTest, ValuesRoundTripThroughBothConnections)
{
    DestinationConnection envio;
    envio.setParam("Database", location);
    envio.setParam("User_Name", "SYSDBA");
    envio.execute("INSERT INTO TIPOS VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                  {1, -2147483647 - 1, -32768, std::int64_t{9223372036854775807}, high + name, ansi("Ñu"),
                   Date{2026, 12, 9}, TimeOfDay{14, 5, 9, 1234}, Timestamp{{2024, 2, 29}, {23, 59, 59, 9999}},
                   Scaled{-123456789, -2}, Value::currency(123456789012345), BlobBytes{photo}, memo});
    envio.execute("INSERT INTO TIPOS (ID) VALUES (3)");

    {
        Connection cia;
        cia.setDatabase(location);
        cia.setParam("User_Name", "SYSDBA");
        DirectTransaction tr(cia);
        Query q(cia, tr);
        q.addSql("INSERT INTO TIPOS (ID, V, C, D, T, TS, N92, N154) VALUES (2, '" + name + "', '" + ansi("Ñu") +
                 "', '2026-12-09', '14:05:09.1234', '2024-02-29 23:59:59.9999', -0.05, 0.0001)");
        q.execSql();
    }

    // Through a direct connection.
    Connection cia;
    cia.setDatabase(location);
    cia.setParam("User_Name", "SYSDBA");
    DirectTransaction tr(cia);
    Query q(cia, tr);
    q.addSql("select * from tipos order by id");
    q.open();
    ASSERT_EQ(q.recordCount(), 3u);
    EXPECT_EQ(q.field("I").asInteger(), -2147483648LL);
    EXPECT_EQ(q.field("S").asInteger(), -32768);
    EXPECT_EQ(q.field("BI").asText(), "9223372036854775807");
    EXPECT_EQ(q.field("V").asText(), high + name) << "bytes travel unchanged";
    EXPECT_EQ(q.field("C").asText(), padded(ansi("Ñu"), 6)) << "CHAR as stored";
    EXPECT_EQ(q.field("D"), Value(Date{2026, 12, 9}));
    EXPECT_EQ(q.field("T"), Value(TimeOfDay{14, 5, 9, 1234}));
    EXPECT_EQ(q.field("TS"), Value(Timestamp{{2024, 2, 29}, {23, 59, 59, 9999}}));
    EXPECT_EQ(q.field("N92").asCurrency(), -12345678900);
    EXPECT_EQ(q.field("N92").asText(), "-1234567.89");
    EXPECT_EQ(q.field("N154").asCurrency(), 123456789012345);
    EXPECT_EQ(q.field("N154").asText(), "12345678901.2345");
    EXPECT_EQ(q.field("N154").asInteger(), 12345678901);
    EXPECT_EQ(q.field("B"), Value(BlobBytes{photo})) << "read whole";
    EXPECT_EQ(q.field("M").asText(), memo);

    q.next();
    EXPECT_EQ(q.field("V").asText(), name);
    EXPECT_EQ(q.field("C").asText(), padded(ansi("Ñu"), 6));
    EXPECT_EQ(q.field("N92").asText(), "-0.05");
    EXPECT_EQ(q.field("N92").asCurrency(), -500);
    EXPECT_EQ(q.field("N154").asText(), "0.0001");
    EXPECT_EQ(q.field("N154").asCurrency(), 1);

    q.next();
    for (std::size_t i = 1; i < q.fieldCount(); ++i) {
        SCOPED_TRACE(q.column(i).name);
        EXPECT_TRUE(q.field(i).isNull());
        EXPECT_EQ(q.field(i).asText(), "");
        EXPECT_EQ(q.field(i).asInteger(), 0);
    }
    EXPECT_EQ(q.field("N154").asCurrency(), 0);

    // Through the destination, which keeps CHAR blanks too.
    const fb::Rows rows = envio.select("select * from tipos order by id");
    ASSERT_EQ(rows.rows.size(), 3u);
    q.first();
    for (std::size_t r = 0; r < 3; ++r, q.next())
        for (std::size_t i = 0; i < q.fieldCount(); ++i)
            EXPECT_EQ(rows.rows[r][i], q.field(i)) << "row " << r << " column " << rows.columns[i].name;
}

TEST_F(ColumnTypesTest, DatesReadAsTextFollowTheRegionalFormats)
{
    test::execute(location,
                  {"INSERT INTO TIPOS (ID, D, T, TS) VALUES (1, '2026-03-04', '14:05:09', '2026-03-04 07:08:09')"});
    Connection cia;
    cia.setDatabase(location);
    cia.setParam("User_Name", "SYSDBA");
    DirectTransaction tr(cia);
    Query q(cia, tr);
    q.addSql("select d, t, ts from tipos");
    q.open();
    // No registry file: the defaults.
    EXPECT_EQ(q.field("D").asText(), "2026/03/04");
    EXPECT_EQ(q.field("T").asText(), "14:05:09");
    EXPECT_EQ(q.field("TS").asText(), "2026/03/04 07:08:09");

    writeRegionalFormats("dd/MM/yyyy", "hh:mm:ss tt");
    EXPECT_EQ(q.field("D").asText(), "04/03/2026");
    EXPECT_EQ(q.field("T").asText(), "02:05:09 p. m.");
    EXPECT_EQ(q.field("TS").asText(), "04/03/2026 07:08:09 a. m.");
}

}  // namespace
}  // namespace kalvora
