#include "principalconta/transmission/preview.h"

#include "base/text.h"
#include "data/ddl.h"
#include "principalconta/data_error_dialogs.h"
#include "principalconta/transmission/transmission.h"
#include "principalconta/transmission/verify.h"
#include "support/consolidation.h"
#include "support/database_snapshot.h"
#include "support/server.h"
#include "support/transmission_fixture.h"
#include "ui/scripted_dialogs.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace kalvora {
namespace {

using test::Consolidation;
using A = PreviewAction;

// "AUDI_ID,TIDO_COD,AUDI_COD" of each preview line, as ENVIO.TXT has them after its date and time.
std::vector<std::string> journalFields(const PreviewReport& report)
{
    std::vector<std::string> out;
    for (const auto& l : report.lines)
        out.push_back(std::to_string(l.audiId) + "," + std::to_string(l.tido) + "," + l.audiCod);
    return out;
}

std::vector<std::string> journalFields(const std::vector<std::string>& envio)
{
    std::vector<std::string> out;
    for (const auto& line : envio)
        out.push_back(line.substr(line.find(',', line.find(',') + 1) + 1));
    return out;
}

class Preview : public ::testing::Test {
protected:
    Preview()
    {
        Consolidation::build(site.root(), site.destination(), test::embeddedUser());
        locations = {site.destination(), site.source(Consolidation::kNorth), site.source(Consolidation::kSouth)};
    }

    PreviewReport preview(const std::string& company = "DES")
    {
        auto c = site.connect(dialogs);
        return vistaPrevia(*c, dialogs, progress, company, Consolidation::kDay, Consolidation::kDay);
    }

    std::vector<std::vector<std::string>> databases() const
    {
        std::vector<std::vector<std::string>> all;
        for (const auto& location : locations)
            all.push_back(test::databaseSnapshot(location));
        return all;
    }

    test::TempDir dir;
    test::TransmissionSite site{dir.path()};
    std::vector<std::string> locations;
    ScriptedDialogs dialogs;
    test::RecordingProgress progress;
};

TEST_F(Preview, ListsWhatTheNextRunTakesUpAndWritesNothing)
{
    const auto databasesBefore = databases();
    const auto folderBefore = test::folderSnapshot(site.root());

    const PreviewReport report = preview();
    ASSERT_TRUE(report.completed);
    EXPECT_EQ(databases(), databasesBefore) << "no flag, no destination row, no key handed out";
    EXPECT_EQ(test::folderSnapshot(site.root()), folderBefore) << "no journal line";
    EXPECT_TRUE(dialogs.events().empty()) << "the run's messages about locked vouchers are not shown";

    const std::vector<A> expected{A::Locked,        A::Replace, A::Copy, A::Copy, A::Copy,   A::Copy,
                                  A::Copy,          A::Replace, A::Copy, A::Copy, A::Delete, A::NothingToDelete,
                                  A::SourceMissing, A::Copy};
    ASSERT_EQ(report.lines.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(toUtf8(report.lines[i].codigo));
        EXPECT_EQ(report.lines[i].action, expected[i]);
    }
    EXPECT_EQ(report.lines[7].codigo, "CEG CE000003") << "copied by an earlier entry, so replaced";
    ASSERT_EQ(report.targets.size(), 2u);
    EXPECT_EQ(report.targets[0].entries(), Consolidation::kNorthEntries);
    EXPECT_EQ(report.targets[1].entries(), Consolidation::kSouthEntries);
    EXPECT_EQ(toUtf8(previewText(report).back()),
              "Total: 14 entradas (copiar 8, reemplazar 2, borrar 1, protegidas 1, sin origen 1, nada que borrar 1)"
              " en 2 compañías de origen");

    auto c = site.connect(dialogs);
    const TransmissionSummary sent =
        SpeedButton1Click(*c, dialogs, progress, "DES", Consolidation::kDay, Consolidation::kDay);
    c.reset();
    EXPECT_EQ(sent.transmitted, 14);
    EXPECT_EQ(journalFields(site.journalLines("ENVIO.TXT")), journalFields(report));
    EXPECT_TRUE(preview().lines.empty()) << "everything sent";

    {
        test::CompanyRows north(site.source(Consolidation::kNorth));
        north.audit(test::voucherEntry(900, test::Voucher{.consec = 0, .prefijo = "CE", .numero = "000900"}));
        north.execute("UPDATE AUDITORIA SET AUDI_IDDOC = NULL WHERE AUDI_ID = 900");
    }
    const PreviewReport keyless = preview();
    ASSERT_EQ(keyless.lines.size(), 1u);
    EXPECT_EQ(toUtf8(actionText(keyless.lines[0].action)), "fallará: no indica el comprobante o el código")
        << "not planned as voucher 0";
}

TEST_F(Preview, RefusesAsTheRunDoesAndTheCsvQuotesWhatNeedsIt)
{
    EXPECT_FALSE(preview("").completed);
    EXPECT_EQ(dialogs.texts(ScriptedDialogs::Kind::Message),
              std::vector<std::string>{ansi("Debe indicar las compañías origen y destino.")});

    PreviewReport report;
    report.lines.push_back({"S01 Norte, S.A.", 7, 100, "1105", "2026/12/09", "08:00:07", "Cuenta", "1105", A::Copy});
    EXPECT_EQ(toUtf8(previewCsv(report)), "Compañía de origen,Entrada,Fecha,Hora,Tipo,Código,Acción\r\n"
                                          "\"S01 Norte, S.A.\",7,2026/12/09,08:00:07,Cuenta,1105,copiar\r\n");
}

// The same entries through the server on 127.0.0.1, which checks the credentials the run
// gives each source.
TEST(PreviewAndVerifyOnTheServer, PreviewMatchesTheRunAndVerifyFindsNothingAfterIt)
{
    test::ServerDir server;
    for (const char* code : {"DES", Consolidation::kNorth, Consolidation::kSouth}) {
        std::filesystem::create_directories(server.path() + "/datos/" + code);
        test::shareWithServer(server.path() + "/datos/" + code);
    }
    test::shareWithServer(server.path() + "/datos");
    const std::string servidor = test::serverLocation(server.path());
    const std::string destination =
        test::createServerDatabase(server.path() + "/datos/DES/kalvora.fdb", ddl::companyDatabase());
    Consolidation::build(servidor, destination, test::sysdba());
    {
        test::CompanyRows rows(destination, test::sysdba());
        rows.setting(schema::kUsuarioReplica, "SYSDBA");
        rows.setting(schema::kClaveReplica, test::sysdbaPassword());
    }
    test::TempDir installation;
    test::TransmissionSite site(installation.path(), test::TransmissionSite::Databases::Existing);

    ScriptedDialogs dialogs;
    NoProgress progress;
    const auto connected = [&] {
        auto c = std::make_unique<Componentes>();
        ConfigurarProviders(*c, dialogs);
        c->DBEnvio.setParam("Database", destination);
        c->DBEnvio.setParam("User_Name", "SYSDBA");
        c->DBEnvio.setParam("password", test::sysdbaPassword());
        c->DBEnvio.open();
        c->Creplicac.open();
        return c;
    };
    const Date day = Consolidation::kDay;
    const PreviewReport report = vistaPrevia(*connected(), dialogs, progress, "DES", day, day);
    EXPECT_EQ(report.lines.size(), 14u);
    EXPECT_EQ(SpeedButton1Click(*connected(), dialogs, progress, "DES", day, day).transmitted, 14);
    EXPECT_EQ(journalFields(site.journalLines("ENVIO.TXT")), journalFields(report));

    const VerifyReport verified = verificar(*connected(), dialogs, progress, "DES", {2026, 12, 1}, {2026, 12, 31});
    EXPECT_TRUE(verified.completed);
    EXPECT_EQ(verified.differenceCount(), 0);
    EXPECT_EQ(verified.lockedCount(), 1);
}

}  // namespace
}  // namespace kalvora
