#include "principalconta/transmission/run_report.h"

#include "base/errors.h"
#include "base/text.h"
#include "principalconta/transmission/engine_error_reason.h"
#include "principalconta/transmission/transmission.h"
#include "settings/clock.h"
#include "support/lock_holder.h"
#include "support/report_pages.h"
#include "support/scratch.h"
#include "support/server.h"
#include "support/transmission_fixture.h"
#include "ui/scripted_dialogs.h"

#include <gtest/gtest.h>

namespace kalvora {
namespace {

using test::Account;
using test::Voucher;
using test::VoucherLine;

const Date kDay{2026, 12, 9};

class RunReportTest : public ::testing::Test {
protected:
    TransmissionSummary send()
    {
        c = site.connect(dialogs);
        c->usuario_sesion = "contador";
        return SpeedButton1Click(*c, dialogs, progress, test::TransmissionSite::kDestination, kDay, kDay);
    }

    test::TempDir dir;
    test::TransmissionSite site{dir.path()};
    test::CompanyRows destination{site.destination()};
    ScriptedDialogs dialogs;
    test::RecordingProgress progress;
    std::unique_ptr<Componentes> c;
    ScopedClock clock{Timestamp{kDay, {10, 30, 5, 0}}};
};

// One run with an entry of every outcome: each is counted, and each one not sent is listed
// with the reason the engine's refusal gives, in Spanish, beside the engine's own text.
TEST_F(RunReportTest, ListsEveryEntryNotSentWithItsReasonAndCountsEachSource)
{
    const std::string src = site.addSource("SRC");
    const Voucher sent{.consec = 1, .numero = "000001", .lines = {VoucherLine{.cuenta = "1105"}}};
    const Voucher unknownAccount{.consec = 2, .numero = "000002", .lines = {VoucherLine{.cuenta = "9999"}}};
    const Voucher closedInSource{.consec = 3, .numero = "000003", .fecha = {2026, 11, 20}};
    const Voucher closedInDestination{.consec = 4, .numero = "000004"};
    {
        test::CompanyRows rows(src);
        for (const auto& v : {sent, unknownAccount, closedInSource, closedInDestination})
            rows.voucher(v);
        rows.account(Account{.cod = "2", .nivel = 12});
        rows.thirdParty(test::ThirdParty{.nit = "800", .nombre = "Duplicado"});
        rows.audit(test::voucherEntry(1, sent));
        rows.audit(test::voucherEntry(2, unknownAccount));
        rows.audit(test::voucherEntry(3, closedInSource));
        rows.audit(test::voucherEntry(4, closedInDestination));
        rows.audit(test::accountEntry(5, "2"));
        rows.audit(test::thirdPartyEntry(6, "800"));
    }
    destination.account(Account{.cod = "1105"});
    destination.thirdParty(test::ThirdParty{.nit = "700", .nombre = "Duplicado"});
    destination.voucher(Voucher{.consec = 40, .numero = "000004", .fecha = {2026, 11, 2}});
    destination.setting(schema::kFechaBloqueo, "2026/12/05");
    destination.execute("ALTER TABLE CUENTAS ADD CONSTRAINT PK_CUENTAS PRIMARY KEY (CUEN_COD)");
    destination.execute("ALTER TABLE COMPROBANTE_DETALLE ADD CONSTRAINT FK_LINEA_CUENTA FOREIGN KEY (CUEN_COD) "
                        "REFERENCES CUENTAS (CUEN_COD)");
    destination.execute("ALTER TABLE CUENTAS ADD CONSTRAINT NIVEL_VALIDO CHECK (CUEN_NIVEL < 10)");
    destination.execute("ALTER TABLE TERCEROS ADD CONSTRAINT UQ_NOMBRE UNIQUE (TERC_NOMBRE)");
    destination.target(1, "Sede Norte", site.root(), "SRC");

    const TransmissionSummary summary = send();

    EXPECT_EQ(summary.transmitted, 3) << "those the lock date kept are flagged sent too";
    EXPECT_EQ(summary.failed, 3);
    EXPECT_EQ(summary.skipped, 2);
    ASSERT_EQ(summary.reportPath, dir.path() + "/informes/envio-20261209-103005.html");
    ASSERT_EQ(dialogs.conclusions().size(), 1u);
    EXPECT_EQ(dialogs.conclusions()[0].details,
              "Enviadas 1, con error 3, omitidas por la fecha de bloqueo 2.\nInforme: " + summary.reportPath);
    EXPECT_EQ(dialogs.conclusions()[0].reportPath, summary.reportPath);

    const std::string page = test::fileBytes(summary.reportPath);
    EXPECT_NE(page.find("<meta charset=\"windows-1252\">"), std::string::npos);
    const std::string text = test::visibleText(page);
    for (const std::string& expected : std::vector<std::string>{
             ansi("Usuario de la sesión contador"), ansi("Usuario de replicación SYSDBA"),
             ansi("Compañía de destino DES"), "Periodo del 2026-12-09 al 2026-12-09",
             ansi("Compañía de origen: SRC Sede Norte"),
             "SRC Sede Norte: entradas tomadas 6, enviadas 1, con error 3, omitidas por la fecha de bloqueo 2.",
             "Estado del informe: completo"})
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;

    struct Row {
        std::string item;
        std::vector<std::string> says;
    };
    const std::vector<Row> rows{
        {"Comprobante CEG CE000002",
         {"Con error", "Falta en el destino el registro", "CUEN_COD = '9999'", "FK_LINEA_CUENTA",
          "violation of FOREIGN KEY constraint"}},
        {"Cuenta 2", {"Con error", ansi("regla de validación NIVEL_VALIDO de la tabla CUENTAS"), "CHECK constraint"}},
        {"Tercero 800", {"Con error", "misma clave (TERC_NOMBRE = 'Duplicado')", "UQ_NOMBRE", "UNIQUE KEY constraint"}},
        {"Comprobante CEG CE000003", {"Omitida", "anterior a la fecha de bloqueo del destino (2026/12/05)"}},
        {"Comprobante CEG CE000004", {"Omitida", "La copia del destino es anterior a la fecha de bloqueo"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.item);
        const std::string cells = test::reportRow(page, row.item);
        ASSERT_FALSE(cells.empty());
        EXPECT_NE(cells.find("2026/12/09"), std::string::npos) << cells;
        for (const auto& part : row.says)
            EXPECT_NE(cells.find(part), std::string::npos) << part << "\n" << cells;
    }
    EXPECT_TRUE(test::reportRow(page, "Comprobante CEG CE000001").empty()) << "sent entries are only counted";
    EXPECT_EQ(site.journalLines("ERRORES.TXT").size(), 3u) << "the journals keep their own lines";
}

TEST_F(RunReportTest, ARunThatStopsSaysWhereAndWhy)
{
    const std::string src = site.addSource("SRC");
    {
        test::CompanyRows rows(src);
        rows.account(Account{.cod = "1105"});
        rows.audit(test::accountEntry(1, "1105"));
    }
    destination.execute("ALTER TABLE CUENTAS ADD CUEN_EXTRA INTEGER");
    destination.target(1, "Sede", site.root(), "SRC");

    EXPECT_THROW(send(), Error);

    const auto pages = test::reportPages(dir.path(), "envio");
    ASSERT_EQ(pages.size(), 1u);
    const std::string text = test::visibleText(test::fileBytes(pages[0]));
    EXPECT_NE(text.find(ansi("Se detuvo en la compañía de origen SRC Sede, en la entrada Cuenta 1105.")),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("Motivo La tabla CUENTAS de la base de datos destino tiene 9 columnas"), std::string::npos)
        << text;
    EXPECT_TRUE(text.ends_with(ansi("Estado del informe: transmisión detenida"))) << text;
}

// The refusals an accountant meets, as the engine words them, each explained; text the
// explanation does not know is left to the engine's own words.
TEST(EngineErrorReason, ExplainsTheEnginesUsualRefusals)
{
    test::TempDir dir;
    const std::string db = test::createCompanyDatabase(dir.path(), "AAA");
    test::execute(db, {"INSERT INTO CUENTAS (CUEN_COD) VALUES ('1')"});
    test::LockHolder holder(db);
    holder.execute("UPDATE CUENTAS SET CUEN_NOMBRE = 'x'");
    std::string lockConflict;
    try {
        auto other = fb::Attachment::attach(db, test::embeddedUser());
        fb::Transaction noWait(*other,
                               {.isolation = fb::TransactionOptions::Isolation::ReadCommitted, .waitOnLocks = false});
        fb::Statement(*other, noWait, "UPDATE CUENTAS SET CUEN_NOMBRE = 'y'").execute(noWait);
    } catch (const DatabaseError& e) {
        lockConflict = e.what();
    }
    std::string refused;
    try {
        test::ServerDir shared;
        fb::AttachParams wrong = test::sysdba();
        wrong.password = "incorrecta";
        fb::Attachment::attach(test::serverLocation(shared.file("ninguna.fdb")), wrong);
    } catch (const DatabaseError& e) {
        refused = e.what();
    }
    const std::vector<std::pair<std::string, std::string>> cases{
        {lockConflict, "Otro usuario o programa estaba modificando el mismo registro"},
        {refused, ansi("El servidor rechazó el usuario o la clave.")},
        {"Error reading data from the connection.", ansi("Se perdió la conexión con el servidor")},
    };
    for (const auto& [engine, reason] : cases) {
        SCOPED_TRACE(engine);
        const EngineErrorReason why = explainEngineError(engine);
        EXPECT_TRUE(why.known);
        EXPECT_NE(why.reason.find(reason), std::string::npos) << why.reason;
        EXPECT_FALSE(why.advice.empty());
    }
    EXPECT_FALSE(explainEngineError("Record not found or changed by another user").known);
}

}  // namespace
}  // namespace kalvora
