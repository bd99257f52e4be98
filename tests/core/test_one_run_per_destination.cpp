// Two runs towards one destination company, as a scheduled batch and a person pressing
// "Enviar" on another machine as another user: through the real server, in two processes.
#include "principalconta/transmission/transmission.h"

#include "base/text.h"
#include "data/ddl.h"
#include "principalconta/data_error_dialogs.h"
#include "support/background_process.h"
#include "support/destination_contents.h"
#include "support/lock_holder.h"
#include "support/server.h"
#include "support/transmission_fixture.h"
#include "ui/scripted_dialogs.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <thread>

namespace kalvora {
namespace {

using Kind = ScriptedDialogs::Kind;
using test::Account;

const Date kDay{2026, 12, 9};

std::string alreadyRunning()
{
    return ansi("Ya hay una transmisión en curso hacia la compañía DES. Espere a que termine y vuelva a enviar.");
}

// Calls back at the nth entry of the run, after its journal line.
class ProgressAt : public NoProgress {
public:
    ProgressAt(int entry, std::function<void()> action) : entry_(entry), action_(std::move(action)) {}
    void step() override
    {
        if (++steps_ == entry_)
            action_();
    }

private:
    int entry_;
    std::function<void()> action_;
    int steps_ = 0;
};

// A server tree with a general database, the destination DES and the source AAA, whose three
// account entries update the destination's accounts.
class OneRunPerDestination : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* code : {"DES", "AAA"}) {
            std::filesystem::create_directories(server.path() + "/datos/" + code);
            test::shareWithServer(server.path() + "/datos/" + code);
        }
        test::shareWithServer(server.path() + "/datos");
        auto general = ddl::generalDatabase();
        general.push_back("GRANT SELECT ON USUARIO TO PUBLIC");
        general.push_back("GRANT SELECT ON COMPANIA TO PUBLIC");
        test::createServerDatabase(server.path() + "/datos/general.fdb", general);
        destination = test::createServerDatabase(server.path() + "/datos/DES/kalvora.fdb", ddl::companyDatabase());
        source = test::createServerDatabase(server.path() + "/datos/AAA/kalvora.fdb", ddl::companyDatabase());
        {
            test::CompanyRows rows(source, test::sysdba());
            for (int i = 1; i <= 3; ++i) {
                const std::string cod = "110" + std::to_string(i);
                rows.account(Account{.cod = cod, .nombre = "Caja " + std::to_string(i)});
                rows.audit(test::accountEntry(i, cod));
            }
        }
        test::CompanyRows rows(destination, test::sysdba());
        rows.account(Account{.cod = "1101", .nombre = "Caja vieja"});
        rows.setting(schema::kUsuarioReplica, "SYSDBA");
        rows.setting(schema::kClaveReplica, test::sysdbaPassword());
        rows.target(1, "Sede A", test::serverLocation(server.path()), "AAA");
        ConfigurarProviders(c, dialogs);
    }

    // "Conectar" as SYSDBA.
    void conectar()
    {
        c.DBEnvio.close();
        c.DBEnvio.setParam("Database", destination);
        c.DBEnvio.setParam("User_Name", "SYSDBA");
        c.DBEnvio.setParam("password", test::sysdbaPassword());
        c.Creplicac.close();
        c.Creplicac.open();
    }

    TransmissionSummary send(Progress& progress)
    {
        return SpeedButton1Click(c, dialogs, progress, test::TransmissionSite::kDestination, kDay, kDay);
    }

    // kalvora-envio-batch towards DES for kDay, signed in as user.
    std::unique_ptr<test::ChildProcess> startBatch(const std::string& user, const std::string& password)
    {
        return std::make_unique<test::ChildProcess>(
            test::builtProgram("kalvora-envio-batch"),
            std::vector<std::string>{"--from", "2026-12-09", "--to", "2026-12-09", test::serverLocation(server.path()),
                                     user, "-", "DES"},
            test::EnvironmentChanges{
                {"KALVORA_PASSWORD", password}, {"ISC_USER", std::nullopt}, {"ISC_PASSWORD", std::nullopt}});
    }

    std::string accountNames()
    {
        auto attachment = fb::Attachment::attach(destination, test::sysdba());
        std::string out;
        {
            fb::Transaction tr(*attachment);
            fb::Statement select(*attachment, tr, "select cuen_nombre from cuentas order by cuen_cod");
            for (const auto& row : select.fetchAll(tr).rows)
                out += row[0].asText() + ";";
            tr.commit();
        }
        attachment->detach();
        return out;
    }

    test::ServerDir server;
    std::string destination, source;
    test::TransmissionSite site{server.path(), test::TransmissionSite::Databases::Existing};
    ScriptedDialogs dialogs;
    Componentes c;
};

TEST_F(OneRunPerDestination, ASecondRunStopsBeforeWritingAnythingAndTheFirstGoesOn)
{
    test::ServerUser other("kalvora_otro", "Otra.2026");
    {
        test::CompanyRows rows(destination, test::sysdba());
        for (const char* table : {"REPLICA_CONTA", "REPLICA_CONTA_DETALLE", "CONFIGURACION"})
            rows.execute(std::string("GRANT SELECT ON ") + table + " TO " + other.name());
    }
    std::optional<test::Finished> second;
    ProgressAt atSecondEntry(2, [&] {
        const auto batch = startBatch(other.name(), other.password());
        // Today's run would wait for this one's sent flags, which wait for it: give up then.
        second = batch->wait(std::chrono::seconds(30));
    });
    conectar();
    const TransmissionSummary first = send(atSecondEntry);

    ASSERT_TRUE(second) << "the second run did not stop";
    EXPECT_EQ(second->status, 2) << second->err;
    EXPECT_TRUE(second->errSays(toUtf8(alreadyRunning()))) << second->err;
    EXPECT_TRUE(second->out.empty()) << second->out;
    EXPECT_TRUE(first.concluded);
    EXPECT_EQ(first.transmitted, 3);
    EXPECT_EQ(dialogs.texts(Kind::Message),
              std::vector<std::string>{ansi("Proceso de envio de información concluído.")});
    EXPECT_EQ(site.journalLines("ENVIO.TXT").size(), 3u) << "the second run journalled nothing";
    EXPECT_EQ(test::sentFlags(source, test::sysdba()), "SSS");
    EXPECT_EQ(accountNames(), "Caja 1;Caja 2;Caja 3;");
}

// The batch holds the destination while it waits on another user's lock; it is killed there.
TEST_F(OneRunPerDestination, TheGuardOfARunThatIsKilledGoesWithIt)
{
    test::LockHolder holder(destination, test::sysdba());
    holder.execute("UPDATE CUENTAS SET CUEN_NOMBRE = 'Caja del otro' WHERE CUEN_COD = '1101'");
    auto killed = startBatch("SYSDBA", test::sysdbaPassword());
    ASSERT_TRUE(test::awaitWaitingStatement(destination, "update", test::sysdba())) << "the batch never got there";
    const std::size_t journalled = site.journalLines("ENVIO.TXT").size();

    conectar();
    NoProgress progress;
    std::atomic<bool> returned{false};
    // Today's run would wait on the same lock: release it rather than hang.
    std::jthread watchdog([&] {
        for (int i = 0; i < 300 && !returned; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (!returned)
            holder.rollback();
    });
    const TransmissionSummary refused = send(progress);
    returned = true;
    watchdog.join();
    EXPECT_FALSE(refused.concluded);
    EXPECT_EQ(dialogs.texts(Kind::Message), std::vector<std::string>{alreadyRunning()});
    EXPECT_EQ(site.journalLines("ENVIO.TXT").size(), journalled);
    EXPECT_EQ(test::sentFlags(source, test::sysdba()), "NNN");

    const pid_t pid = killed->pid();
    killed->kill();
    holder.rollback();
    ASSERT_TRUE(test::awaitAttachmentsGone(destination, pid, test::sysdba()));

    dialogs.clear();
    EXPECT_TRUE(send(progress).concluded);
    EXPECT_EQ(test::sentFlags(source, test::sysdba()), "SSS");
    EXPECT_EQ(accountNames(), "Caja 1;Caja 2;Caja 3;");
}

}  // namespace
}  // namespace kalvora
