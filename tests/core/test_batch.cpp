// kalvora-envio-batch and kalvora-demo run as child processes on real databases, the way a
// scheduler or ./run.sh starts them.
#include "base/text.h"
#include "data/ddl.h"
#include "data/locations.h"
#include "settings/clock.h"
#include "support/background_process.h"
#include "support/child_process.h"
#include "support/report_pages.h"
#include "support/scratch.h"
#include "support/server.h"
#include "support/transmission_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <thread>

#include <csignal>

namespace kalvora {
namespace {

namespace fs = std::filesystem;
using test::Account;
using test::accountEntry;
using test::builtProgram;
using test::Finished;

std::string readFile(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

Finished batch(const std::vector<std::string>& arguments, const test::EnvironmentChanges& environment = {})
{
    return test::runProgram(builtProgram("kalvora-envio-batch"), arguments, environment);
}

std::string isoDate(const Date& d)
{
    char text[11];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", d.year, d.month, d.day);
    return text;
}

std::string flags(const std::string& location)
{
    std::string out;
    for (const auto& row : test::query(location, "select audi_envio from auditoria order by audi_id").rows)
        out += row[0].asText();
    return out;
}

// An installation in a temporary folder: general database, destination DES, sources.
class BatchRun : public ::testing::Test {
protected:
    BatchRun() { test::createGeneralDatabase(dir.path()); }

    // The arguments of a scheduler's line, after any options.
    std::vector<std::string> line(std::vector<std::string> options = {}, const std::string& company = "DES") const
    {
        options.insert(options.end(), {dir.path(), "SYSDBA", "cualquiera", company});
        return options;
    }

    // A source with accounts 1 to n, each with a pending entry of `day`.
    std::string sourceWithAccounts(int target, const std::string& code, const std::string& name, int n, const Date& day)
    {
        const std::string location = site.addSource(code);
        test::CompanyRows rows(location);
        for (int i = 1; i <= n; ++i) {
            Account a{"11050" + std::to_string(i)};
            a.nombre = ansi("Caja menor número ") + std::to_string(i);
            a.nivel = i;
            rows.account(a);
            auto entry = accountEntry(i, a.cod);
            entry.fecha = day;
            rows.audit(entry);
        }
        test::CompanyRows(site.destination()).target(target, ansi(name), dir.path(), code);
        return location;
    }

    // The destination refuses accounts of level 2.
    void refuseLevelTwo()
    {
        test::execute(site.destination(),
                      {"ALTER TABLE CUENTAS ADD CONSTRAINT CUEN_NIVEL_PERMITIDO CHECK (CUEN_NIVEL <> 2)"});
    }

    const Date today = now().date;
    test::TempDir dir;
    test::TransmissionSite site{dir.path()};
};

TEST_F(BatchRun, EverythingSentExitsZeroAndTheRangeIsTodayUnlessTheOptionsSayOtherwise)
{
    const Date earlier = fromDayNumber(toDayNumber(today) - 3);
    const std::string source = sourceWithAccounts(1, "S01", "Sucursal Medellín", 2, today);
    {
        test::CompanyRows rows(source);
        rows.account({"220505"});
        auto old = accountEntry(3, "220505");
        old.fecha = earlier;
        rows.audit(old);
    }

    const Finished f = batch(line());
    EXPECT_EQ(f.status, 0) << f.err;
    const auto pages = test::reportPages(dir.path(), "envio");
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(f.out, "Proceso de envio de información concluído.\n"
                     "Resumen: entradas enviadas 2, con error 0, compañías de origen 1\n"
                     "Informe: " +
                         pages[0] + "\n");
    EXPECT_TRUE(f.errSays("Transmitiendo información de Sucursal Medellín: 2 registros\n")) << f.err;
    EXPECT_EQ(flags(source), "SSN");
    EXPECT_EQ(site.journalLines("ENVIO.TXT").size(), 2u);

    const Finished wider = batch(line({"--from", isoDate(earlier), "--to=" + isoDate(earlier)}));
    EXPECT_EQ(wider.status, 0) << wider.err;
    EXPECT_TRUE(wider.outSays("Resumen: entradas enviadas 1, con error 0, compañías de origen 1")) << wider.out;
    EXPECT_EQ(flags(source), "SSS");
    EXPECT_EQ(
        test::query(site.destination(), "select cuen_nombre from cuentas where cuen_cod = '110502'").rows.at(0)[0],
        Value(ansi("Caja menor número 2")));
}

TEST_F(BatchRun, AFailedEntryExitsOneAndOnErrorAnswersTheQuestion)
{
    refuseLevelTwo();
    const std::string first = sourceWithAccounts(1, "S01", "Sucursal Norte", 3, today);
    const std::string second = sourceWithAccounts(2, "S02", "Sucursal Sur", 1, today);

    const Finished skipped = batch(line({"--on-error", "skip-target"}));
    EXPECT_EQ(skipped.status, 1) << skipped.err;
    EXPECT_TRUE(skipped.errSays("Error transmitiendo 110502. Continuar? No\n")) << skipped.err;
    EXPECT_TRUE(skipped.errSays("Error: ")) << "the composed box follows the raw one\n" << skipped.err;
    EXPECT_TRUE(skipped.outSays("Resumen: entradas enviadas 2, con error 1, compañías de origen 2")) << skipped.out;
    EXPECT_EQ(flags(first), "SNN") << "the rest of the target stays pending";
    EXPECT_EQ(flags(second), "S") << "the next target is transmitted";
    EXPECT_EQ(site.journalLines("ERRORES.TXT").size(), 1u);

    const Finished continued = batch(line());
    EXPECT_EQ(continued.status, 1) << continued.err;
    EXPECT_TRUE(continued.errSays("Error transmitiendo 110502. Continuar? Sí\n")) << continued.err;
    EXPECT_TRUE(continued.outSays("Resumen: entradas enviadas 1, con error 1, compañías de origen 2")) << continued.out;
    EXPECT_EQ(flags(first), "SNS");
}

TEST_F(BatchRun, ARunThatStopsExitsTwo)
{
    sourceWithAccounts(1, "S01", "Sucursal Norte", 1, today);

    const Finished noCompany = batch(line({}, "ZZZ"));
    EXPECT_EQ(noCompany.status, 2);
    EXPECT_TRUE(noCompany.errSays("No se encontró el archivo o la ruta")) << noCompany.err;
    EXPECT_TRUE(noCompany.out.empty()) << noCompany.out;

    // A destination column that requires a value the source lacks: the data error dialogs
    // abort the run after their boxes, and nothing else is said.
    test::execute(site.destination(), {"ALTER TABLE CUENTAS ALTER CUEN_TASA SET NOT NULL"});
    const Finished aborted = batch(line());
    EXPECT_EQ(aborted.status, 2) << aborted.err;
    EXPECT_TRUE(aborted.errSays("CUEN_TASA")) << aborted.err;
    EXPECT_FALSE(aborted.errSays("Se presento el siguiente error")) << aborted.err;
    EXPECT_TRUE(aborted.out.empty()) << aborted.out;
    EXPECT_EQ(flags(site.source("S01")), "N");
}

// A source that cannot be opened holds back no other: it is named with its reason and the
// run exits 2; stop keeps the run from going past it.
TEST_F(BatchRun, AnUnreachableSourceIsNamedInTheSummaryAndExitsTwo)
{
    test::CompanyRows(site.destination()).target(1, "Sede Perdida", dir.path(), "NOX");
    sourceWithAccounts(2, "S01", "Sucursal Norte", 1, today);

    const Finished stopped = batch(line({"--on-unreachable", "stop"}));
    EXPECT_EQ(stopped.status, 2) << stopped.err;
    EXPECT_TRUE(stopped.errSays("¿Continuar con las demás compañías de origen? No")) << stopped.err;
    EXPECT_EQ(flags(site.source("S01")), "N");

    const Finished went = batch(line());
    EXPECT_EQ(went.status, 2) << went.err;
    EXPECT_TRUE(went.errSays("No se pudo leer la compañía de origen Sede Perdida (NOX)")) << went.err;
    EXPECT_TRUE(went.outSays("compañías de origen 1, sin alcanzar 1\nSin alcanzar: Sede Perdida (NOX), servidor " +
                             dir.path() + ": no se encontró"))
        << went.out;
    EXPECT_EQ(flags(site.source("S01")), "S");
}

// Sent flags that the source does not store are no success: the entries stay pending.
TEST_F(BatchRun, SentFlagsTheSourceRefusesToStoreExitTwo)
{
    const std::string source = sourceWithAccounts(1, "S01", "Sucursal Norte", 2, today);
    test::CompanyRows(source).refuseSentFlags();

    const Finished f = batch(line());
    EXPECT_EQ(f.status, 2) << f.err;
    EXPECT_TRUE(f.errSays("No se pudo guardar en la compañía de origen Sucursal Norte (S01)")) << f.err;
    EXPECT_TRUE(f.errSays("marcas rechazadas")) << f.err;
    EXPECT_FALSE(f.outSays("Resumen")) << f.out;
    EXPECT_EQ(flags(source), "NN");
}

// Without the installation folder nothing can be journalled, so nothing is sent.
TEST_F(BatchRun, WithoutItsInstallationFolderTheRunDoesNotStart)
{
    const std::string source = sourceWithAccounts(1, "S01", "Sucursal Norte", 2, today);
    const std::string registry = dir.path() + "/no-existe.reg";
    const Finished f = batch(line(), {{"KALVORA_REGISTRY", registry}});
    EXPECT_EQ(f.status, 2) << f.err;
    EXPECT_TRUE(f.errSays("falta el valor HKEY_LOCAL_MACHINE\\Software\\Quenti\\Kalvora2015\\Directorio del archivo de "
                          "registro " +
                          registry))
        << f.err;
    EXPECT_FALSE(f.errSays("No se encontró la Clave")) << f.err;
    EXPECT_EQ(flags(source), "NN");
}

// SIGTERM at a random entry: the entry in progress is finished, every entry flagged sent is
// in the destination, and the next run sends the rest. A second signal ends it at once.
TEST_F(BatchRun, AStopOnRequestKeepsWhatWasSentAndASecondSignalEndsItAtOnce)
{
    constexpr int kEntries = 150;
    const std::string source = sourceWithAccounts(1, "S01", "Sucursal Norte", kEntries, today);
    std::mt19937 random(std::random_device{}());
    const auto signalAtEntry = [&](std::vector<int> signals) {
        const std::size_t entry = std::uniform_int_distribution<std::size_t>(1, 40)(random);
        SCOPED_TRACE("signalled at entry " + std::to_string(entry));
        test::ChildProcess run(builtProgram("kalvora-envio-batch"), line());
        for (int i = 0; i < 5000 && site.journalLines("ENVIO.TXT").size() < entry; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        for (const int s : signals)
            ::kill(run.pid(), s);
        const auto finished = run.wait(std::chrono::seconds(60));
        EXPECT_TRUE(finished.has_value());
        return finished.value_or(Finished{});
    };

    const Finished stopped = signalAtEntry({SIGTERM});
    EXPECT_EQ(stopped.status, 2) << stopped.err;
    const std::string sent = flags(source);
    const auto transmitted = std::count(sent.begin(), sent.end(), 'S');
    EXPECT_GT(transmitted, 0);
    EXPECT_LT(transmitted, kEntries);
    EXPECT_EQ(stopped.out.substr(0, stopped.out.find("Informe: ")),
              std::string("Transmisión interrumpida: entradas enviadas ") + std::to_string(transmitted) +
                  ", con error 0\n");
    const auto pages = test::reportPages(site.root(), "envio");
    ASSERT_EQ(pages.size(), 1u) << stopped.out;
    EXPECT_NE(stopped.out.find("Informe: " + pages[0]), std::string::npos) << stopped.out;
    EXPECT_NE(test::visibleText(test::fileBytes(pages[0])).find(ansi("La transmisión se interrumpió")),
              std::string::npos);
    EXPECT_EQ(std::string(std::size_t(transmitted), 'S'), sent.substr(0, std::size_t(transmitted)));
    EXPECT_EQ(test::query(site.destination(), "select * from cuentas").rows.size(), std::size_t(transmitted));

    const Finished killed = signalAtEntry({SIGTERM, SIGINT});
    EXPECT_EQ(killed.status, -1) << "ended by the second signal: " << killed.out;
    EXPECT_FALSE(killed.outSays("Resumen")) << killed.out;

    const Finished rest = batch(line());
    EXPECT_EQ(rest.status, 0) << rest.err;
    EXPECT_EQ(flags(source), std::string(kEntries, 'S'));
    EXPECT_EQ(test::query(site.destination(), "select * from cuentas").rows.size(), std::size_t(kEntries));
}

TEST_F(BatchRun, PreviewAndVerifyWriteNothingAndVerifyExitsByWhatItFound)
{
    const std::string source = sourceWithAccounts(1, "S01", "Sucursal Medellín", 2, today);

    const Finished preview = batch(line({"--preview"}));
    EXPECT_EQ(preview.status, 0) << preview.err;
    EXPECT_TRUE(preview.outSays("  Cuenta 110502  copiar\n")) << preview.out;
    EXPECT_TRUE(preview.outSays("Total: 2 entradas (copiar 2) en 1 compañía de origen\n")) << preview.out;
    EXPECT_EQ(flags(source), "NN");
    EXPECT_TRUE(site.journal("ENVIO.TXT").empty());

    const Finished differs = batch(line({"--verify"}));
    EXPECT_EQ(differs.status, 1) << differs.err;
    EXPECT_TRUE(differs.outSays("Total: 2 diferencias, 0 protegidos en 1 compañía de origen\n")) << differs.out;
    EXPECT_TRUE(differs.outSays("Detalle: " + dir.path() + "/VERIFICACION.CSV\n")) << differs.out;
    EXPECT_EQ(site.journalLines("VERIFICACION.CSV").size(), 3u);
    EXPECT_EQ(flags(source), "NN");

    ASSERT_EQ(batch(line()).status, 0);
    const Finished same = batch(line({"--verify"}));
    EXPECT_EQ(same.status, 0) << same.err;
    EXPECT_TRUE(same.outSays("S01 Sucursal Medellín: 0 comprobantes y 2 cuentas o terceros comparados, 0 diferencias, "
                             "0 protegidos\n"))
        << same.out;
    EXPECT_EQ(site.journalLines("VERIFICACION.CSV").size(), 1u) << "the header alone";

    const Finished stopped = batch(line({"--verify"}, "ZZZ"));
    EXPECT_EQ(stopped.status, 2);
    EXPECT_TRUE(stopped.out.empty()) << stopped.out;
    EXPECT_EQ(batch(line({"--preview", "--verify"})).status, 64);
}

// Sign-in is the server's own authentication, so this goes through the real server.
TEST(BatchServer, ThePasswordComesFromKalvoraPasswordAndAWrongOneStopsTheRun)
{
    test::ServerUser user{"kalvora_batch", "Clave.2026"};
    test::ServerDir dir;
    auto general = ddl::generalDatabase();
    general.push_back("GRANT SELECT ON USUARIO TO PUBLIC");
    general.push_back("GRANT SELECT ON COMPANIA TO PUBLIC");
    fs::create_directories(dir.path() + "/datos");
    test::shareWithServer(dir.path() + "/datos");
    test::createServerDatabase(dir.path() + "/datos/general.fdb", general);
    const std::vector<std::string> arguments{test::serverLocation(dir.path()), user.name(), "-", "DES"};
    const test::EnvironmentChanges noClientDefaults{{"ISC_USER", std::nullopt}, {"ISC_PASSWORD", std::nullopt}};

    auto environment = noClientDefaults;
    environment["KALVORA_PASSWORD"] = "clave.2026";
    const Finished refused = batch(arguments, environment);
    EXPECT_EQ(refused.status, 2);
    EXPECT_TRUE(refused.errSays("El nombre de Usuario o la clave son incorrectas.")) << refused.err;

    // Signed in: it goes on to "Conectar", which finds no company DES.
    environment["KALVORA_PASSWORD"] = user.password();
    const Finished signedIn = batch(arguments, environment);
    EXPECT_EQ(signedIn.status, 2);
    EXPECT_FALSE(signedIn.errSays("El nombre de Usuario o la clave son incorrectas.")) << signedIn.err;
    EXPECT_TRUE(signedIn.errSays("No se encontró el archivo o la ruta")) << signedIn.err;
}

// What ./run.sh does, in a temporary folder: build the demo, transmit it, compare the summary.
TEST(Demo, TheBatchTransmitsTheDemoAsItsBuilderExpects)
{
    test::TempDir dir;
    const std::string folder = dir.file("demo");
    ASSERT_EQ(test::runProgram(builtProgram("tools/kalvora-demo"), {folder}).status, 0);
    // Built anew over the earlier one.
    const Finished rebuilt = test::runProgram(builtProgram("tools/kalvora-demo"), {folder});
    ASSERT_EQ(rebuilt.status, 0) << rebuilt.err;

    const Finished f = batch({folder + "/servidor", "SYSDBA", "-", "001"},
                             {{"KALVORA_REGISTRY", folder + "/kalvora.reg"}, {"KALVORA_PASSWORD", "demo"}});
    EXPECT_EQ(f.status, 1) << "one entry fails on purpose\n" << f.err;
    std::string expected = readFile(folder + "/RESUMEN_ESPERADO.txt");
    ASSERT_FALSE(expected.empty());
    EXPECT_TRUE(f.outSays("Proceso de envio de información concluído.\n" + expected)) << f.out << "\n" << expected;
    EXPECT_NE(readFile(folder + "/ERRORES.TXT").find(",SYSDBA,Error transmitiendo NCO NV"), std::string::npos);

    // The verification finds what the demo builds: the refused voucher missing, a voucher and
    // an account edited by hand, a voucher only the destination holds.
    const test::EnvironmentChanges demo{{"KALVORA_REGISTRY", folder + "/kalvora.reg"}, {"KALVORA_PASSWORD", "demo"}};
    const auto sortedLines = [](const std::string& text) {
        std::vector<std::string> lines;
        for (std::size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
            lines.push_back(text.substr(start, end - start + 2));
        std::sort(lines.begin(), lines.end());
        return lines;
    };
    const auto detailLines = [&] {
        const std::string detail = readFile(folder + "/VERIFICACION.CSV");
        return sortedLines(detail.substr(detail.find("\r\n") + 2));
    };
    const auto withKey = [](std::vector<std::string> lines, const std::string& key) {
        std::erase_if(lines, [&](const std::string& line) { return line.find("," + key + ",") == std::string::npos; });
        return lines;
    };
    const std::vector<std::string> demoArguments{folder + "/servidor", "SYSDBA", "-", "001"};
    const auto run = [&](std::vector<std::string> options) {
        options.insert(options.end(), demoArguments.begin(), demoArguments.end());
        return batch(options, demo);
    };
    EXPECT_EQ(run({"--verify"}).status, 1);
    const std::vector<std::string> built = detailLines();
    EXPECT_EQ(built, sortedLines(readFile(folder + "/VERIFICACION_ESPERADA.CSV")));
    ASSERT_EQ(built.size(), 4u);

    // The dry run plans and writes nothing; the repair sets right the edited voucher and
    // account, meets the refusal again and keeps the extra voucher until --delete-extra.
    const Finished planned = run({"--repair", "--dry-run"});
    EXPECT_EQ(planned.status, 1);
    EXPECT_TRUE(planned.outSays("Total: copiar 1, reemplazar 1, igualar 1, borrar 0")) << planned.out;
    EXPECT_EQ(detailLines(), built);
    EXPECT_FALSE(fs::exists(folder + "/informes") &&
                 std::any_of(fs::directory_iterator(folder + "/informes"), fs::directory_iterator(),
                             [](const auto& e) { return e.path().filename().string().starts_with("reparacion"); }));
    const Finished repaired = run({"--repair"});
    EXPECT_EQ(repaired.status, 1) << repaired.err;
    EXPECT_TRUE(repaired.outSays("Reparación: reparados 2, con error 1")) << repaired.out;
    const std::vector<std::string> left = sortedLines(readFile(folder + "/REPARACION_ESPERADA.CSV"));
    EXPECT_EQ(detailLines(), left);
    ASSERT_EQ(left.size(), 2u);
    const std::string reportLine = "Informe: ";
    const std::size_t at = repaired.out.find(reportLine);
    ASSERT_NE(at, std::string::npos) << repaired.out;
    const std::string page = test::fileBytes(
        repaired.out.substr(at + reportLine.size(), repaired.out.find('\n', at) - at - reportLine.size()));
    const std::string refusedRow = toUtf8(test::reportRow(page, "Comprobante NCO NV000016"));
    EXPECT_NE(refusedRow.find("copiar Con error"), std::string::npos) << refusedRow;
    EXPECT_NE(refusedRow.find("DECO_VALORES_NO_NEGATIVOS"), std::string::npos) << refusedRow;
    EXPECT_EQ(run({"--repair", "--delete-extra"}).status, 1);
    EXPECT_EQ(detailLines(), withKey(left, "Comprobante NCO NV000016"));
    // Once the destination takes it, nothing is left.
    test::execute(companyDatabaseLocation(folder + "/servidor", "001"),
                  {"alter table comprobante_detalle drop constraint DECO_VALORES_NO_NEGATIVOS"});
    EXPECT_EQ(run({"--repair"}).status, 0);
    EXPECT_TRUE(detailLines().empty());
    EXPECT_EQ(batch({"--repair", folder + "/servidor", "SYSDBA", "-", "999"}, demo).status, 2)
        << "a repair that cannot start has stopped";

    EXPECT_NE(test::runProgram(builtProgram("tools/kalvora-demo"), {dir.path()}).status, 0)
        << "a folder that is not a demo";
}

}  // namespace
}  // namespace kalvora
