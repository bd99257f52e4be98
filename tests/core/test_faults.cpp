#include "principalconta/transmission/transmission.h"

#include "base/text.h"
#include "ctrlaccesoconta/error_messages.h"
#include "settings/clock.h"
#include "support/destination_contents.h"
#include "support/lock_holder.h"
#include "support/scratch.h"
#include "support/transmission_fixture.h"
#include "ui/scripted_dialogs.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <thread>
#include <unistd.h>

namespace kalvora {
namespace {

using Kind = ScriptedDialogs::Kind;
using test::Account;
using test::Voucher;
using test::VoucherLine;

const Date kDay{2026, 12, 9};

std::string stoppedWith(const std::string& text) { return "Se presento el siguiente error: " + text; }

// A run as "Enviar" makes it: through the guard, so that a run that stops leaves its message.
class Faults : public ::testing::Test {
protected:
    bool send()
    {
        if (!c)
            c = site.connect(dialogs);
        return runGuarded(dialogs, [&] {
            summary = SpeedButton1Click(*c, dialogs, progress, test::TransmissionSite::kDestination, kDay, kDay);
        });
    }

    // What the user read last.
    std::string lastMessage() const { return dialogs.texts(Kind::Message).back(); }

    std::string accountName(const std::string& cod)
    {
        return test::query(site.destination(), "select cuen_nombre from cuentas where cuen_cod = '" + cod + "'")
            .rows.at(0)[0]
            .asText();
    }

    test::TempDir dir;
    test::TransmissionSite site{dir.path()};
    test::CompanyRows destination{site.destination()};
    ScriptedDialogs dialogs;
    NoProgress progress;
    std::unique_ptr<Componentes> c;
    TransmissionSummary summary;
    ScopedClock clock{Timestamp{kDay, {10, 0, 0, 0}}};
};

// ---------------------------------------------------------------------------- locked rows

// Another user changed the destination's account 1105 and has not ended the transaction.
class LockedDestinationRow : public Faults {
protected:
    void SetUp() override
    {
        test::CompanyRows source(src);
        source.account(Account{.cod = "1105", .nombre = "Caja nueva"});
        source.audit(test::accountEntry(1, "1105"));
        destination.account(Account{.cod = "1105", .nombre = "Caja vieja"});
        destination.target(1, "Sede", site.root(), "SRC");
        holder.execute("UPDATE CUENTAS SET CUEN_NOMBRE = 'Caja del otro' WHERE CUEN_COD = '1105'");
    }

    void TearDown() override
    {
        if (ender.joinable())
            ender.join();
    }

    // Ends the holder's transaction once the run's statement starting with `start` waits for it.
    void endHolderWhenWaitedFor(const std::string& start, bool commit)
    {
        ender = std::thread([this, start, commit] {
            waited = test::awaitWaitingStatement(site.destination(), start);
            if (commit)
                holder.commit();
            else
                holder.rollback();
        });
    }

    std::string src = site.addSource("SRC");
    test::LockHolder holder{site.destination()};
    std::thread ender;
    std::atomic<bool> waited = false;
};

TEST_F(LockedDestinationRow, TheApplyWaitsAndGoesOnWhenTheOtherUserRollsBack)
{
    endHolderWhenWaitedFor("update", false);
    EXPECT_TRUE(send());
    ender.join();
    EXPECT_TRUE(waited) << "the apply waited for the lock";
    EXPECT_EQ(summary.transmitted, 1);
    EXPECT_TRUE(dialogs.texts(Kind::Error).empty());
    EXPECT_EQ(accountName("1105"), "Caja nueva");
    c->DbCia.disconnect();
    EXPECT_EQ(test::sentFlags(src), "S");
}

// Firebird 3 does not restart the update after the wait: the other user's change wins, the
// entry fails and stays pending, and the next run brings the source's row.
TEST_F(LockedDestinationRow, TheApplyWaitsAndReportsTheConflictWhenTheOtherUserCommits)
{
    endHolderWhenWaitedFor("update", true);
    EXPECT_TRUE(send());
    ender.join();
    EXPECT_TRUE(waited);
    EXPECT_EQ(summary.failed, 1);
    ASSERT_EQ(dialogs.texts(Kind::Error).size(), 1u);
    const std::string refusal = dialogs.texts(Kind::Error)[0];
    EXPECT_TRUE(
        refusal.starts_with("deadlock\n-update conflicts with concurrent update\n-concurrent transaction number is "))
        << refusal;
    EXPECT_EQ(dialogs.texts(Kind::Question), std::vector<std::string>{"Error transmitiendo 1105. Continuar?"});
    EXPECT_EQ(site.journalLines("ERRORES.TXT"),
              std::vector<std::string>{"2026/12/09,10:00:00,SYSDBA,Error transmitiendo 1105"});
    EXPECT_EQ(accountName("1105"), "Caja del otro");
    c->DbCia.disconnect();
    EXPECT_EQ(test::sentFlags(src), "N");

    EXPECT_TRUE(send());
    EXPECT_EQ(accountName("1105"), "Caja nueva");
    c->DbCia.disconnect();
    EXPECT_EQ(test::sentFlags(src), "S");
}

// A voucher is replaced by deletes that commit at once, outside any apply: the conflict
// stops the run, and the next run replaces the voucher whole.
TEST_F(LockedDestinationRow, AVoucherHeldByAnotherUserStopsTheRunUntilTheNextOne)
{
    const Voucher nuevo{.consec = 3, .descripcion = "nuevo", .lines = {VoucherLine{.item = 1}, VoucherLine{.item = 2}}};
    test::CompanyRows(src).voucher(nuevo);
    test::CompanyRows(src).audit(test::voucherEntry(2, nuevo));
    destination.voucher(Voucher{.consec = 50, .descripcion = "viejo", .lines = {VoucherLine{.item = 1}}});
    holder.rollback();
    test::LockHolder voucherHolder(site.destination());
    voucherHolder.execute("UPDATE COMPROBANTE_ENCABEZADO SET ENCO_DESCRIPCION = 'del otro' WHERE ENCO_CONSEC = 50");
    ender = std::thread([&] {
        waited = test::awaitWaitingStatement(site.destination(), "delete FROM COMPROBANTE_ENCABEZADO");
        voucherHolder.commit();
    });

    EXPECT_FALSE(send());
    ender.join();
    EXPECT_TRUE(waited);
    EXPECT_TRUE(lastMessage().starts_with(stoppedWith("deadlock\n-update conflicts with concurrent update")))
        << lastMessage();
    c->DbCia.disconnect();
    EXPECT_EQ(test::sentFlags(src), "SN") << "the account went; the voucher stays pending";

    dialogs.clear();
    EXPECT_TRUE(send());
    const fb::Rows headers = test::query(site.destination(), "select enco_descripcion from comprobante_encabezado");
    ASSERT_EQ(headers.rows.size(), 1u);
    EXPECT_EQ(headers.rows[0][0].asText(), "nuevo");
    EXPECT_EQ(test::query(site.destination(), "select * from comprobante_detalle").rows.size(), 2u);
    c->DbCia.disconnect();
    EXPECT_EQ(test::sentFlags(src), "SS");
}

// ---------------------------------------------------------------------------- journals

// Three entries: an account, a third party the destination refuses, a voucher.
class UnwritableJournals : public Faults {
protected:
    void SetUp() override
    {
        test::CompanyRows source(src);
        source.account(Account{.cod = "1105", .nombre = "Caja"});
        source.thirdParty(test::ThirdParty{.nit = "900", .cupo = Scaled{-1, 0}});
        const Voucher voucher{.consec = 1, .lines = {VoucherLine{.item = 1}}};
        source.voucher(voucher);
        source.audit(test::accountEntry(1, "1105"));
        source.audit(test::thirdPartyEntry(2, "900"));
        source.audit(test::voucherEntry(3, voucher));
        destination.execute("ALTER TABLE TERCEROS ADD CONSTRAINT CUPO_POSITIVO CHECK (TERC_CUPO > 0)");
        destination.target(1, "Sede", site.root(), "SRC");
    }

    std::string src = site.addSource("SRC");
};

// A journal that cannot be opened stops the run before it reads any entry.
TEST_F(UnwritableJournals, AJournalThatWillNotOpenStopsTheRunBeforeItStarts)
{
    std::filesystem::create_directory(site.root() + "/ERRORES.TXT");
    EXPECT_TRUE(send());
    EXPECT_FALSE(summary.concluded);
    EXPECT_EQ(dialogs.texts(Kind::Message), std::vector<std::string>{"No se pudo escribir en " + site.root() +
                                                                     "/ERRORES.TXT: " + std::strerror(EISDIR) +
                                                                     ansi(". La transmisión no se inició.")});
    EXPECT_EQ(test::query(site.destination(), "select * from cuentas").rows.size(), 0u);
    c->DbCia.disconnect();
    EXPECT_EQ(test::sentFlags(src), "NNN");
}

// The disk fills after the first entry: the second stops the run before it is replicated,
// no entry is flagged without its line, and the next run sends the rest.
TEST_F(UnwritableJournals, ADiskThatFillsStopsTheRunAtTheEntryWhoseLineIsLost)
{
    const std::string journal = site.root() + "/ENVIO.TXT";
    class FillingDisk : public NoProgress {
    public:
        explicit FillingDisk(std::string journal) : journal_(std::move(journal)) {}
        void step() override
        {
            std::filesystem::rename(journal_, journal_ + ".bak");
            std::filesystem::create_symlink("/dev/full", journal_);
        }

    private:
        std::string journal_;
    };
    FillingDisk filling(journal);
    c = site.connect(dialogs);
    EXPECT_FALSE(runGuarded(dialogs, [&] {
        summary = SpeedButton1Click(*c, dialogs, filling, test::TransmissionSite::kDestination, kDay, kDay);
    }));
    EXPECT_EQ(lastMessage(),
              "No se pudo escribir en " + journal + ": " + std::strerror(ENOSPC) +
                  ansi(". La transmisión se detuvo; las entradas que no se enviaron siguen pendientes."));
    EXPECT_EQ(test::query(site.destination(), "select * from terceros").rows.size(), 0u);
    c->DbCia.disconnect();
    EXPECT_EQ(test::sentFlags(src), "SNN");

    std::filesystem::remove(journal);
    std::filesystem::rename(journal + ".bak", journal);
    EXPECT_TRUE(send());
    EXPECT_EQ(summary.transmitted, 1);
    EXPECT_EQ(summary.failed, 1) << "the third party the destination refuses";
    c->DbCia.disconnect();
    EXPECT_EQ(test::sentFlags(src), "SNS");
    const auto lines = site.journalLines("ENVIO.TXT");
    EXPECT_EQ(lines, (std::vector<std::string>{"2026/12/09,10:00:00,1,100,1105", "2026/12/09,10:00:00,2,102,900",
                                               "2026/12/09,10:00:00,3,1,CE000001"}));
}

// ---------------------------------------------------------------------------- sources

TEST_F(Faults, ASourceThatWillNotOpenStopsTheRunAfterCommittingTheTargetsBeforeIt)
{
    const std::string a = site.addSource("AAA");
    const std::string cc = site.addSource("CCC");
    for (const auto& location : {a, cc}) {
        test::CompanyRows rows(location);
        rows.account(Account{.cod = location == a ? "1105" : "1305"});
        rows.audit(test::accountEntry(1, location == a ? "1105" : "1305"));
    }
    destination.target(1, "Sede A", site.root(), "AAA");
    destination.target(2, "Sede B", site.root(), "BBB");
    destination.target(3, "Sede C", site.root(), "CCC");

    dialogs.answer(false);  // to "¿Continuar con las demás compañías de origen?"
    EXPECT_FALSE(send());
    EXPECT_EQ(lastMessage(), ansi("No se pudo leer la compañía de origen Sede B (BBB), servidor ") + site.root() +
                                 ansi(": no se encontró o no se pudo abrir el archivo ") + site.source("BBB") + ".");
    EXPECT_EQ(test::sentFlags(a), "S") << "committed when the run left the first target";
    EXPECT_EQ(test::sentFlags(cc), "N");

    const std::string b = site.addSource("BBB");
    {
        test::CompanyRows rows(b);
        rows.account(Account{.cod = "1205"});
        rows.audit(test::accountEntry(1, "1205"));
    }
    dialogs.clear();
    EXPECT_TRUE(send());
    EXPECT_EQ(summary.transmitted, 2) << "the first target has nothing left";
    c.reset();
    EXPECT_EQ(test::sentFlags(b), "S");
    EXPECT_EQ(test::sentFlags(cc), "S");
    EXPECT_EQ(test::query(site.destination(), "select * from cuentas").rows.size(), 3u);
    EXPECT_EQ(site.journalLines("ENVIO.TXT").size(), 3u) << "each entry taken up once";
}

}  // namespace
}  // namespace kalvora
