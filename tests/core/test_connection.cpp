#include "data/connection.h"
#include "data/destination.h"
#include "support/scratch.h"
#include "ui/errors.h"

#include <gtest/gtest.h>

namespace kalvora {
namespace {

class DirectConnectionTest : public ::testing::Test {
protected:
    test::TempDir dir;
    std::string location = test::createCompanyDatabase(dir.path(), "SRC");

    void connectTo(Connection& c)
    {
        c.setDatabase(location);
        c.setParam("User_Name", "SYSDBA");
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

}  // namespace
}  // namespace kalvora
