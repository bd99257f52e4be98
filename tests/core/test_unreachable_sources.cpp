// Targets whose source cannot be read: the destination itself under another spelling, a
// missing file, refused credentials or rights, a host or port nobody answers on. Each is
// named with its server entry and the reason, and the run goes on with the others.
#include "principalconta/transmission/transmission.h"

#include "base/errors.h"
#include "base/text.h"
#include "data/ddl.h"
#include "data/sql_text.h"
#include "principalconta/targets_editor.h"
#include "settings/clock.h"
#include "support/destination_contents.h"
#include "support/scratch.h"
#include "support/server.h"
#include "support/transmission_fixture.h"
#include "ui/scripted_dialogs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

namespace kalvora {
namespace {

using Kind = ScriptedDialogs::Kind;
using test::Account;
using test::Voucher;
using test::VoucherLine;

const Date kDay{2026, 12, 9};

bool says(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// A destination with a reachable source BBB holding one pending account entry; each test puts
// an unreachable target before it.
class UnreachableSources : public ::testing::Test {
protected:
    UnreachableSources()
    {
        test::CompanyRows rows(reachable);
        rows.account(Account{.cod = "1105", .nombre = "Caja"});
        rows.audit(test::accountEntry(1, "1105"));
    }

    TransmissionSummary send()
    {
        destination.target(2, "Sede B", site.root(), "BBB");
        c = site.connect(dialogs);
        return SpeedButton1Click(*c, dialogs, progress, test::TransmissionSite::kDestination, kDay, kDay);
    }

    // The run told which target and why, asked, went on, and sent the reachable source.
    void expectSkipped(const TransmissionSummary& summary, const std::string& nombre, const std::string& servidor,
                       const std::string& reason, int sentBefore = 0)
    {
        EXPECT_TRUE(summary.concluded);
        EXPECT_EQ(summary.transmitted, 1 + sentBefore);
        ASSERT_EQ(summary.unreachable.size(), 1u);
        EXPECT_EQ(summary.unreachable[0].nombre, nombre);
        EXPECT_EQ(summary.unreachable[0].servidor, servidor);
        const auto messages = dialogs.texts(Kind::Message);
        ASSERT_EQ(messages.size(), 2u);
        EXPECT_TRUE(says(messages[0], ansi("No se pudo leer la compañía de origen ") + nombre)) << messages[0];
        EXPECT_TRUE(says(messages[0], "servidor " + servidor + ":")) << messages[0];
        EXPECT_TRUE(says(messages[0], reason)) << messages[0];
        EXPECT_EQ(dialogs.texts(Kind::Question), std::vector<std::string>{continueWithOtherSources()});
        c->DbCia.disconnect();
        EXPECT_EQ(test::sentFlags(reachable), "S");
    }

    test::TempDir dir;
    test::TransmissionSite site{dir.path()};
    test::CompanyRows destination{site.destination()};
    std::string reachable = site.addSource("BBB");
    ScriptedDialogs dialogs;
    NoProgress progress;
    std::unique_ptr<Componentes> c;
    ScopedClock clock{Timestamp{kDay, {10, 0, 0, 0}}};
};

// One typo in the editor is enough to name the consolidation itself, whose own pending
// vouchers the run would otherwise copy onto themselves under new keys.
TEST_F(UnreachableSources, TheDestinationUnderAnotherSpellingIsNeverItsOwnSource)
{
    destination.voucher(Voucher{.consec = 1, .lines = {VoucherLine{.item = 1}, VoucherLine{.item = 2}}});
    destination.audit(test::voucherEntry(1, Voucher{.consec = 1}));
    const std::string spelling = site.root() + "/datos/..";
    destination.target(1, "Consolidado", spelling, "DES");

    expectSkipped(send(), "Consolidado", spelling, ansi("compañía destino"));
    EXPECT_EQ(test::sentFlags(site.destination()), "N");
    EXPECT_EQ(test::query(site.destination(), "select * from comprobante_encabezado").rows.size(), 1u);
    EXPECT_EQ(test::query(site.destination(), "select * from comprobante_detalle").rows.size(), 2u);
}

TEST_F(UnreachableSources, AMissingFileIsNamedAndNoStopsTheRun)
{
    destination.target(1, "Sede Perdida", site.root(), "NOX");
    expectSkipped(send(), "Sede Perdida", site.root(), ansi("no se encontró o no se pudo abrir el archivo"));

    // No keeps today's stop: nothing more is read, nothing more is said.
    test::execute(reachable, {"UPDATE AUDITORIA SET AUDI_ENVIO = 'N'"});
    dialogs.clear();
    dialogs.answer(false);
    EXPECT_THROW(SpeedButton1Click(*c, dialogs, progress, "DES", kDay, kDay), SilentAbort);
    EXPECT_EQ(dialogs.texts(Kind::Message).size(), 1u);
    c->DbCia.disconnect();
    EXPECT_EQ(test::sentFlags(reachable), "N");
}

TEST_F(UnreachableSources, TheEditorRefusesToSaveATargetThatIsTheDestination)
{
    c = site.connect(dialogs);
    c->Creplicac.append();
    c->Creplicac.field("RPCO_ID").setInteger(9);
    c->Creplicac.field("RPCO_NOMBRE").setText("Consolidado");
    c->Creplicac.field("RPCO_SERVIDOR").setText(site.root());
    c->Creplicac.field("RPCO_COD").setText("DES");
    try {
        AdvGlowButton3Click(*c);
        ADD_FAILURE() << "saved";
    } catch (const Error& e) {
        EXPECT_TRUE(says(e.what(), ansi("es la compañía destino"))) << e.what();
    }
    EXPECT_TRUE(test::query(site.destination(), "select * from replica_conta").rows.empty());

    c->Creplicac.field("RPCO_COD").setText("BBB");
    EXPECT_EQ(AdvGlowButton3Click(*c), 0);
    EXPECT_EQ(test::query(site.destination(), "select * from replica_conta").rows.size(), 1u);
}

// Through the real server: what it refuses, said in Spanish, whatever the engine's words.
// A table refused in the middle of the entries (the account, then the voucher, then the
// third party) leaves the entry in progress pending and the entries before it flagged.
TEST_F(UnreachableSources, EveryRefusalOfTheServerSaysWhatWasRefused)
{
    test::ServerDir server;
    std::filesystem::create_directories(server.path() + "/datos/SRV");
    test::shareWithServer(server.path() + "/datos");
    test::shareWithServer(server.path() + "/datos/SRV");
    const std::string srv =
        test::createServerDatabase(server.path() + "/datos/SRV/kalvora.fdb", ddl::companyDatabase());
    const std::string host = test::serverLocation(server.path());
    test::ServerUser reader{"kalvora_origen", "Origen.2026"};
    {
        test::CompanyRows rows(srv, test::sysdba());
        rows.account(Account{.cod = "2205"});
        rows.voucher(Voucher{.consec = 1, .lines = {VoucherLine{.item = 1}}});
        rows.thirdParty(test::ThirdParty{.nit = "900"});
        rows.audit(test::accountEntry(1, "2205"));
        rows.audit(test::voucherEntry(2, Voucher{.consec = 1}));
        rows.audit(test::thirdPartyEntry(3, "900"));
    }
    const std::vector<std::string> tables{"AUDITORIA", "CUENTAS", "COMPROBANTE_ENCABEZADO", "COMPROBANTE_DETALLE",
                                          "TERCEROS"};

    struct Case {
        std::string servidor, codigo, usuario, clave, reason;
        std::string refused{};  // a table the reader may not read, the others granted
        std::string flags{};    // of the source after the run
    };
    const auto refusal = [&](const std::string& table, const std::string& flags) {
        return Case{
            host,  "SRV", reader.name(), reader.password(), ansi("no tiene permiso para leer la tabla ") + table,
            table, flags};
    };
    const std::vector<Case> cases{
        {host, "SRV", "SYSDBA", "equivocada", ansi("rechazó el usuario o la clave de replicación")},
        {host, "SRV", reader.name(), reader.password(), ansi("no tiene permiso para leer la tabla AUDITORIA")},
        {host, "NOX", "SYSDBA", test::sysdbaPassword(), ansi("no se pudo abrir el archivo")},
        {"127.0.0.1/1:" + server.path(), "SRV", "SYSDBA", test::sysdbaPassword(),
         ansi("no atiende conexiones en el puerto 1")},
        refusal("CUENTAS", "NNN"),
        refusal("COMPROBANTE_ENCABEZADO", "SNN"),
        refusal("COMPROBANTE_DETALLE", "SNN"),
        refusal("TERCEROS", "SSN"),
    };
    // The embedded engine takes any password, and grants are the user's own there too.
    test::execute(reachable, {"GRANT ALL ON AUDITORIA TO PUBLIC", "GRANT ALL ON CUENTAS TO PUBLIC"});
    for (const Case& k : cases) {
        SCOPED_TRACE(k.reason);
        const auto set = [](const schema::Setting& s, const std::string& value) {
            return "UPDATE CONFIGURACION SET CONF_VALOR = " + quoted(value) +
                   " WHERE CONF_PROPIEDAD = " + quoted(s.propiedad);
        };
        test::execute(site.destination(),
                      {"DELETE FROM REPLICA_CONTA", "DELETE FROM COMPROBANTE_DETALLE",
                       "DELETE FROM COMPROBANTE_ENCABEZADO", set(schema::kUsuarioReplica, k.usuario),
                       set(schema::kClaveReplica, k.clave)});
        test::execute(reachable, {"UPDATE AUDITORIA SET AUDI_ENVIO = 'N'"});
        if (!k.refused.empty()) {
            test::CompanyRows rows(srv, test::sysdba());
            rows.execute("UPDATE AUDITORIA SET AUDI_ENVIO = 'N'");
            for (const std::string& table : tables)
                rows.execute("GRANT SELECT, UPDATE ON " + table + " TO " + reader.name());
            rows.execute("REVOKE ALL ON " + k.refused + " FROM " + reader.name());
        }
        destination.target(1, "Sede Remota", k.servidor, k.codigo);
        dialogs.clear();
        const int sentBefore = int(std::count(k.flags.begin(), k.flags.end(), 'S'));
        expectSkipped(send(), "Sede Remota", k.servidor, k.reason, sentBefore);
        if (k.refused.empty())
            continue;
        EXPECT_EQ(test::sentFlags(srv, test::sysdba()), k.flags);
        EXPECT_EQ(test::query(site.destination(), "select * from comprobante_detalle").rows.size(),
                  k.flags[1] == 'S' ? 1u : 0u)
            << "a voucher whose lines were refused leaves no header behind";
    }
}

}  // namespace
}  // namespace kalvora
