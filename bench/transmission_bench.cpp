// Transmits a source company of N vouchers with L lines each, plus accounts and third
// parties, into an empty destination through the core, as "Enviar" does. Then writes the
// same destination rows through the bare client API twice: one transaction per row (the
// floor of any design that commits every row, as the run must) and one transaction for all
// rows (the engine's limit). Prints rates, peak memory and the ratios of the run to both.
// The databases are made and filled by a child process, so that the peak memory of the run
// is the run's own.
//
//   transmission_bench [--server | --forced-writes | --delay-ms D] [--vouchers N] [--lines L]
//                      [--accounts A] [--third-parties T] [--missing M]
//
// --server goes through the Firebird server on 127.0.0.1 as SYSDBA; otherwise everything is
// opened with the embedded engine, on databases made without forced writes (a commit does
// not wait for the disk) unless --forced-writes makes them as Firebird does by default.
// --delay-ms goes through the server too, behind a relay that delays each direction by D ms
// and counts round trips, printed per entry kind for the run and for the bare writes.
// --missing adds M pending voucher entries whose voucher the source no longer has: each costs
// the run a read and its sent flag, so they show what a backlog costs in memory.
#include "ctrlaccesoconta/sign_in.h"
#include "data/date_text.h"
#include "data/ddl.h"
#include "data/locations.h"
#include "data/schema.h"
#include "principalconta/componentes.h"
#include "principalconta/data_error_dialogs.h"
#include "principalconta/destination_company.h"
#include "principalconta/transmission/transmission.h"
#include "settings/clock.h"
#include "settings/regional_formats.h"
#include "site.h"
#include "support/relay.h"
#include "tools/bulk_rows.h"
#include "ui/scripted_dialogs.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <string>

using namespace kalvora;
using bench::Site;
using Clock = std::chrono::steady_clock;

namespace {

struct Sizes {
    int vouchers = 0;
    int lines = 8;
    int accounts = 0;
    int thirdParties = 0;
    int missing = 0;
    int entries() const { return vouchers + accounts + thirdParties + missing; }
    int rows() const { return vouchers * (1 + lines) + accounts + thirdParties; }
};

Value money(std::int64_t cents) { return Scaled{cents * 100, -4}; }

// The source company: N vouchers of L lines, A accounts, T third parties, one pending entry each.
void fillSource(const Site& site, const std::string& location, const Sizes& sizes, const Date& today)
{
    tools::BulkRows rows(location, site.credentials());
    int audiId = 0;
    const auto audit = [&](int tido, int iddoc, const std::string& cod, const std::string& tico) {
        ++audiId;
        rows.insert(schema::kAuditoria,
                    {{"AUDI_ID", audiId},
                     {"AUDI_USUARIO", "BENCH"},
                     {"AUDI_FECHA", today},
                     {"AUDI_HORA", TimeOfDay{8 + audiId / 3600 % 12, audiId / 60 % 60, audiId % 60, 0}},
                     {"TIDO_COD", tido},
                     {"AUDI_IDDOC", iddoc},
                     {"AUDI_OPER", "M"},
                     {"AUDI_COD", cod},
                     {"AUDI_ENVIO", "N"},
                     {"AUDI_TICO", tico},
                     {"AUDI_RAZON", "Creacion"}});
    };
    for (int a = 0; a < sizes.accounts; ++a) {
        const std::string cod = std::to_string(110505 + a);
        rows.insert(schema::kCuentas, {{"CUEN_COD", cod},
                                       {"CUEN_NOMBRE", "Cuenta auxiliar " + cod},
                                       {"CUEN_NATURALEZA", "D"},
                                       {"CUEN_NIVEL", 4},
                                       {"CUEN_SALDO", money(a * 1000)},
                                       {"CUEN_TASA", Scaled{0, -2}},
                                       {"CUEN_CREADA", Date{2015, 1, 2}},
                                       {"CUEN_NOTAS", "Plan de cuentas"}});
        audit(schema::kTidoCuenta, 0, cod, "");
    }
    for (int t = 0; t < sizes.thirdParties; ++t) {
        const std::string nit = std::to_string(900000000 + t);
        rows.insert(schema::kTerceros, {{"TERC_NIT", nit},
                                        {"TERC_NOMBRE", "Tercero de prueba " + nit},
                                        {"TERC_TIPO", "PJ"},
                                        {"TERC_TELEFONO", "(601) 555 0100"},
                                        {"TERC_CUPO", money(5'000'000'00)},
                                        {"TERC_DESCUENTO", Scaled{250, -2}},
                                        {"TERC_NACIMIENTO", Value()},
                                        {"TERC_HORA_CONTACTO", TimeOfDay{9, 0, 0, 0}},
                                        {"TERC_REGISTRO", Timestamp{{2019, 3, 1}, {8, 30, 0, 0}}},
                                        {"TERC_FOTO", Value()},
                                        {"TERC_ACTIVO", 1}});
        audit(schema::kTidoTercero, 0, nit, "");
    }
    for (int m = 1; m <= sizes.missing; ++m)
        audit(schema::kTidoComprobante, 1'000'000'000 + m, "FV" + std::to_string(m), "FAV");
    for (int v = 1; v <= sizes.vouchers; ++v) {
        char numero[12];
        std::snprintf(numero, sizeof numero, "%06d", v);
        rows.insert(schema::kComprobanteEncabezado, {{"ENCO_CONSEC", v},
                                                     {"TICO_COD", "CEG"},
                                                     {"PRCO_PREF", "CE"},
                                                     {"ENCO_NUMERO", numero},
                                                     {"ENCO_FECHA", today},
                                                     {"ENCO_DESCRIPCION", "Comprobante de egreso de prueba"},
                                                     {"ENCO_TOTAL", Scaled{v * 100'00LL, -2}},
                                                     {"ENCO_HORA", TimeOfDay{10, 0, 0, 0}},
                                                     {"ENCO_ESTADO", 1},
                                                     {"ENCO_REGISTRO", Timestamp{today, {10, 0, 0, 0}}},
                                                     {"ENCO_NOTAS", "Notas del comprobante"}});
        for (int l = 1; l <= sizes.lines; ++l)
            rows.insert(schema::kComprobanteDetalle, {{"ENCO_CONSEC", v},
                                                      {"DECO_ITEM", l},
                                                      {"CUEN_COD", std::to_string(110505 + l)},
                                                      {"TERC_NIT", std::to_string(900000000 + l)},
                                                      {"DECO_DESCRIPCION", "Linea de prueba"},
                                                      {"DECO_DEBITO", money(l % 2 ? v * 100 : 0)},
                                                      {"DECO_CREDITO", money(l % 2 ? 0 : v * 100)},
                                                      {"DECO_BASE", Scaled{0, -2}},
                                                      {"DECO_FECHA", today}});
        audit(schema::kTidoComprobante, v, std::string("CE") + numero, "CEG");
    }
    rows.commit();
}

void fillDestination(const Site& site, const std::string& location, const std::string& source)
{
    tools::BulkRows rows(location, site.credentials());
    const auto setting = [&](const schema::Setting& s, const std::string& value) {
        rows.insert(schema::kConfiguracion, {{"CONF_MODULO", s.modulo},
                                             {"CONF_CATEGORIA", s.categoria},
                                             {"CONF_PROPIEDAD", s.propiedad},
                                             {"CONF_VALOR", value}});
    };
    setting(schema::kUsuarioReplica, "SYSDBA");
    setting(schema::kClaveReplica, site.password());
    rows.insert(schema::kReplicaConta,
                {{"RPCO_ID", 1}, {"RPCO_NOMBRE", "Origen"}, {"RPCO_SERVIDOR", site.entry()}, {"RPCO_COD", source}});
    rows.commit();
}

std::string insertText(const std::string& table, std::size_t columns)
{
    std::string marks;
    for (std::size_t i = 0; i < columns; ++i)
        marks += i ? ", ?" : "?";
    return "insert into " + table + " values (" + marks + ")";
}

// Writes the rows the run writes, as the destination gets them (each header under a new key
// with a 0 in position 8, its lines under that key), through prepared inserts in
// read-committed transactions as the destination connection runs them: one transaction per
// row, or one for all. The source is read in chunks of vouchers so that the bench holds
// little; only the writes are timed.
struct BareWrites {
    double seconds = 0;
    std::map<std::string, std::uint64_t> roundTrips;  // by table
    std::map<std::string, double> tableSeconds;
};

BareWrites writeBare(const Site& site, const std::string& location, const std::string& source, const Sizes& sizes,
                     bool transactionPerRow, const test::Relay* relay)
{
    BareWrites out;
    constexpr int kChunk = 500;
    constexpr std::int64_t kKeyOffset = 100000;
    auto reader = fb::Attachment::attach(source, site.credentials());
    fb::Transaction readTr(*reader);
    auto writer = fb::Attachment::attach(location, site.credentials());
    fb::TransactionOptions options;
    options.isolation = fb::TransactionOptions::Isolation::ReadCommitted;
    std::unique_ptr<fb::Transaction> whole;
    if (!transactionPerRow)
        whole = std::make_unique<fb::Transaction>(*writer, options);
    std::map<std::string, std::unique_ptr<fb::Statement>> inserts;
    Clock::duration spent{};

    const auto copy = [&](const std::string& table, const std::string& select) {
        fb::Rows rows;
        {
            fb::Statement statement(*reader, readTr, select);
            rows = statement.fetchAll(readTr);
        }
        for (auto& row : rows.rows) {
            if (table == schema::kComprobanteEncabezado || table == schema::kComprobanteDetalle)
                row[schema::kPosConsec] = Value(row[schema::kPosConsec].asInteger() + kKeyOffset);
            if (table == schema::kComprobanteEncabezado)
                row[schema::kPosCero] = Value(0);
        }
        const auto start = Clock::now();
        const std::uint64_t trips = relay ? relay->roundTrips() : 0;
        auto& insert = inserts[table];
        for (const auto& row : rows.rows) {
            if (transactionPerRow) {
                fb::Transaction tr(*writer, options);
                if (!insert)
                    insert = std::make_unique<fb::Statement>(*writer, tr, insertText(table, row.size()));
                insert->execute(tr, row);
                tr.commit();
            } else {
                if (!insert)
                    insert = std::make_unique<fb::Statement>(*writer, *whole, insertText(table, row.size()));
                insert->execute(*whole, row);
            }
        }
        spent += Clock::now() - start;
        out.tableSeconds[table] += std::chrono::duration<double>(Clock::now() - start).count();
        out.roundTrips[table] += (relay ? relay->roundTrips() : 0) - trips;
    };

    copy(schema::kCuentas, "select * from cuentas");
    copy(schema::kTerceros, "select * from terceros");
    for (int first = 1; first <= sizes.vouchers; first += kChunk) {
        const std::string range = " between " + std::to_string(first) + " and " + std::to_string(first + kChunk - 1);
        copy(schema::kComprobanteEncabezado, "select * from comprobante_encabezado where enco_consec" + range);
        copy(schema::kComprobanteDetalle,
             "select * from comprobante_detalle where enco_consec" + range + " order by enco_consec, deco_item");
    }
    if (whole) {
        const auto start = Clock::now();
        whole->commit();
        spent += Clock::now() - start;
    }
    inserts.clear();
    readTr.commit();
    writer->detach();
    reader->detach();
    out.seconds = std::chrono::duration<double>(spent).count();
    return out;
}

// Reads the relay's count and the clock as the run takes up the first entry of each kind,
// so that each entry's round trips (its replication, its sent flag, the next entry's journal
// line) are known by its kind. Only those steps are kept: a backlog costs the bench nothing.
class CountingProgress : public NoProgress {
public:
    struct Mark {
        std::uint64_t roundTrips;
        Clock::time_point time;
    };

    CountingProgress(const test::Relay* relay, std::set<int> kept) : relay_(relay), kept_(std::move(kept)) {}
    void step() override { mark(); }
    // Called once more after the run, as if for one entry after the last.
    void mark()
    {
        if (kept_.contains(steps_))
            marks[steps_] = {relay_ ? relay_->roundTrips() : 0, Clock::now()};
        ++steps_;
    }
    std::map<int, Mark> marks;  // by step, from 0

private:
    const test::Relay* relay_;
    std::set<int> kept_;
    int steps_ = 0;
};

// Runs work in a child process and waits for it: the memory it takes is not this process's.
void inChildProcess(const std::function<void()>& work)
{
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid < 0)
        throw std::runtime_error("cannot start a child process");
    if (pid == 0) {
        int status = 0;
        try {
            work();
        } catch (const std::exception& e) {
            std::fprintf(stderr, "transmission_bench: %s\n", e.what());
            status = 1;
        }
        std::fflush(nullptr);
        _exit(status);
    }
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("the child process that fills the databases failed");
}

long peakKilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

int positive(const char* text)
{
    const int n = std::atoi(text);
    if (n <= 0) {
        std::fprintf(stderr, "not a positive number: %s\n", text);
        std::exit(64);
    }
    return n;
}

}  // namespace

int main(int argc, char** argv)
{
    bool server = false;
    bool forcedWrites = false;
    int delayMs = -1;
    for (int i = 1; i < argc; ++i) {
        server = server || std::string(argv[i]) == "--server";
        forcedWrites = forcedWrites || std::string(argv[i]) == "--forced-writes";
        if (std::string(argv[i]) == "--delay-ms" && i + 1 < argc)
            delayMs = std::atoi(argv[i + 1]);
    }
    const bool relayed = delayMs >= 0;
    // About a minute of run on the machine described in docs/PERFORMANCE.md: the server costs
    // a round trip per call, a forced write waits for the disk at every commit, and at a
    // distance every round trip costs twice the delay.
    Sizes sizes = relayed        ? Sizes{20, 8, 20, 20}
                  : server       ? Sizes{1200, 8, 30, 30}
                  : forcedWrites ? Sizes{6000, 8, 100, 100}
                                 : Sizes{30000, 8, 500, 500};
    const auto usage = [] {
        std::fprintf(stderr, "usage: transmission_bench [--server | --forced-writes | --delay-ms D] [--vouchers N]"
                             " [--lines L] [--accounts A] [--third-parties T] [--missing M]\n");
        return 64;
    };
    if (int(server) + int(forcedWrites) + int(relayed) > 1)
        return usage();  // the server makes its databases with its own forced writes
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--server" || option == "--forced-writes")
            continue;
        if (i + 1 < argc && option == "--delay-ms")
            ++i;
        else if (i + 1 < argc && option == "--vouchers")
            sizes.vouchers = positive(argv[++i]);
        else if (i + 1 < argc && option == "--lines")
            sizes.lines = positive(argv[++i]);
        else if (i + 1 < argc && option == "--accounts")
            sizes.accounts = positive(argv[++i]);
        else if (i + 1 < argc && option == "--third-parties")
            sizes.thirdParties = positive(argv[++i]);
        else if (i + 1 < argc && option == "--missing")
            sizes.missing = positive(argv[++i]);
        else
            return usage();
    }

    const ScopedDateText dateText(regionalFormats);
    try {
        std::unique_ptr<test::Relay> relay;
        if (relayed)
            relay = std::make_unique<test::Relay>(delayMs);
        const Site site(server || relayed, forcedWrites, relay.get());
        const Date today = now().date;
        const std::string registry = site.root() + "/kalvora.reg";
        std::ofstream(registry, std::ios::binary) << "Windows Registry Editor Version 5.00\r\n\r\n"
                                                  << "[HKEY_LOCAL_MACHINE\\Software\\Quenti\\Kalvora2015]\r\n"
                                                  << "\"Directorio\"=\"" << site.root() << "\"\r\n";
        setenv("KALVORA_REGISTRY", registry.c_str(), 1);

        const std::string source = site.filled("ORI");
        inChildProcess([&] {
            site.createGeneral();
            for (const char* code : {"ORI", "DES", "PIS", "LIM"})
                site.createCompany(code);
            fillSource(site, source, sizes, today);
            fillDestination(site, site.filled("DES"), "ORI");
        });

        // The run, from "Enviar" to the commit of the sent flags.
        ScriptedDialogs dialogs;
        // Entries are taken up in the order they were written: accounts, third parties,
        // missing vouchers, vouchers.
        const int firstThirdParty = sizes.accounts;
        const int firstVoucher = sizes.accounts + sizes.thirdParties + sizes.missing;
        CountingProgress progress(
            relay.get(), {0, firstThirdParty, firstThirdParty + sizes.thirdParties, firstVoucher, sizes.entries()});
        double runSeconds = 0;
        TransmissionSummary summary;
        std::uint64_t runTrips = 0;
        {
            Componentes c;
            ConfigurarProviders(c, dialogs);
            SignIn(c).attempt({site.entry(), "SYSDBA", site.password()});
            DestinationCompany(c).AdvGlowButton2Click("DES");
            const std::uint64_t before = relay ? relay->roundTrips() : 0;
            const auto start = Clock::now();
            summary = SpeedButton1Click(c, dialogs, progress, "DES", today, today);
            c.DbCia.disconnect();
            runSeconds = std::chrono::duration<double>(Clock::now() - start).count();
            progress.mark();
            runTrips = (relay ? relay->roundTrips() : 0) - before;
        }
        const long runPeak = peakKilobytes();
        if (summary.transmitted != sizes.entries() || summary.failed != 0)
            throw std::runtime_error("the run did not transmit every entry: " + std::to_string(summary.transmitted) +
                                     " sent, " + std::to_string(summary.failed) + " failed");

        const BareWrites floor = writeBare(site, site.company("PIS"), source, sizes, true, relay.get());
        const BareWrites limit = writeBare(site, site.company("LIM"), source, sizes, false, relay.get());

        std::printf("engine                       %s\n", relayed        ? "server on 127.0.0.1, through the relay"
                                                         : server       ? "server on 127.0.0.1"
                                                         : forcedWrites ? "embedded, forced writes"
                                                                        : "embedded, no forced writes");
        if (relayed)
            std::printf("delay each way               %d ms\n", delayMs);
        std::printf("entries                      %d (%d vouchers of %d lines, %d accounts, %d third parties, "
                    "%d without source)\n",
                    sizes.entries(), sizes.vouchers, sizes.lines, sizes.accounts, sizes.thirdParties, sizes.missing);
        std::printf("destination rows             %d\n", sizes.rows());
        std::printf("other boxes than completion  %zu\n", dialogs.events().size() - 1);
        std::printf("run                          %8.2f s  %8.1f entries/s  %8.1f rows/s\n", runSeconds,
                    sizes.entries() / runSeconds, sizes.rows() / runSeconds);
        std::printf("floor (1 transaction/row)    %8.2f s  %8s            %8.1f rows/s\n", floor.seconds, "",
                    sizes.rows() / floor.seconds);
        std::printf("limit (1 transaction)        %8.2f s  %8s            %8.1f rows/s\n", limit.seconds, "",
                    sizes.rows() / limit.seconds);
        std::printf("run / floor                  %8.2f\n", runSeconds / floor.seconds);
        std::printf("run / limit                  %8.2f\n", runSeconds / limit.seconds);
        if (relay) {
            // Each entry's trips run from its step to the next.
            const auto& m = progress.marks;
            struct Kind {
                const char* name;
                int first;
                int count;
                std::vector<std::string> tables;  // what the floor writes for these entries
            };
            const Kind kinds[] = {
                {"voucher",
                 firstVoucher,
                 sizes.vouchers,
                 {schema::kComprobanteEncabezado, schema::kComprobanteDetalle}},
                {"account", 0, sizes.accounts, {schema::kCuentas}},
                {"third party", firstThirdParty, sizes.thirdParties, {schema::kTerceros}},
            };
            std::printf("round trips in the run       %llu (%.2f per entry)\n", (unsigned long long)runTrips,
                        double(runTrips) / sizes.entries());
            for (const Kind& k : kinds) {
                if (k.count == 0)
                    continue;
                const auto& first = m.at(k.first);
                const auto& end = m.at(k.first + k.count);
                const double trips = double(end.roundTrips - first.roundTrips) / k.count;
                const double seconds = std::chrono::duration<double>(end.time - first.time).count();
                double floorTrips = 0;
                double floorSeconds = 0;
                for (std::size_t i = 0; i < k.tables.size(); ++i) {
                    floorTrips += double(floor.roundTrips.at(k.tables[i])) / k.count;
                    floorSeconds += floor.tableSeconds.at(k.tables[i]);
                }
                std::printf("%-12s round trips  run %6.2f  floor %6.2f   entries/s  run %7.2f  floor %7.2f\n", k.name,
                            trips, floorTrips, k.count / seconds, k.count / floorSeconds);
            }
        }
        std::printf("peak memory of the run       %8.1f MiB\n", runPeak / 1024.0);
        std::printf("peak memory overall          %8.1f MiB\n", peakKilobytes() / 1024.0);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "transmission_bench: %s\n", e.what());
        return 1;
    }
    return 0;
}
