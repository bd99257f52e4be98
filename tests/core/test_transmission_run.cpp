#include "principalconta/transmission/transmission.h"

#include "base/errors.h"
#include "base/text.h"
#include "data/ddl.h"
#include "principalconta/transmission/repair.h"
#include "settings/clock.h"
#include "support/scratch.h"
#include "support/server.h"
#include "support/transmission_fixture.h"
#include "ui/scripted_dialogs.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

namespace kalvora {
namespace {

using Kind = ScriptedDialogs::Kind;
using test::Account;
using test::Voucher;
using test::VoucherLine;

const Date kDay{2026, 12, 9};

std::string closingMessage() { return ansi("Proceso de envio de información concluído."); }
std::string caption(const std::string& name) { return ansi("Transmitiendo información de ") + name; }

// AUDI_ENVIO of every entry, in AUDI_ID order, as the database has committed it.
std::string flags(const std::string& location, const fb::AttachParams& params = test::embeddedUser())
{
    auto attachment = fb::Attachment::attach(location, params);
    std::string out;
    {
        fb::Transaction tr(*attachment);
        fb::Statement statement(*attachment, tr, "select audi_envio from auditoria order by audi_id");
        for (const auto& row : statement.fetchAll(tr).rows)
            out += row[0].asText();
        tr.commit();
    }
    attachment->detach();
    return out;
}

class TransmissionRun : public ::testing::Test {
protected:
    // "Conectar" once the targets are written, then "Enviar".
    TransmissionSummary send(const Date& desde = kDay, const Date& hasta = kDay)
    {
        c = site.connect(dialogs);
        return SpeedButton1Click(*c, dialogs, progress, test::TransmissionSite::kDestination, desde, hasta);
    }

    std::size_t count(const std::string& sql) { return test::query(site.destination(), sql).rows.size(); }

    // An empty source company SRC in a folder of the server, whose tables the user may use
    // with `rights`: the destination's only target, opened with that user's credentials.
    std::string serverSource(const test::ServerDir& server, const test::ServerUser& user, const std::string& rights)
    {
        const std::string folder = server.path() + "/datos/SRC";
        std::filesystem::create_directories(folder);
        test::shareWithServer(server.path() + "/datos");
        test::shareWithServer(folder);
        const std::string src = test::createServerDatabase(folder + "/kalvora.fdb", ddl::companyDatabase());
        test::CompanyRows source(src, test::sysdba());
        for (const char* table : {"AUDITORIA", "COMPROBANTE_ENCABEZADO", "COMPROBANTE_DETALLE", "CUENTAS", "TERCEROS"})
            source.execute("GRANT " + rights + " ON " + table + " TO " + user.name());
        destination.execute("DELETE FROM CONFIGURACION");
        destination.setting(schema::kUsuarioReplica, user.name());
        destination.setting(schema::kClaveReplica, user.password());
        destination.target(1, "Servidor", test::serverLocation(server.path()), "SRC");
        return src;
    }

    test::TempDir dir;
    test::TransmissionSite site{dir.path()};
    test::CompanyRows destination{site.destination()};
    ScriptedDialogs dialogs;
    test::RecordingProgress progress;
    std::unique_ptr<Componentes> c;
    // Each reading one second after the previous one, so that journal lines show their order.
    int seconds = 0;
    ScopedClock clock{[this] { return Timestamp{kDay, {10, 0, seconds++, 0}}; }};
};

TEST_F(TransmissionRun, WithoutACompanyNothingStartsAndWithoutTargetsItJustConcludes)
{
    c = site.connect(dialogs);
    const auto refused = SpeedButton1Click(*c, dialogs, progress, "", kDay, kDay);
    EXPECT_FALSE(refused.concluded);
    EXPECT_EQ(dialogs.texts(Kind::Message),
              std::vector<std::string>{ansi("Debe indicar las compañías origen y destino.")});
    EXPECT_TRUE(progress.events.empty());
    EXPECT_TRUE(c->usuario_replica.empty()) << "the settings are not even read";

    dialogs.clear();
    const auto done = SpeedButton1Click(*c, dialogs, progress, "DES", kDay, kDay);
    EXPECT_TRUE(done.concluded);
    EXPECT_EQ(done.targets, 0);
    EXPECT_EQ(progress.events, (std::vector<std::string>{"show", "hide"}));
    EXPECT_EQ(dialogs.texts(Kind::Message), std::vector<std::string>{closingMessage()});
    EXPECT_EQ(c->usuario_replica, "SYSDBA");
    EXPECT_EQ(c->clave_replica, "masterkey");
}

TEST_F(TransmissionRun, EachEntryIsJournalledDispatchedAndFlaggedInDateAndTimeOrder)
{
    const std::string src = site.addSource("SRC");
    {
        test::CompanyRows source(src);
        source.voucher(Voucher{.consec = 1, .numero = "000001", .lines = {VoucherLine{}}});
        source.account(Account{.cod = "1105", .nombre = "Caja"});
        source.thirdParty(test::ThirdParty{.nit = "900123", .nombre = "Rechazado"});
        auto entry = [](test::AuditEntry e, int second) {
            e.hora = TimeOfDay{8, 0, second, 0};
            return e;
        };
        source.audit(entry(test::voucherEntry(1, Voucher{.consec = 1, .numero = "000001"}), 3));
        source.audit(entry(test::accountEntry(2, "1105"), 1));
        source.audit(entry(test::thirdPartyEntry(3, "900123"), 2));
        source.audit(entry(test::voucherEntry(4, Voucher{.consec = 2, .numero = "000002"}), 4));
        auto sent = test::accountEntry(5, "1105");
        sent.envio = "S";
        source.audit(sent);
        auto otherDay = test::accountEntry(6, "1105");
        otherDay.fecha = {2026, 12, 10};
        source.audit(otherDay);
        auto otherType = test::accountEntry(7, "1105");
        otherType.tido = 5;
        source.audit(otherType);
    }
    destination.execute("ALTER TABLE TERCEROS ADD CONSTRAINT CON_CUPO CHECK (TERC_CUPO > 0)");
    destination.target(1, ansi("Sede Bogotá"), site.root(), "SRC");

    const auto summary = send();

    EXPECT_TRUE(summary.concluded);
    EXPECT_EQ(summary.targets, 1);
    EXPECT_EQ(summary.transmitted, 3);
    EXPECT_EQ(summary.failed, 1);
    EXPECT_EQ(site.journalLines("ENVIO.TXT"),
              (std::vector<std::string>{"2026/12/09,10:00:01,2,100,1105", "2026/12/09,10:00:02,3,102,900123",
                                        "2026/12/09,10:00:04,1,1,CE000001", "2026/12/09,10:00:05,4,1,CE000002"}))
        << "the run's report read the clock first";
    EXPECT_EQ(site.journalLines("ERRORES.TXT"),
              std::vector<std::string>{"2026/12/09,10:00:03,SYSDBA,Error transmitiendo 900123"});
    EXPECT_EQ(dialogs.texts(Kind::Question), std::vector<std::string>{"Error transmitiendo 900123. Continuar?"});
    EXPECT_EQ(dialogs.texts(Kind::Message).back(), closingMessage());
    EXPECT_EQ(progress.events, (std::vector<std::string>{"show", "caption:" + caption(ansi("Sede Bogotá")), "reset:4",
                                                         "step", "step", "step", "step", "hide"}));
    EXPECT_EQ(count("select * from cuentas"), 1u);
    EXPECT_EQ(count("select * from comprobante_detalle"), 1u);

    EXPECT_EQ(flags(src), "SSNSSNN") << "committed when the run left the target";
}

TEST_F(TransmissionRun, AnsweringNoLeavesTheRestOfTheTargetPendingAndGoesOn)
{
    const std::string a = site.addSource("AAA");
    const std::string b = site.addSource("BBB");
    const std::string empty = site.addSource("CCC");
    {
        test::CompanyRows rows(a);
        rows.account(Account{.cod = "1", .nivel = 1});
        rows.account(Account{.cod = "2", .nivel = 12});
        rows.account(Account{.cod = "3", .nivel = 1});
        for (int id : {1, 2, 3})
            rows.audit(test::accountEntry(id, std::to_string(id)));
    }
    {
        test::CompanyRows rows(b);
        rows.account(Account{.cod = "4"});
        rows.audit(test::accountEntry(1, "4"));
    }
    {
        test::CompanyRows rows(empty);
        auto old = test::accountEntry(1, "9");
        old.fecha = {2026, 11, 30};
        rows.audit(old);
    }
    destination.execute("ALTER TABLE CUENTAS ADD CONSTRAINT NIVEL_VALIDO CHECK (CUEN_NIVEL < 10)");
    destination.target(1, "Sede A", site.root(), "AAA");
    destination.target(2, "Sede C", site.root(), "CCC");
    destination.target(3, "Sede B", site.root(), "BBB");
    dialogs.answer(false);

    const auto summary = send();
    c.reset();  // the end of the program commits the last target's flags

    EXPECT_EQ(summary.targets, 3);
    EXPECT_EQ(summary.transmitted, 2);
    EXPECT_EQ(summary.failed, 1);
    EXPECT_EQ(flags(a), "SNN");
    EXPECT_EQ(flags(b), "S");
    EXPECT_EQ(flags(empty), "N");
    EXPECT_EQ(progress.events, (std::vector<std::string>{"show", "caption:" + caption("Sede A"), "reset:3", "step",
                                                         "step", "caption:" + caption("Sede C"), "reset:0",
                                                         "caption:" + caption("Sede B"), "reset:1", "step", "hide"}));
    EXPECT_EQ(count("select * from cuentas"), 2u);
}

TEST_F(TransmissionRun, ASecondTargetOnTheSameSourceSeesTheFirstOnesFlagsCommitted)
{
    const std::string src = site.addSource("SRC");
    {
        test::CompanyRows source(src);
        source.voucher(Voucher{.consec = 1, .prefijo = "CE"});
        source.voucher(Voucher{.consec = 2, .prefijo = "FA"});
        source.account(Account{.cod = "CE05"});
        source.audit(test::voucherEntry(1, Voucher{.consec = 1, .prefijo = "CE"}));
        source.audit(test::voucherEntry(2, Voucher{.consec = 2, .prefijo = "FA"}));
        source.audit(test::accountEntry(3, "CE05"));
        source.audit(test::accountEntry(4, "1105"));
    }
    destination.target(1, "Solo CE", site.root(), "SRC", {"CE"});
    destination.target(2, "Todo", site.root(), "SRC");

    const auto summary = send();
    c.reset();

    EXPECT_EQ(summary.transmitted, 4);
    std::vector<std::string> journalled;
    for (const auto& line : site.journalLines("ENVIO.TXT"))
        journalled.push_back(line.substr(line.find(',', line.find(',') + 1) + 1));
    EXPECT_EQ(journalled, (std::vector<std::string>{"1,1,CE000001", "3,100,CE05", "2,1,FA000001", "4,100,1105"}))
        << "the prefix filters accounts too, and no entry is taken twice";
    EXPECT_EQ(flags(src), "SSSS");
    EXPECT_EQ(count("select * from comprobante_encabezado"), 2u);
}

TEST_F(TransmissionRun, AnErrorStopsTheRunWithTheEntryInProgressStillPending)
{
    const std::string a = site.addSource("AAA");
    const std::string b = site.addSource("BBB");
    {
        test::CompanyRows rows(a);
        rows.voucher(Voucher{.consec = 1});
        rows.account(Account{.cod = "1105"});
        rows.voucher(Voucher{.consec = 3, .numero = "000003"});
        rows.audit(test::voucherEntry(1, Voucher{.consec = 1}));
        rows.audit(test::accountEntry(2, "1105"));
        rows.audit(test::voucherEntry(3, Voucher{.consec = 3, .numero = "000003"}));
    }
    {
        test::CompanyRows rows(b);
        rows.account(Account{.cod = "1105"});
        rows.audit(test::accountEntry(1, "1105"));
    }
    // The destination's accounts have a column more than the source's.
    destination.execute("ALTER TABLE CUENTAS ADD CUEN_EXTRA INTEGER");
    destination.target(1, "Sede A", site.root(), "AAA");
    destination.target(2, "Sede B", site.root(), "BBB");

    EXPECT_THROW(send(), Error);

    EXPECT_EQ(progress.events.back(), "step") << "the panel stays as it was";
    EXPECT_TRUE(dialogs.texts(Kind::Message).empty());
    EXPECT_EQ(site.journalLines("ENVIO.TXT").size(), 2u);
    EXPECT_EQ(site.journal("ERRORES.TXT"), "");
    c->DbCia.disconnect();
    EXPECT_EQ(flags(a), "SNN");
    EXPECT_EQ(flags(b), "N");
    EXPECT_EQ(count("select * from comprobante_encabezado"), 1u);
}

TEST_F(TransmissionRun, QuotesInCodesAndPrefixesAreData)
{
    const std::string src = site.addSource("SRC");
    const Voucher nuevo{.consec = 1, .prefijo = "D'A", .numero = "000001", .lines = {VoucherLine{}}};
    const Voucher borrado{.consec = 2, .prefijo = "D'A", .numero = "000002", .lines = {VoucherLine{}}};
    {
        test::CompanyRows source(src);
        source.voucher(nuevo);
        source.account(Account{.cod = "O'NEIL", .nombre = "Cuenta O'Neil"});
        source.account(Account{.cod = "OTRA"});
        source.audit(test::voucherEntry(1, nuevo));
        source.audit(test::accountEntry(2, "O'NEIL"));
        source.audit(test::voucherEntry(3, borrado, "D"));
        source.audit(test::accountEntry(4, "OTRA"));
        source.audit(test::voucherEntry(5, nuevo));
    }
    destination.voucher(borrado);
    destination.target(1, "Comillas", site.root(), "SRC", {"D'", "O'N"});

    const auto summary = send();
    c.reset();

    EXPECT_EQ(summary.transmitted, 4);
    EXPECT_EQ(summary.failed, 0);
    EXPECT_EQ(flags(src), "SSSNS");
    const fb::Rows headers =
        test::query(site.destination(), "select prco_pref, enco_numero from comprobante_encabezado");
    ASSERT_EQ(headers.rows.size(), 1u) << "copied twice, kept once; the other one deleted";
    EXPECT_EQ(headers.rows[0][0], Value("D'A"));
    EXPECT_EQ(headers.rows[0][1], Value("000001"));
    EXPECT_EQ(count("select * from comprobante_detalle"), 1u);
    EXPECT_EQ(test::query(site.destination(), "select cuen_nombre from cuentas").rows.at(0)[0], Value("Cuenta O'Neil"));
}

TEST_F(TransmissionRun, ADayFirstDateFormatStillSelectsTheRightDays)
{
    site.setFormats("dd/MM/yyyy");
    const std::string src = site.addSource("SRC");
    {
        test::CompanyRows source(src);
        const std::vector<std::pair<int, Date>> days{{1, {2026, 12, 9}}, {2, {2026, 9, 12}}, {3, {2026, 12, 10}}};
        for (const auto& [id, fecha] : days) {
            auto e = test::accountEntry(id, "1105");
            e.fecha = fecha;
            source.audit(e);
        }
    }
    destination.target(1, "Sede", site.root(), "SRC");

    send();
    c.reset();

    EXPECT_EQ(flags(src), "SNN");
    EXPECT_EQ(site.journalLines("ENVIO.TXT"), std::vector<std::string>{"09/12/2026,10:00:01,1,100,1105"});
}

// The source company on the real server, reached with the replication credentials of the
// destination's CONFIGURACION.
TEST_F(TransmissionRun, SourcesAreOpenedWithTheReplicationCredentials)
{
    test::ServerUser user("kalvora_replica", "Clave1");
    test::ServerDir server;
    const std::string src = serverSource(server, user, "ALL");
    {
        test::CompanyRows source(src, test::sysdba());
        source.account(Account{.cod = "1105"});
        source.audit(test::accountEntry(1, "1105"));
        source.audit(test::accountEntry(2, "1105"));
    }

    send(kDay, kDay);
    c.reset();
    EXPECT_EQ(flags(src, test::sysdba()), "SS");
    EXPECT_EQ(count("select * from cuentas"), 1u);

    // Without a password the server refuses the source, which is named and skipped.
    destination.execute(
        "DELETE FROM CONFIGURACION WHERE CONF_PROPIEDAD = 'CLAVE DE USUARIO PARA REPLICACION DE ARTICULOS'");
    EXPECT_EQ(send().unreachable.size(), 1u);
    c.reset();
}

// A repair writes nothing in a source, so a replication user the server lets only read the
// source's tables repairs the destination in full.
TEST_F(TransmissionRun, ARepairNeedsOnlyTheRightToReadTheSources)
{
    test::ServerUser reader("kalvora_lector", "Clave1");
    test::ServerDir server;
    const std::string src = serverSource(server, reader, "SELECT");
    const Voucher voucher{.consec = 1, .lines = {VoucherLine{.item = 1}, VoucherLine{.item = 2}}};
    {
        test::CompanyRows source(src, test::sysdba());
        source.account(Account{.cod = "1105"});
        source.voucher(voucher);
        source.audit(test::accountEntry(1, "1105"));
        source.audit(test::voucherEntry(2, voucher));
    }

    c = site.connect(dialogs);
    const RepairOutcome repaired =
        reparar(*c, dialogs, progress, test::TransmissionSite::kDestination, kDay, kDay, false, false);
    c.reset();
    ASSERT_TRUE(repaired.completed) << ::testing::PrintToString(dialogs.texts(Kind::Message));
    EXPECT_EQ(repaired.counts.repaired, 2);
    EXPECT_EQ(repaired.counts.failed, 0);
    EXPECT_EQ(repaired.after.differenceCount(), 0);
    EXPECT_EQ(count("select * from cuentas"), 1u);
    EXPECT_EQ(count("select * from comprobante_detalle"), 2u);
    EXPECT_EQ(flags(src, test::sysdba()), "NN");
}

}  // namespace
}  // namespace kalvora

namespace kalvora {
namespace {

// With a day-first format the lock date's text says little about its day: 15/01/2025 sorts
// after 01/12/2025. The calendar decides, for both sides of a copy and for deletions.
TEST_F(TransmissionRun, TheLockDateGoesByTheCalendarInADayFirstFormat)
{
    site.setFormats("dd/MM/yyyy");
    const std::string src = site.addSource("SRC");
    const Voucher closed{.consec = 1, .numero = "000001"};
    const Voucher oldSource{.consec = 2, .numero = "000002", .fecha = {2025, 6, 2}};
    const Voucher current{.consec = 3, .numero = "000003"};
    const Voucher closedDeleted{.consec = 4, .numero = "000004", .fecha = {2025, 11, 30}};
    {
        test::CompanyRows source(src);
        for (const auto& v : {closed, oldSource, current})
            source.voucher(v);
        source.audit(test::voucherEntry(1, closed));
        source.audit(test::voucherEntry(2, oldSource));
        source.audit(test::voucherEntry(3, current));
        source.audit(test::voucherEntry(4, closedDeleted, "D"));
    }
    destination.voucher(Voucher{.consec = 50, .numero = "000001", .fecha = {2025, 1, 15}, .descripcion = "cerrado"});
    destination.voucher(Voucher{.consec = 51, .numero = "000004", .fecha = {2025, 11, 30}});
    destination.setting(schema::kFechaBloqueo, "01/12/2025");
    destination.target(1, "Sede", site.root(), "SRC");

    EXPECT_TRUE(send().concluded);
    c.reset();
    EXPECT_EQ(dialogs.texts(Kind::Message),
              (std::vector<std::string>{"Esta intentando modificar el comprobante CEG CE000001 de fecha 15/01/2025",
                                        "Esta intentando borrar el comprobante CEG CE000004 de fecha 30/11/2025",
                                        closingMessage()}));
    const auto headers = [&] {
        std::vector<std::string> out;
        for (const auto& row : test::query(site.destination(), "select enco_numero, enco_descripcion from"
                                                               " comprobante_encabezado order by enco_numero")
                                   .rows)
            out.push_back(row[0].asText() + " " + row[1].asText());
        return out;
    };
    EXPECT_EQ(headers(), (std::vector<std::string>{"000001 cerrado", "000003 ", "000004 "}))
        << "the source voucher of 02/06/2025 stays out";
    EXPECT_EQ(flags(src), "SSSS");

    // A lock date later in its month than today's day: today's vouchers are still open.
    destination.execute("UPDATE CONFIGURACION SET CONF_VALOR = '15/11/2026' WHERE CONF_PROPIEDAD = 'FECHA DE BLOQUEO'");
    const Voucher today{.consec = 5, .numero = "000005"};
    {
        test::CompanyRows source(src);
        source.voucher(today);
        source.audit(test::voucherEntry(5, today));
    }
    dialogs.clear();
    EXPECT_TRUE(send().concluded);
    c.reset();
    EXPECT_EQ(dialogs.texts(Kind::Message), std::vector<std::string>{closingMessage()});
    EXPECT_EQ(headers().back(), "000005 ");
    EXPECT_EQ(flags(src), "SSSSS");
}

// Deleted and made again within one second: the entries keep the order they were recorded
// in, whatever order the table holds them in, so the voucher is there at the end. With an
// index on date and time the engine walks it and gives equal keys in storage order.
TEST_F(TransmissionRun, EntriesOfOneSecondKeepTheirRecordedOrder)
{
    const std::string src = site.addSource("SRC");
    const Voucher again{.consec = 8, .descripcion = "otra vez"};
    {
        test::CompanyRows source(src);
        source.execute("CREATE INDEX AUDITORIA_FECHA_HORA ON AUDITORIA (AUDI_FECHA, AUDI_HORA)");
        source.voucher(again);
        auto deleted = test::voucherEntry(1, again, "D");
        auto made = test::voucherEntry(2, again);
        deleted.hora = made.hora = TimeOfDay{8, 0, 0, 0};
        source.audit(made);
        source.audit(deleted);
    }
    destination.voucher(Voucher{.consec = 50, .descripcion = "antes"});
    destination.target(1, "Sede", site.root(), "SRC");

    send();
    c.reset();
    const fb::Rows headers = test::query(site.destination(), "select enco_descripcion from comprobante_encabezado");
    ASSERT_EQ(headers.rows.size(), 1u);
    EXPECT_EQ(headers.rows[0][0], Value("otra vez"));
}

// Commits statements to the source as the run takes up an entry, before it copies it.
class ChangingProgress : public NoProgress {
public:
    ChangingProgress(std::string source, std::map<int, std::vector<std::string>> changes)
        : source_(std::move(source)), changes_(std::move(changes))
    {
    }
    void step() override { test::execute(source_, changes_[++steps_]); }

private:
    std::string source_;
    std::map<int, std::vector<std::string>> changes_;
    int steps_ = 0;
};

// "antes" in the header and line descriptions of vouchers 000001 to 000003, one entry each.
std::string vouchersBefore(test::TransmissionSite& site, test::CompanyRows& destination)
{
    const std::string src = site.addSource("SRC");
    test::CompanyRows source(src);
    for (int n = 1; n <= 3; ++n) {
        const Voucher v{.consec = n,
                        .numero = "00000" + std::to_string(n),
                        .descripcion = "antes",
                        .lines = {VoucherLine{.descripcion = "antes"}}};
        source.voucher(v);
        source.audit(test::voucherEntry(100 + n, v));
    }
    destination.target(1, "Sede", site.root(), "SRC");
    return src;
}

std::vector<fb::Row> copiedVouchers(const test::TransmissionSite& site)
{
    return test::query(site.destination(), "select h.enco_numero, h.enco_descripcion, d.deco_descripcion"
                                           " from comprobante_encabezado h left join comprobante_detalle d"
                                           " on d.enco_consec = h.enco_consec order by h.enco_numero")
        .rows;
}

// A voucher changed while the run goes is copied as the run's snapshots show it: the header
// as the selection's transaction does, the lines as their own transaction does, which starts
// when the run first reads lines. Later changes are the next run's.
TEST_F(TransmissionRun, AVoucherChangedDuringTheRunIsCopiedAsTheRunsSnapshotsShowIt)
{
    const std::string src = vouchersBefore(site, destination);
    const auto change = [](const std::string& consec) {
        return std::vector<std::string>{
            "UPDATE COMPROBANTE_ENCABEZADO SET ENCO_DESCRIPCION = 'despues' WHERE ENCO_CONSEC = " + consec,
            "UPDATE COMPROBANTE_DETALLE SET DECO_DESCRIPCION = 'despues' WHERE ENCO_CONSEC = " + consec};
    };
    // Before the first lines are read, and after.
    ChangingProgress changing(src, {{1, change("2")}, {2, change("3")}});
    c = site.connect(dialogs);
    SpeedButton1Click(*c, dialogs, changing, test::TransmissionSite::kDestination, kDay, kDay);
    c.reset();
    EXPECT_EQ(copiedVouchers(site),
              (std::vector<fb::Row>{
                  {"000001", "antes", "antes"}, {"000002", "antes", "despues"}, {"000003", "antes", "antes"}}));
}

// Under an update trigger of AUDITORIA each sent flag goes at its entry's turn: what the
// trigger changes is seen by the entries after it.
TEST_F(TransmissionRun, WhatATriggerChangesWithAFlagIsSeenByTheEntriesAfterIt)
{
    const std::string src = vouchersBefore(site, destination);
    test::CompanyRows source(src);
    source.execute("CREATE TRIGGER AUDITORIA_MARCAS FOR AUDITORIA AFTER UPDATE AS BEGIN"
                   " UPDATE COMPROBANTE_ENCABEZADO SET ENCO_DESCRIPCION = 'con marcas'"
                   " WHERE ENCO_CONSEC = NEW.AUDI_IDDOC + 1; END");
    send();
    c.reset();
    EXPECT_EQ(copiedVouchers(site),
              (std::vector<fb::Row>{
                  {"000001", "antes", "antes"}, {"000002", "con marcas", "antes"}, {"000003", "con marcas", "antes"}}));
}

// A flag that such a trigger refuses stops the run at its entry, as any refused command
// does: the entries before it keep their flags, the ones after it are not copied.
TEST_F(TransmissionRun, AFlagATriggerRefusesStopsTheRunAtItsEntry)
{
    const std::string src = site.addSource("SRC");
    {
        test::CompanyRows source(src);
        source.execute("CREATE EXCEPTION SEGUNDA_RECHAZADA 'segunda rechazada'");
        source.execute("CREATE TRIGGER AUDITORIA_SEGUNDA FOR AUDITORIA BEFORE UPDATE AS BEGIN"
                       " IF (NEW.AUDI_ID = 2 AND NEW.AUDI_ENVIO = 'S') THEN EXCEPTION SEGUNDA_RECHAZADA; END");
        for (int id = 1; id <= 3; ++id) {
            source.account(Account{.cod = "110" + std::to_string(id)});
            source.audit(test::accountEntry(id, "110" + std::to_string(id)));
        }
    }
    destination.target(1, "Sede", site.root(), "SRC");

    EXPECT_THROW(send(), DatabaseError);
    c.reset();
    EXPECT_EQ(flags(src), "SNN");
    EXPECT_EQ(test::query(site.destination(), "select cuen_cod from cuentas order by cuen_cod").rows,
              (std::vector<fb::Row>{{"1101"}, {"1102"}}));
    EXPECT_EQ(site.journal("ERRORES.TXT"), "");
}

// An entry that does not name its document (AUDI_IDDOC of a voucher, AUDI_COD of a deletion,
// an account or a third party left null) copies nothing: it fails, is journalled and asked
// about, and stays pending.
TEST_F(TransmissionRun, AnEntryWithoutItsDocumentsKeyFailsAndWritesNothing)
{
    struct Case {
        test::AuditEntry entry;
        const char* nulled;
        std::string message;
    };
    const std::vector<Case> cases = {
        {test::voucherEntry(1, Voucher{.consec = 0, .prefijo = "", .numero = ""}), "AUDI_IDDOC",
         ansi("La entrada de auditoría 1 no indica el comprobante que se debe enviar (AUDI_IDDOC está vacío).")},
        {test::voucherEntry(2, Voucher{.consec = 0, .prefijo = "", .numero = ""}, "D"), "AUDI_COD",
         ansi("La entrada de auditoría 2 no indica el comprobante que se debe borrar (AUDI_COD está vacío).")},
        {test::accountEntry(3, ""), "AUDI_COD",
         ansi("La entrada de auditoría 3 no indica la cuenta que se debe enviar (AUDI_COD está vacío).")},
        {test::thirdPartyEntry(4, ""), "AUDI_COD",
         ansi("La entrada de auditoría 4 no indica el tercero que se debe enviar (AUDI_COD está vacío).")},
    };
    const std::string src = site.addSource("SRC");
    {
        // What a null read as 0 or as an empty code would find.
        test::CompanyRows source(src);
        source.voucher(Voucher{.consec = 0, .prefijo = "", .numero = "", .lines = {VoucherLine{}}});
        source.account(Account{.cod = ""});
        source.thirdParty(test::ThirdParty{.nit = ""});
        for (const Case& c : cases) {
            source.audit(c.entry);
            source.execute(std::string("UPDATE AUDITORIA SET ") + c.nulled +
                           " = NULL WHERE AUDI_ID = " + std::to_string(c.entry.id));
        }
    }
    destination.voucher(Voucher{.consec = 5, .prefijo = "", .numero = ""});
    destination.target(1, "Sede", site.root(), "SRC");

    const auto summary = send();

    EXPECT_EQ(summary.failed, 4);
    const auto messages = dialogs.texts(Kind::Message);
    ASSERT_EQ(messages.size(), cases.size() + 1);
    for (std::size_t i = 0; i < cases.size(); ++i)
        EXPECT_EQ(messages[i], cases[i].message + ansi(" No se envía y queda pendiente."));
    EXPECT_EQ(dialogs.texts(Kind::Question).size(), 4u);
    EXPECT_EQ(site.journalLines("ERRORES.TXT").size(), 4u);
    EXPECT_EQ(flags(src), "NNNN");
    EXPECT_EQ(test::query(site.destination(), "select enco_consec from comprobante_encabezado").rows,
              std::vector<fb::Row>{{5}});
    EXPECT_EQ(count("select * from comprobante_detalle"), 0u);
    EXPECT_EQ(count("select * from cuentas"), 0u);
    EXPECT_EQ(count("select * from terceros"), 0u);
}

// A source that will not store its sent flags (a commit trigger refuses them; a connection
// lost after the last flag does the same) stops the run with a message naming it. Its
// entries stay pending, and the targets after it are left for the next run.
TEST_F(TransmissionRun, SentFlagsTheSourceDoesNotStoreStopTheRunAndStayPending)
{
    const std::string a = site.addSource("AAA");
    const std::string b = site.addSource("BBB");
    {
        test::CompanyRows rows(a);
        rows.account(Account{.cod = "1105"});
        rows.audit(test::accountEntry(1, "1105"));
        rows.audit(test::accountEntry(2, "1105"));
        rows.refuseSentFlags();
    }
    {
        test::CompanyRows rows(b);
        rows.account(Account{.cod = "2205"});
        rows.audit(test::accountEntry(1, "2205"));
    }
    destination.target(1, "Sede A", site.root(), "AAA");
    destination.target(2, "Sede B", site.root(), "BBB");

    EXPECT_THROW(send(), SilentAbort);

    const auto messages = dialogs.texts(Kind::Message);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].starts_with(ansi("No se pudo guardar en la compañía de origen Sede A (AAA) cuáles entradas"
                                             " quedaron enviadas: ")))
        << messages[0];
    EXPECT_NE(messages[0].find("marcas rechazadas"), std::string::npos) << messages[0];
    EXPECT_EQ(flags(a), "NN");
    EXPECT_EQ(flags(b), "N");
    EXPECT_EQ(count("select * from cuentas"), 1u);
}

}  // namespace
}  // namespace kalvora
