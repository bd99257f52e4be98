// Connections lost in the middle of a run, through the real server on 127.0.0.1. The server
// is shared with other tests and people, so it is never stopped: the test's own databases
// have their attachments deleted from MON$ATTACHMENTS instead, which the client sees as the
// server going away: every later call fails with "connection shutdown", or with "Error
// writing data to the connection." once the server has closed the socket.
#include "principalconta/transmission/transmission.h"

#include "base/text.h"
#include "ctrlaccesoconta/error_messages.h"
#include "data/ddl.h"
#include "principalconta/data_error_dialogs.h"
#include "settings/clock.h"
#include "support/destination_contents.h"
#include "support/lock_holder.h"
#include "support/relay.h"
#include "support/server.h"
#include "support/transmission_fixture.h"
#include "ui/scripted_dialogs.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

namespace kalvora {
namespace {

using Kind = ScriptedDialogs::Kind;
using test::Account;
using test::ThirdParty;
using test::Voucher;
using test::VoucherLine;

const Date kDay{2026, 12, 9};

// Two targets: vouchers with lines, one voucher replaced and one deleted in the destination,
// accounts and third parties. Four entries each.
void populate(const std::string& a, const std::string& b, const std::string& destination, const std::string& servidor,
              const fb::AttachParams& params)
{
    {
        test::CompanyRows rows(a, params);
        for (int n = 1; n <= 2; ++n) {
            const Voucher v{.consec = n,
                            .numero = "00000" + std::to_string(n),
                            .total = Scaled{n * 1000, -2},
                            .lines = {VoucherLine{.item = 1, .debito = Scaled{n * 10000, -4}},
                                      VoucherLine{.item = 2, .credito = Scaled{n * 10000, -4}}}};
            rows.voucher(v);
            rows.audit(test::voucherEntry(n, v));
        }
        rows.account(Account{.cod = "1105", .nombre = "Caja"});
        rows.audit(test::accountEntry(3, "1105"));
        rows.thirdParty(ThirdParty{.nit = "800", .nombre = "Proveedor"});
        rows.audit(test::thirdPartyEntry(4, "800"));
    }
    {
        test::CompanyRows rows(b, params);
        const Voucher replaced{
            .consec = 11, .prefijo = "FA", .descripcion = "nueva", .lines = {VoucherLine{.item = 1}}};
        const Voucher third{.consec = 13,
                            .prefijo = "FA",
                            .numero = "000003",
                            .lines = {VoucherLine{.item = 1}, VoucherLine{.item = 2}, VoucherLine{.item = 3}}};
        rows.voucher(replaced);
        rows.voucher(third);
        rows.account(Account{.cod = "2205", .nombre = "Proveedores"});
        rows.audit(test::voucherEntry(1, replaced));
        rows.audit(test::accountEntry(2, "2205"));
        rows.audit(test::voucherEntry(3, Voucher{.prefijo = "FA", .numero = "000009"}, "D"));
        rows.audit(test::voucherEntry(4, third));
    }
    test::CompanyRows rows(destination, params);
    rows.voucher(Voucher{.consec = 7,
                         .prefijo = "FA",
                         .descripcion = "vieja",
                         .lines = {VoucherLine{.item = 1}, VoucherLine{.item = 2}}});
    rows.voucher(Voucher{.consec = 9, .prefijo = "FA", .numero = "000009", .lines = {VoucherLine{.item = 1}}});
    rows.account(Account{.cod = "1105", .nombre = "Caja vieja"});
    rows.target(1, "Sede A", servidor, "AAA");
    rows.target(2, "Sede B", servidor, "BBB");
}

// What the same entries leave when nothing goes wrong (embedded engine, same rows).
std::vector<std::string> uninterruptedContents()
{
    test::TempDir dir;
    test::TransmissionSite site(dir.path());
    populate(site.addSource("AAA"), site.addSource("BBB"), site.destination(), site.root(), test::embeddedUser());
    ScriptedDialogs dialogs;
    NoProgress progress;
    auto c = site.connect(dialogs);
    EXPECT_EQ(SpeedButton1Click(*c, dialogs, progress, "DES", kDay, kDay).transmitted, 8);
    return test::destinationContents(site.destination());
}

// Cuts the run off both databases when it takes up its nth entry, after the entry's journal
// line and before its replication.
// The error box of a run stopped by a lost connection.
void expectLostConnectionBox(const ScriptedDialogs& dialogs)
{
    const std::string text = dialogs.texts(Kind::Message).back();
    EXPECT_TRUE(text == "Se presento el siguiente error: connection shutdown" ||
                text == "Se presento el siguiente error: Error writing data to the connection.")
        << text;
}

class CuttingProgress : public NoProgress {
public:
    CuttingProgress(int entry, std::vector<std::string> databases) : entry_(entry), databases_(std::move(databases)) {}
    void step() override
    {
        if (++steps_ != entry_)
            return;
        for (const auto& database : databases_)
            test::cutAttachments(database, test::sysdba());
    }

private:
    int entry_;
    std::vector<std::string> databases_;
    int steps_ = 0;
};

// A destination and two sources on the server, and the program signed in to it.
class LostConnection : public ::testing::Test {
protected:
    void SetUp() override
    {
        expected = uninterruptedContents();
        for (const char* code : {"DES", "AAA", "BBB"}) {
            const std::string folder = server.path() + "/datos/" + code;
            std::filesystem::create_directories(folder);
            test::shareWithServer(folder);
        }
        test::shareWithServer(server.path() + "/datos");
        destination = test::createServerDatabase(server.path() + "/datos/DES/kalvora.fdb", ddl::companyDatabase());
        a = test::createServerDatabase(server.path() + "/datos/AAA/kalvora.fdb", ddl::companyDatabase());
        b = test::createServerDatabase(server.path() + "/datos/BBB/kalvora.fdb", ddl::companyDatabase());
        populate(a, b, destination, test::serverLocation(server.path()), test::sysdba());
        test::CompanyRows rows(destination, test::sysdba());
        rows.setting(schema::kUsuarioReplica, "SYSDBA");
        rows.setting(schema::kClaveReplica, test::sysdbaPassword());
        ConfigurarProviders(c, dialogs);
    }

    // "Conectar": the destination (again) and its targets.
    void conectar()
    {
        c.DBEnvio.close();
        c.DBEnvio.setParam("Database", destination);
        c.DBEnvio.setParam("User_Name", "SYSDBA");
        c.DBEnvio.setParam("password", test::sysdbaPassword());
        c.DBEnvio.open();
        c.Creplicac.close();
        c.Creplicac.open();
    }

    bool send(Progress& progress)
    {
        return runGuarded(dialogs, [&] { SpeedButton1Click(c, dialogs, progress, "DES", kDay, kDay); });
    }

    static std::int64_t scalarOf(const std::string& location, const std::string& sql)
    {
        auto attachment = fb::Attachment::attach(location, test::sysdba());
        std::int64_t value = 0;
        {
            fb::Transaction tr(*attachment);
            fb::Statement select(*attachment, tr, sql);
            value = select.fetchAll(tr).rows.at(0)[0].asInteger();
            tr.commit();
        }
        attachment->detach();
        return value;
    }

    std::string accountName()
    {
        auto attachment = fb::Attachment::attach(destination, test::sysdba());
        std::string name;
        {
            fb::Transaction tr(*attachment);
            fb::Statement select(*attachment, tr, "select cuen_nombre from cuentas where cuen_cod = '1105'");
            name = select.fetchAll(tr).rows.at(0)[0].asText();
            tr.commit();
        }
        attachment->detach();
        return name;
    }

    void expectConverged()
    {
        c.DbCia.disconnect();
        EXPECT_EQ(test::destinationContents(destination, test::sysdba()), expected);
        EXPECT_EQ(test::sentFlags(a, test::sysdba()), "SSSS");
        EXPECT_EQ(test::sentFlags(b, test::sysdba()), "SSSS");
        EXPECT_EQ(site.journal("ERRORES.TXT"), "");
    }

    std::vector<std::string> expected;
    test::ServerDir server;
    std::string destination, a, b;
    test::TransmissionSite site{server.path(), test::TransmissionSite::Databases::Existing};
    ScriptedDialogs dialogs;
    Componentes c;
    ScopedClock clock{Timestamp{kDay, {10, 0, 0, 0}}};
};

TEST_F(LostConnection, BetweenTwoStatementsTheRunStopsAndTheNextOneConverges)
{
    conectar();
    CuttingProgress cut(6, {destination, a, b});  // the second entry of the second target
    EXPECT_FALSE(send(cut));
    expectLostConnectionBox(dialogs);
    EXPECT_EQ(site.journalLines("ENVIO.TXT").size(), 6u);
    EXPECT_EQ(test::sentFlags(a, test::sysdba()), "SSSS") << "committed when the run left the first target";
    EXPECT_EQ(test::sentFlags(b, test::sysdba()), "NNNN") << "lost with the source's attachment";

    conectar();
    NoProgress progress;
    EXPECT_TRUE(send(progress));
    expectConverged();
}

// The run's update of an account waits for another user's lock when the connection goes:
// the apply in flight leaves nothing, and the next run converges.
TEST_F(LostConnection, WhileAnApplyWaitsNothingOfItStays)
{
    test::LockHolder holder(destination, test::sysdba());
    holder.execute("UPDATE CUENTAS SET CUEN_NOMBRE = 'Caja del otro' WHERE CUEN_COD = '1105'");
    bool waited = false;
    std::thread cutter([&] {
        waited = test::awaitWaitingStatement(destination, "update", test::sysdba());
        test::cutAttachments(destination, test::sysdba(), holder.attachmentId());
        holder.rollback();
    });
    conectar();
    NoProgress progress;
    EXPECT_FALSE(send(progress));
    cutter.join();
    EXPECT_TRUE(waited);
    expectLostConnectionBox(dialogs);
    EXPECT_EQ(accountName(), "Caja vieja");

    conectar();
    EXPECT_TRUE(send(progress));
    expectConverged();
}

// The commit of the first source's flags reaches the server and is stored, but its answer
// is lost: the program asks the source again, says the flags are stored, and goes on.
TEST_F(LostConnection, AFlagCommitWhoseAnswerIsLostIsCheckedAndFound)
{
    test::Relay relay;
    {
        test::CompanyRows rows(a, test::sysdba());
        rows.execute("CREATE TABLE ESPERA (N INTEGER)");
        rows.execute("INSERT INTO ESPERA VALUES (0)");
        rows.execute("CREATE TABLE AVISO (N INTEGER)");
        // Tells the test that the commit has begun, then waits for the test's lock.
        rows.execute("CREATE TRIGGER ESPERAR_AL_GUARDAR ON TRANSACTION COMMIT AS BEGIN"
                     " IF (EXISTS(SELECT 1 FROM AUDITORIA WHERE AUDI_ENVIO = 'S') AND NOT EXISTS(SELECT 1 FROM AVISO))"
                     " THEN BEGIN IN AUTONOMOUS TRANSACTION DO INSERT INTO AVISO VALUES (1);"
                     " UPDATE ESPERA SET N = N + 1; END END");
        test::CompanyRows(destination, test::sysdba())
            .execute("UPDATE REPLICA_CONTA SET RPCO_SERVIDOR = '" + relay.location(server.path()) +
                     "' WHERE RPCO_COD = 'AAA'");
    }
    test::LockHolder holder(a, test::sysdba());
    holder.execute("UPDATE ESPERA SET N = 100");
    std::thread cutter([&] {
        for (int i = 0; i < 200 && scalarOf(a, "SELECT COUNT(*) FROM AVISO") == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        relay.cutAtNextAnswer();
        holder.rollback();
    });
    conectar();
    NoProgress progress;
    EXPECT_TRUE(send(progress));
    cutter.join();
    const auto messages = dialogs.texts(Kind::Message);
    ASSERT_FALSE(messages.empty());
    EXPECT_TRUE(messages[0].starts_with(ansi("La compañía de origen Sede A (AAA) no confirmó"))) << messages[0];
    EXPECT_NE(messages[0].find(ansi("Consultada de nuevo, las 4 entradas figuran enviadas")), std::string::npos)
        << messages[0];
    EXPECT_EQ(messages.back(), ansi("Proceso de envio de información concluído."));
    expectConverged();
}

}  // namespace
}  // namespace kalvora
