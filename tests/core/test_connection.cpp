#include "base/errors.h"
#include "data/connection.h"
#include "data/locations.h"
#include "data/parameters.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

namespace kalvora {
namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

TEST(ParameterListTest, NamesMatchRegardlessOfCaseAndPrefixAndAnEmptyValueRemoves)
{
    ParameterList p;
    p.set("User_Name", "ana");
    p.set("password", "uno");
    p.set("ISC_DPB_USER_NAME", "BETO");
    p.set("Password", "dos");
    EXPECT_EQ(p.entries(), (Entries{{"User_Name", "BETO"}, {"password", "dos"}}))
        << "replaced in place, first name kept";
    EXPECT_EQ(p.get("isc_dpb_PASSWORD"), "dos");
    EXPECT_EQ(p.get("user_name"), "BETO");
    // Only a leading prefix is ignored.
    EXPECT_EQ(p.get("xisc_dpb_user_name"), std::nullopt);
    p.set("isc_dpb_password", "");
    EXPECT_EQ(p.entries(), (Entries{{"User_Name", "BETO"}}));
    p.set("password", "");
    p.set("sql_role_name", "R");
    EXPECT_EQ(p.entries(), (Entries{{"User_Name", "BETO"}, {"sql_role_name", "R"}}));
}

TEST(LocationsTest, ServerEntryIsConcatenatedAsWritten)
{
    EXPECT_EQ(generalDatabaseLocation("srv:/k"), "srv:/k/datos/general.fdb");
    EXPECT_EQ(generalDatabaseLocation("srv:/k/"), "srv:/k//datos/general.fdb");
    EXPECT_EQ(companyDatabaseLocation("srv:/k/", "001"), "srv:/k//datos/001/kalvora.fdb");
    EXPECT_EQ(companyDatabaseLocation(" srv:/k ", "A B"), " srv:/k /datos/A B/kalvora.fdb");
}

// Audit entries 1 to count, each pending.
void pendingEntries(const std::string& location, int count)
{
    test::execute(location,
                  {"EXECUTE BLOCK AS DECLARE I INTEGER = 1; BEGIN WHILE (I <= " + std::to_string(count) +
                   ") DO BEGIN INSERT INTO AUDITORIA (AUDI_ID, AUDI_ENVIO) VALUES (:I, 'N'); I = I + 1; END END"});
}

class DirectConnectionTest : public ::testing::Test {
protected:
    test::TempDir dir;
    std::string location = test::createCompanyDatabase(dir.path(), "SRC");

    void connectTo(Connection& c, const std::string& where)
    {
        c.setDatabase(where);
        c.setParam("User_Name", "SYSDBA");
    }
    void connectTo(Connection& c) { connectTo(c, location); }

    std::string envio(int id)
    {
        return test::query(location, "select audi_envio from auditoria where audi_id = " + std::to_string(id))
            .rows.at(0)
            .at(0)
            .asText();
    }
};

TEST_F(DirectConnectionTest, QueryReadsRowsByNameAndPosition)
{
    test::execute(location, {"INSERT INTO AUDITORIA (AUDI_ID, AUDI_COD, AUDI_ENVIO, TIDO_COD, AUDI_FECHA)"
                             " VALUES (7, 'CE000123', 'N', 1, '2026-12-09')",
                             "INSERT INTO AUDITORIA (AUDI_ID, AUDI_COD, AUDI_ENVIO, TIDO_COD)"
                             " VALUES (8, 'FAC000001', 'N', 100)"});
    Connection c;
    connectTo(c);
    DirectTransaction tr(c);
    Query q(c, tr);
    q.clearSql();
    q.addSql("select * from auditoria order by audi_id");
    q.open();
    q.fetchAll();
    ASSERT_EQ(q.recordCount(), 2u);
    EXPECT_EQ(q.field("AUDI_ID").asInteger(), 7);
    EXPECT_EQ(q.field("audi_cod").asText(), "CE000123");
    EXPECT_EQ(q.field(0).asText(), "7");
    EXPECT_EQ(q.field("AUDI_ENVIO").asText(), "N");
    q.next();
    EXPECT_FALSE(q.eof());
    EXPECT_EQ(q.field("TIDO_COD").asInteger(), 100);
    EXPECT_TRUE(q.field("AUDI_FECHA").isNull());
    EXPECT_EQ(q.field("AUDI_FECHA").asText(), "");
    q.next();
    EXPECT_TRUE(q.eof());
    q.first();
    EXPECT_EQ(q.field("AUDI_ID").asInteger(), 7);
    EXPECT_THROW(q.field("NO_SUCH"), Error);
}

// A forward query holds one row; flags written as it goes, in its transaction, neither
// disturb the rows still to come nor get lost when the connection closes it.
TEST_F(DirectConnectionTest, ForwardQueryReadsEveryRowInOrderBesideUpdates)
{
    pendingEntries(location, 2500);
    Connection c;
    connectTo(c);
    DirectTransaction tr(c);
    Query q(c, tr);
    Query flag(c, tr);
    q.addSql("select * from auditoria where audi_envio = 'N' order by audi_id desc");
    q.openForward();
    EXPECT_EQ(q.recordCount(), 1u) << "only the current row is held";
    int expected = 2500;
    for (; !q.eof() && expected > 2000; q.next(), --expected) {
        ASSERT_EQ(q.field("AUDI_ID").asInteger(), expected);
        flag.clearSql();
        flag.addSql("UPDATE AUDITORIA SET AUDI_ENVIO = 'S' where AUDI_ID = " + std::to_string(expected));
        flag.execSql();
    }
    q.last();
    q.next();
    EXPECT_TRUE(q.eof()) << "last() ends the reading";
    c.disconnect();
    EXPECT_EQ(test::query(location, "select count(*) from auditoria where audi_envio = 'S'").rows[0][0].asInteger(),
              500);
}

// The rows after the current one, as a forward open holds them ahead (99: an open, which
// holds them all), at every step and at the end.
TEST_F(DirectConnectionTest, RowsAheadOfTheCurrentOne)
{
    pendingEntries(location, 5);
    Connection c;
    connectTo(c);
    DirectTransaction tr(c);
    Query q(c, tr);
    q.addSql("select audi_id from auditoria order by audi_id");
    for (const int ahead : {0, 2, 4, 99}) {
        SCOPED_TRACE("ahead " + std::to_string(ahead));
        q.close();
        ahead == 99 ? q.open() : q.openForward(std::size_t(ahead));
        for (int current = 1; current <= 5; ++current, q.next()) {
            ASSERT_EQ(q.field("AUDI_ID").asInteger(), current);
            const int held = std::min(ahead, 5 - current);
            ASSERT_EQ(q.rowsAhead(), std::size_t(held));
            if (held > 0) {
                EXPECT_EQ(q.fieldAhead(std::size_t(held - 1), "audi_id").asInteger(), current + held);
            }
            EXPECT_THROW(q.fieldAhead(std::size_t(held), "AUDI_ID"), Error);
        }
        EXPECT_TRUE(q.eof());
        EXPECT_EQ(q.field(0).asInteger(), 5) << "the last row stays current at the end";
        q.close();
        ahead == 99 ? q.open() : q.openForward(std::size_t(ahead));
        q.last();
        EXPECT_EQ(q.field(0).asInteger(), std::min(ahead + 1, 5)) << "last(): the last row held";
    }
}

TEST_F(DirectConnectionTest, NavigationOverEmptyAndFullResults)
{
    test::execute(location, {"INSERT INTO AUDITORIA (AUDI_ID) VALUES (1)", "INSERT INTO AUDITORIA (AUDI_ID) VALUES (2)",
                             "INSERT INTO AUDITORIA (AUDI_ID) VALUES (3)"});
    Connection c;
    connectTo(c);
    DirectTransaction tr(c);
    Query q(c, tr);
    q.addSql("select audi_id, audi_cod from auditoria where audi_id > 5");
    q.open();
    EXPECT_TRUE(q.isEmpty());
    EXPECT_TRUE(q.eof());
    EXPECT_EQ(q.recordCount(), 0u);
    EXPECT_TRUE(q.field(0).isNull()) << "no row reads as null";
    EXPECT_EQ(q.field("AUDI_ID").asInteger(), 0);
    EXPECT_THROW(q.field(2), Error);
    q.close();

    q.clearSql();
    q.addSql("select audi_id from auditoria");
    q.addSql("order by audi_id desc");
    q.open();
    EXPECT_FALSE(q.isEmpty());
    q.last();
    EXPECT_FALSE(q.eof());
    EXPECT_EQ(q.field(0).asInteger(), 1);
    q.next();
    EXPECT_TRUE(q.eof());
    EXPECT_EQ(q.field(0).asInteger(), 1) << "the last row stays current at the end";
    q.first();
    EXPECT_FALSE(q.eof());
    EXPECT_EQ(q.field(0).asInteger(), 3);
}

TEST_F(DirectConnectionTest, EmbeddedEngineAttachesWithoutPassword)
{
    Connection c;
    connectTo(c);
    c.setParam("password", "not checked");
    c.setParam("isc_dpb_PASSWORD", "");
    EXPECT_EQ(c.params().get("password"), std::nullopt);
    c.connect();
    EXPECT_TRUE(c.connected());
    c.disconnect();
    c.setParam("USER_NAME", "");
    EXPECT_TRUE(c.params().entries().empty());
    c.connect();
    EXPECT_TRUE(c.connected());
}

TEST_F(DirectConnectionTest, RefusedAttachmentLeavesTheConnectionDisconnected)
{
    const std::string missing = companyDatabaseLocation(dir.path(), "NONE");
    Connection c;
    connectTo(c, missing);
    try {
        c.connect();
        FAIL() << "attached to a missing file";
    } catch (const DatabaseError& e) {
        EXPECT_EQ(e.code(), isc_io_error) << e.what();
    }
    EXPECT_FALSE(c.connected());

    DirectTransaction tr(c);
    Query q(c, tr);
    q.addSql("select count(*) from auditoria");
    EXPECT_THROW(q.open(), DatabaseError) << "opening connects first";
    EXPECT_FALSE(c.connected());
    EXPECT_FALSE(tr.active());
    EXPECT_FALSE(q.isOpen());
    EXPECT_NO_THROW(c.disconnect());

    c.setDatabase(location);
    q.open();
    EXPECT_TRUE(c.connected());
    EXPECT_TRUE(tr.active());
    EXPECT_EQ(q.field(0).asInteger(), 0);
}

TEST_F(DirectConnectionTest, ServerEntryEndingWithSlashOpensUnchanged)
{
    const std::string entry = dir.path() + "/";
    const std::string general = test::createGeneralDatabase(entry);
    ASSERT_EQ(general, dir.path() + "//datos/general.fdb");
    test::execute(general, {"INSERT INTO COMPANIA (COMP_COD, COM_NOMBRE) VALUES ('001', 'Uno')"});
    Connection c;
    connectTo(c, generalDatabaseLocation(entry));
    DirectTransaction tr(c);
    Query q(c, tr);
    q.addSql("select comp_cod from compania");
    q.open();
    EXPECT_EQ(q.field(0).asText(), "001");
}

TEST_F(DirectConnectionTest, WritesBecomeVisibleToOthersOnlyAtDisconnect)
{
    test::execute(location, {"INSERT INTO AUDITORIA (AUDI_ID, AUDI_ENVIO) VALUES (1, 'N')"});
    Connection c;
    connectTo(c);
    DirectTransaction tr(c);
    Query q(c, tr);
    q.addSql("UPDATE AUDITORIA SET AUDI_ENVIO = 'S' where AUDI_ID = 1");
    q.execSql();
    q.close();
    EXPECT_TRUE(tr.active()) << "closing a query never ends its transaction";

    Connection other;
    connectTo(other);
    DirectTransaction otherTr(other);
    Query look(other, otherTr);
    look.addSql("select audi_envio from auditoria where audi_id = 1");
    look.open();
    EXPECT_EQ(look.field(0).asText(), "N");
    other.disconnect();

    c.disconnect();
    EXPECT_FALSE(tr.active());
    EXPECT_EQ(test::query(location, "select audi_envio from auditoria").rows[0][0].asText(), "S");
}

TEST_F(DirectConnectionTest, TransactionReadsTheSnapshotOfItsStartUntilDisconnect)
{
    Connection c;
    connectTo(c);
    DirectTransaction tr(c);
    Query q(c, tr);
    q.addSql("select count(*) from auditoria");
    q.open();
    EXPECT_EQ(q.field(0).asInteger(), 0);
    test::execute(location, {"INSERT INTO AUDITORIA (AUDI_ID) VALUES (1)"});
    q.close();
    q.open();
    EXPECT_EQ(q.field(0).asInteger(), 0) << "close and open stay in the same transaction";
    c.disconnect();
    EXPECT_FALSE(q.isOpen()) << "disconnect closes the queries";
    q.open();
    EXPECT_EQ(q.field(0).asInteger(), 1) << "a new transaction after reconnecting";
}

TEST_F(DirectConnectionTest, ExecuteStatementRules)
{
    test::execute(location, {"INSERT INTO AUDITORIA (AUDI_ID, AUDI_ENVIO) VALUES (1, 'N')",
                             "INSERT INTO AUDITORIA (AUDI_ID, AUDI_ENVIO) VALUES (2, 'N')"});
    Connection c;
    connectTo(c);
    DirectTransaction tr(c);
    Query q(c, tr);
    try {
        q.execSql();
        FAIL() << "an empty statement ran";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Empty SQL Statement");
    }
    q.addSql("  ");
    EXPECT_THROW(q.execSql(), Error);
    EXPECT_FALSE(c.connected()) << "an empty statement does not even connect";

    q.clearSql();
    q.addSql("UPDATE AUDITORIA SET AUDI_ENVIO = 'S' where AUDI_ID = 1");
    q.execSql();
    // A failing statement leaves the transaction active with the work done before it.
    q.clearSql();
    q.addSql("UPDATE AUDITORIA SET AUDI_ENVIO = 'TOO LONG' where AUDI_ID = 2");
    EXPECT_THROW(q.execSql(), DatabaseError);
    EXPECT_TRUE(tr.active());
    c.disconnect();
    EXPECT_EQ(envio(1), "S");
    EXPECT_EQ(envio(2), "N");
}

// The source connection: the entry list and the sent flags in one transaction, the voucher
// lines read (here also touched) in another, on the same attachment.
TEST_F(DirectConnectionTest, TwoTransactionsOnOneAttachmentBothCommitAtDisconnect)
{
    test::execute(location,
                  {"INSERT INTO AUDITORIA (AUDI_ID, AUDI_ENVIO, TIDO_COD, AUDI_IDDOC) VALUES (1, 'N', 1, 10)",
                   "INSERT INTO COMPROBANTE_ENCABEZADO (ENCO_CONSEC, TICO_COD, PRCO_PREF, ENCO_NUMERO,"
                   " ENCO_FECHA) VALUES (10, 'CE', 'P', '1', '2026-01-02')",
                   "INSERT INTO COMPROBANTE_DETALLE (ENCO_CONSEC, DECO_ITEM, CUEN_COD) VALUES (10, 1, '1105')"});
    Connection cia;
    connectTo(cia);
    DirectTransaction trcia(cia);
    DirectTransaction trdet(cia);
    Query auditor(cia, trcia);
    Query copia(cia, trcia);
    Query copiadet(cia, trdet);

    auditor.addSql("select * from auditoria where audi_envio = 'N'");
    auditor.open();
    EXPECT_TRUE(trcia.active());
    EXPECT_FALSE(trdet.active());
    copiadet.addSql("select * from comprobante_detalle where enco_consec = " + auditor.field("AUDI_IDDOC").asText());
    copiadet.open();
    EXPECT_EQ(copiadet.field("CUEN_COD").asText(), "1105");
    copiadet.close();
    copiadet.clearSql();
    copiadet.addSql("UPDATE COMPROBANTE_DETALLE SET DECO_DESCRIPCION = 'leida' WHERE ENCO_CONSEC = 10");
    copiadet.execSql();
    copia.addSql("UPDATE AUDITORIA SET AUDI_ENVIO = 'S' where AUDI_ID = " + auditor.field("AUDI_ID").asText());
    copia.execSql();
    auditor.close();

    // Two transactions indeed: the lines' one does not see the flag.
    copiadet.clearSql();
    copiadet.addSql("select audi_envio from auditoria where audi_id = 1");
    copiadet.open();
    EXPECT_EQ(copiadet.field(0).asText(), "N");
    EXPECT_EQ(envio(1), "N");

    cia.disconnect();
    EXPECT_FALSE(trcia.active());
    EXPECT_FALSE(trdet.active());
    EXPECT_EQ(envio(1), "S");
    EXPECT_EQ(test::query(location, "select deco_descripcion from comprobante_detalle").rows[0][0].asText(), "leida");
}

TEST_F(DirectConnectionTest, FailedCommitAtDisconnectIsRolledBackSilently)
{
    // A commit fails when a commit trigger raises: here, for any transaction that left a
    // refusal mark in AUDITORIA.
    test::execute(location,
                  {"CREATE EXCEPTION E_NO_COMMIT 'commit refused'",
                   "CREATE TRIGGER NO_COMMIT ON TRANSACTION COMMIT AS BEGIN"
                   " IF (EXISTS (SELECT 1 FROM AUDITORIA WHERE AUDI_RAZON = 'REFUSE')) THEN EXCEPTION E_NO_COMMIT; END",
                   "INSERT INTO AUDITORIA (AUDI_ID, AUDI_ENVIO) VALUES (1, 'N')",
                   "INSERT INTO COMPROBANTE_ENCABEZADO (ENCO_CONSEC, TICO_COD, PRCO_PREF, ENCO_NUMERO, ENCO_FECHA)"
                   " VALUES (10, 'CE', 'P', '1', '2026-01-02')"});
    Connection cia;
    connectTo(cia);
    DirectTransaction trcia(cia);
    DirectTransaction trdet(cia);
    Query copia(cia, trcia);
    Query copiadet(cia, trdet);
    copia.addSql("UPDATE AUDITORIA SET AUDI_ENVIO = 'S', AUDI_RAZON = 'REFUSE' where AUDI_ID = 1");
    copia.execSql();
    copiadet.addSql("UPDATE COMPROBANTE_ENCABEZADO SET ENCO_ESTADO = 5");
    copiadet.execSql();

    EXPECT_NO_THROW(cia.disconnect());
    EXPECT_FALSE(cia.connected());
    EXPECT_FALSE(trcia.active());
    EXPECT_EQ(envio(1), "N") << "the refused transaction is rolled back";
    EXPECT_EQ(test::query(location, "select enco_estado from comprobante_encabezado").rows[0][0].asInteger(), 5)
        << "the disconnect goes on and commits the other transaction";

    // The connection is usable again afterwards.
    copia.clearSql();
    copia.addSql("UPDATE AUDITORIA SET AUDI_ENVIO = 'S' where AUDI_ID = 1");
    copia.execSql();
    cia.disconnect();
    EXPECT_EQ(envio(1), "S");
}

TEST_F(DirectConnectionTest, DisconnectAfterTheAttachmentWasShutDownIsQuiet)
{
    test::execute(location, {"INSERT INTO AUDITORIA (AUDI_ID, AUDI_ENVIO) VALUES (1, 'N')"});
    Connection cia;
    connectTo(cia);
    DirectTransaction trcia(cia);
    Query copia(cia, trcia);
    copia.addSql("select mon$attachment_id from mon$attachments where mon$attachment_id = current_connection");
    copia.open();
    const std::string id = copia.field(0).asText();
    copia.close();
    copia.clearSql();
    copia.addSql("UPDATE AUDITORIA SET AUDI_ENVIO = 'S' where AUDI_ID = 1");
    copia.execSql();
    // What an administrator's kill, or a server going down, does to it.
    test::execute(location, {"DELETE FROM MON$ATTACHMENTS WHERE MON$ATTACHMENT_ID = " + id});

    EXPECT_NO_THROW(cia.disconnect());
    EXPECT_FALSE(cia.connected());
    EXPECT_FALSE(trcia.active());
    EXPECT_EQ(envio(1), "N");
    copia.execSql();
    cia.disconnect();
    EXPECT_EQ(envio(1), "S") << "the next connect starts afresh";
}

TEST_F(DirectConnectionTest, EndOfProgramCommits)
{
    test::execute(location, {"INSERT INTO AUDITORIA (AUDI_ID, AUDI_ENVIO) VALUES (1, 'N')"});
    {
        Connection c;
        connectTo(c);
        DirectTransaction tr(c);
        Query q(c, tr);
        q.addSql("UPDATE AUDITORIA SET AUDI_ENVIO = 'S' where AUDI_ID = 1");
        q.execSql();
    }
    EXPECT_EQ(envio(1), "S");
}

}  // namespace
}  // namespace kalvora
