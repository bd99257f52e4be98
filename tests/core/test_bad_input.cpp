#include "principalconta/transmission/transmission.h"

#include "base/errors.h"
#include "base/text.h"
#include "ctrlaccesoconta/error_messages.h"
#include "data/connection.h"
#include "data/field.h"
#include "data/locations.h"
#include "settings/clock.h"
#include "settings/servers.h"
#include "support/child_process.h"
#include "support/destination_contents.h"
#include "support/scratch.h"
#include "support/transmission_fixture.h"
#include "ui/scripted_dialogs.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <filesystem>
#include <fstream>

namespace kalvora {
namespace {

using Kind = ScriptedDialogs::Kind;
using test::Account;
using test::ThirdParty;
using test::Voucher;
using test::VoucherLine;

const Date kDay{2026, 12, 9};

class BadInput : public ::testing::Test {
protected:
    bool send(const Date& desde = kDay, const Date& hasta = kDay)
    {
        if (!c)
            c = site.connect(dialogs);
        return runGuarded(dialogs, [&] {
            summary = SpeedButton1Click(*c, dialogs, progress, test::TransmissionSite::kDestination, desde, hasta);
        });
    }

    std::string lastMessage() const { return dialogs.texts(Kind::Message).back(); }
    fb::Rows rows(const std::string& sql) { return test::query(site.destination(), sql); }
    std::string flags()
    {
        c->DbCia.disconnect();
        return test::sentFlags(src);
    }

    test::TempDir dir;
    test::TransmissionSite site{dir.path()};
    std::string src = site.addSource("SRC");
    test::CompanyRows source{src};
    test::CompanyRows destination{site.destination()};
    ScriptedDialogs dialogs;
    test::RecordingProgress progress;
    std::unique_ptr<Componentes> c;
    TransmissionSummary summary;
    ScopedClock clock{Timestamp{kDay, {10, 0, 0, 0}}};
};

// Every place a code enters a statement: the selection's prefixes, the account and third
// party lookups, the voucher probe and both deletes.
TEST_F(BadInput, CommentMarksSemicolonsAndQuotesInCodesAreData)
{
    const Voucher copied{.consec = 1, .tipo = "';-", .prefijo = "/*", .numero = "--;*/'", .lines = {VoucherLine{}}};
    const Voucher deleted{.consec = 2, .tipo = "';-", .prefijo = "/*", .numero = "x'--;\xFF", .lines = {VoucherLine{}}};
    source.voucher(copied);
    source.account(Account{.cod = "/*1105", .nombre = "a';--"});
    source.account(Account{.cod = "1105", .nombre = "no pedida"});
    source.thirdParty(ThirdParty{.nit = "9';DELETE TERCEROS--", .nombre = "tercero"});
    source.audit(test::voucherEntry(1, copied));
    source.audit(test::accountEntry(2, "/*1105"));
    source.audit(test::thirdPartyEntry(3, "9';DELETE TERCEROS--"));
    source.audit(test::voucherEntry(4, deleted, "D"));
    source.audit(test::accountEntry(5, "1105"));
    destination.voucher(deleted);
    destination.thirdParty(ThirdParty{.nit = "800", .nombre = "se queda"});
    // Prefixes that would select everything if they left their literals.
    destination.target(1, "Sede", site.root(), "SRC", {"/*", "9';", "' OR", "') O", "--"});

    EXPECT_TRUE(send());
    EXPECT_EQ(summary.transmitted, 4);
    EXPECT_EQ(flags(), "SSSSN") << "1105 matches no prefix";
    const fb::Rows headers = rows("select tico_cod, prco_pref, enco_numero from comprobante_encabezado");
    ASSERT_EQ(headers.rows.size(), 1u) << "copied, and the other one deleted";
    EXPECT_EQ(headers.rows[0], (fb::Row{Value("';-"), Value("/*"), Value("--;*/'")}));
    EXPECT_EQ(rows("select * from comprobante_detalle").rows.size(), 1u);
    EXPECT_EQ(rows("select cuen_cod, cuen_nombre from cuentas").rows.at(0), (fb::Row{Value("/*1105"), Value("a';--")}));
    EXPECT_EQ(rows("select * from terceros").rows.size(), 2u);
}

// Codes that do not fit their columns: a deletion whose prefix is longer than PRCO_PREF finds
// nothing to delete; a source value longer than the destination column is refused by the
// destination as one failed entry, and the destination keeps its row.
TEST_F(BadInput, CodesAndTextsLongerThanTheirColumns)
{
    source.execute("ALTER TABLE CUENTAS ALTER COLUMN CUEN_NOMBRE TYPE VARCHAR(300)");
    source.account(Account{.cod = "1105", .nombre = std::string(150, 'n')});
    source.audit(test::voucherEntry(1, Voucher{.prefijo = "ABCDEFGH", .numero = "000001"}, "D"));
    source.audit(test::accountEntry(2, "1105"));
    destination.voucher(Voucher{.consec = 5, .prefijo = "ABCD", .numero = "000001"});
    destination.account(Account{.cod = "1105", .nombre = "Caja"});
    destination.target(1, "Sede", site.root(), "SRC");

    EXPECT_TRUE(send());
    EXPECT_EQ(summary.transmitted, 1);
    EXPECT_EQ(summary.failed, 1);
    EXPECT_EQ(dialogs.texts(Kind::Message).front(),
              "Dynamic SQL Error\n-SQL error code = -303\n-arithmetic exception, numeric overflow, or string "
              "truncation\n-string right truncation\n-expected length 100, actual 150");
    EXPECT_EQ(site.journalLines("ERRORES.TXT"),
              std::vector<std::string>{"2026/12/09,10:00:00,SYSDBA,Error transmitiendo 1105"});
    EXPECT_EQ(rows("select * from comprobante_encabezado").rows.size(), 1u) << "ABCD000001 is another voucher";
    EXPECT_EQ(rows("select cuen_nombre from cuentas").rows.at(0)[0], Value("Caja"));
    EXPECT_EQ(flags(), "SN");
}

// Only run, in a child process, by the test below.
TEST(HighByteLocations, DISABLED_OpenTheirFolderInAUtf8Locale)
{
    // The client takes the system's character set once, at its first use; QApplication sets
    // it from the environment before that, and so does this child.
    ASSERT_NE(std::setlocale(LC_CTYPE, "C.UTF-8"), nullptr);
    test::TempDir dir;
    const std::string entry = dir.path() + "/Compa\xF1\xED"
                                           "a";
    std::filesystem::create_directories(toUtf8(entry) + "/datos");
    fb::Attachment::create(generalDatabaseLocation(entry), test::embeddedUser())->detach();
    std::ofstream(dir.file("SERVIDORES.cfg"), std::ios::binary) << entry << std::string("\0resto", 6) << "\r\n";
    const auto entries = readServerList(dir.path());
    ASSERT_EQ(entries, std::vector<std::string>{entry});

    Connection general;
    general.setDatabase(generalDatabaseLocation(entries[0]));
    EXPECT_NO_THROW(general.connect());
}

// A server entry's Windows-1252 letters name the folder that has them on disk (in UTF-8).
TEST(HighByteLocations, ServerEntriesWithHighBytesOpenTheirFolder)
{
    const test::Finished child = test::runProgram(
        test::currentProgram(),
        {"--gtest_filter=HighByteLocations.DISABLED_OpenTheirFolderInAUtf8Locale", "--gtest_also_run_disabled_tests"});
    EXPECT_EQ(child.status, 0) << child.out << child.err;
}

// A NUL in a target's server entry would cut the location short and open another file: here
// the source's own database, named whole before the NUL.
TEST_F(BadInput, ALocationWithANulIsRefusedRatherThanCut)
{
    source.account(Account{.cod = "1105"});
    source.audit(test::accountEntry(1, "1105"));
    destination.target(1, "Sede", src + std::string(1, '\0'), "SRC");
    EXPECT_FALSE(send());
    EXPECT_EQ(lastMessage(), "Se presento el siguiente error: " +
                                 ansi("La ubicación de la base de datos contiene un carácter nulo después de ") + src);
    EXPECT_TRUE(rows("select * from cuentas").rows.empty());
    EXPECT_EQ(test::sentFlags(src), "N");
}

// The installation folder registered as a number: the error the registry gives stops the run
// when it checks its journals, before any entry is read.
TEST_F(BadInput, AnInstallationFolderOfTheWrongTypeStopsTheRunBeforeTheFirstEntry)
{
    source.account(Account{.cod = "1105"});
    source.audit(test::accountEntry(1, "1105"));
    destination.target(1, "Sede", site.root(), "SRC");
    c = site.connect(dialogs);
    std::ofstream(site.root() + "/kalvora.reg", std::ios::binary)
        << "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Quenti\\Kalvora2015]\r\n"
        << "\"Directorio\"=dword:00000001\r\n";

    EXPECT_FALSE(send());
    EXPECT_EQ(lastMessage(), "Se presento el siguiente error: Invalid data type for 'Directorio'");
    EXPECT_TRUE(rows("select * from cuentas").rows.empty());
    EXPECT_EQ(flags(), "N");
}

TEST_F(BadInput, ATargetWithoutAServerEntryNamesThePathItTried)
{
    source.audit(test::accountEntry(1, "1105"));
    destination.target(1, "Sin servidor", "", "SRC");
    EXPECT_TRUE(send());
    EXPECT_EQ(dialogs.texts(Kind::Message).front(),
              ansi("No se pudo leer la compañía de origen Sin servidor (SRC), servidor : no se encontró o no se "
                   "pudo abrir el archivo /datos/SRC/kalvora.fdb."));
    EXPECT_EQ(flags(), "N");
}

// A destination voucher table with a column its source lacks: the run stops with a message
// that names the table, and no part of the new copy stays.
TEST_F(BadInput, ADestinationVoucherTableWithMoreColumnsThanItsSource)
{
    const Voucher voucher{.consec = 1, .lines = {VoucherLine{.item = 1}, VoucherLine{.item = 2}}};
    source.voucher(voucher);
    source.audit(test::voucherEntry(1, voucher));
    destination.target(1, "Sede", site.root(), "SRC");
    const std::string refusal = " de la base de datos destino tiene 10 columnas y la de origen solo 9: las dos deben "
                                "tener las mismas columnas en el mismo orden.";

    destination.execute("ALTER TABLE COMPROBANTE_DETALLE ADD DECO_EXTRA INTEGER");
    EXPECT_FALSE(send());
    EXPECT_EQ(lastMessage(), "Se presento el siguiente error: La tabla COMPROBANTE_DETALLE" + refusal);
    EXPECT_TRUE(rows("select * from comprobante_encabezado").rows.empty()) << "the header went with its lines";
    EXPECT_TRUE(rows("select * from comprobante_detalle").rows.empty());

    // Prepared statements keep the table's old shape until "Conectar" connects again.
    c.reset();
    destination.execute("ALTER TABLE COMPROBANTE_DETALLE DROP DECO_EXTRA");
    destination.execute("ALTER TABLE COMPROBANTE_ENCABEZADO ADD ENCO_EXTRA INTEGER");
    destination.execute("ALTER TABLE COMPROBANTE_ENCABEZADO ADD ENCO_OTRA INTEGER");
    EXPECT_FALSE(send());
    EXPECT_EQ(lastMessage(), "Se presento el siguiente error: La tabla COMPROBANTE_ENCABEZADO de la base de datos "
                             "destino tiene 13 columnas y la de origen solo 11: las dos deben tener las mismas "
                             "columnas en el mismo orden.");
    EXPECT_TRUE(rows("select * from comprobante_encabezado").rows.empty());
    EXPECT_EQ(flags(), "N");

    c.reset();
    destination.execute("ALTER TABLE COMPROBANTE_ENCABEZADO DROP ENCO_EXTRA");
    destination.execute("ALTER TABLE COMPROBANTE_ENCABEZADO DROP ENCO_OTRA");
    EXPECT_TRUE(send());
    EXPECT_EQ(rows("select * from comprobante_detalle").rows.size(), 2u);
    EXPECT_EQ(flags(), "S");
}

// Currency holds ±922337203685477.5807, and wide decimals cross as currency: a larger amount
// stops the copy rather than wrap around into another number.
TEST(Amounts, BeyondWhatCurrencyHoldsAreRefusedNotWrapped)
{
    EXPECT_EQ(Value(Scaled{9223372036854775807, -4}).asCurrency(), 9223372036854775807);
    EXPECT_EQ(Value(std::int64_t{922337203685477}).asCurrency(), 9223372036854770000);
    EXPECT_THROW(Value(std::int64_t{922337203685478}).asCurrency(), Error);
    EXPECT_THROW(Value(Scaled{92233720368547759, -2}).asCurrency(), Error);
    EXPECT_THROW(Value(1e15).asCurrency(), Error);
    EXPECT_THROW(Value(std::string("1e300")).asCurrency(), Error);
    EXPECT_THROW(Value(std::nan("")).asInteger(), Error);
    EXPECT_THROW(Value(1e19).asInteger(), Error);
    FieldDef wide;
    wide.type = FieldType::FmtBcd;
    wide.scale = 6;
    EXPECT_THROW(convertForField(wide, Value(1e15)), Error);
}

// Days the database cannot hold are refused before anything starts.
TEST_F(BadInput, DatesOutsideWhatTheDatabaseHoldsAreRefusedBeforeTheRun)
{
    source.audit(test::accountEntry(1, "1105"));
    destination.target(1, "Sede", site.root(), "SRC");
    const std::string refusal =
        ansi("Las fechas Desde y Hasta deben ser días válidos entre el 0001/01/01 y el 9999/12/31.");
    for (const auto& [desde, hasta] : std::vector<std::pair<Date, Date>>{
             {{0, 12, 31}, kDay}, {kDay, {10000, 1, 1}}, {{2026, 2, 30}, kDay}, {{-32000, 1, 1}, {32000, 12, 31}}}) {
        dialogs.clear();
        EXPECT_TRUE(send(desde, hasta));
        EXPECT_FALSE(summary.concluded);
        EXPECT_EQ(dialogs.texts(Kind::Message), std::vector<std::string>{refusal});
    }
    EXPECT_TRUE(progress.events.empty());
    EXPECT_TRUE(c->usuario_replica.empty()) << "the settings are not even read";

    site.setFormats("dd/MM/yyyy");
    dialogs.clear();
    send({1, 1, 0}, kDay);
    EXPECT_EQ(lastMessage(),
              ansi("Las fechas Desde y Hasta deben ser días válidos entre el 01/01/0001 y el 31/12/9999."));

    dialogs.clear();
    EXPECT_TRUE(send({1, 1, 1}, {9999, 12, 31}));
    EXPECT_TRUE(summary.concluded) << "the range's own ends are fine";
    EXPECT_EQ(flags(), "S");
}

}  // namespace
}  // namespace kalvora
