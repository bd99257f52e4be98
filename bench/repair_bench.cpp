// Transmits a source company of N vouchers of L lines into an empty destination, then repairs
// a second empty destination from the same source after its entries were sent: the repair
// verifies (every voucher missing), copies each one through the transmission's copy, and
// verifies again. Prints both times and their ratio, best of R rounds, the two alternating
// which goes first; with the processor time of this process beside, which other work on a
// shared machine does not stretch (through the server most of the work is the server's).
//
//   repair_bench [--server | --forced-writes] [--vouchers N] [--lines L] [--repeat R]
//
// Defaults: 10000 vouchers of 8 lines, embedded without forced writes, best of 2 rounds.
// --server goes through the Firebird server on 127.0.0.1 as SYSDBA, whose databases have the
// server's forced writes.
#include "data/date_text.h"
#include "data/schema.h"
#include "principalconta/componentes.h"
#include "principalconta/data_error_dialogs.h"
#include "principalconta/transmission/repair.h"
#include "principalconta/transmission/transmission.h"
#include "settings/regional_formats.h"
#include "site.h"
#include "tools/bulk_rows.h"
#include "ui/scripted_dialogs.h"

#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

using namespace kalvora;
using bench::Site;
using Clock = std::chrono::steady_clock;

namespace {

const Date kDay{2026, 12, 9};

Value money(std::int64_t cents) { return Scaled{cents * 100, -4}; }

// The source's vouchers, each with its pending entry.
void fillSource(const Site& site, int vouchers, int lines)
{
    tools::BulkRows rows(site.filled("ORI"), site.credentials());
    for (int v = 1; v <= vouchers; ++v) {
        char numero[8];
        std::snprintf(numero, sizeof numero, "%06d", v % 1000000);
        rows.insert(schema::kComprobanteEncabezado, {{"ENCO_CONSEC", v},
                                                     {"TICO_COD", "CEG"},
                                                     {"PRCO_PREF", "CE"},
                                                     {"ENCO_NUMERO", numero},
                                                     {"ENCO_FECHA", kDay},
                                                     {"ENCO_DESCRIPCION", "Comprobante de egreso de prueba"},
                                                     {"ENCO_TOTAL", Scaled{v * 100'00LL, -2}},
                                                     {"ENCO_HORA", TimeOfDay{10, 0, 0, 0}},
                                                     {"ENCO_ESTADO", 1},
                                                     {"ENCO_NOTAS", "Notas del comprobante"}});
        for (int l = 1; l <= lines; ++l)
            rows.insert(schema::kComprobanteDetalle, {{"ENCO_CONSEC", v},
                                                      {"DECO_ITEM", l},
                                                      {"CUEN_COD", std::to_string(110505 + l)},
                                                      {"TERC_NIT", std::to_string(900000000 + l)},
                                                      {"DECO_DESCRIPCION", "Linea de prueba"},
                                                      {"DECO_DEBITO", money(l % 2 ? v * 100 : 0)},
                                                      {"DECO_CREDITO", money(l % 2 ? 0 : v * 100)},
                                                      {"DECO_FECHA", kDay}});
        rows.insert(schema::kAuditoria, {{"AUDI_ID", v},
                                         {"AUDI_USUARIO", "BENCH"},
                                         {"AUDI_FECHA", kDay},
                                         {"AUDI_HORA", TimeOfDay{8 + v / 3600 % 12, v / 60 % 60, v % 60, 0}},
                                         {"TIDO_COD", schema::kTidoComprobante},
                                         {"AUDI_IDDOC", v},
                                         {"AUDI_OPER", "M"},
                                         {"AUDI_COD", std::string("CE") + numero},
                                         {"AUDI_ENVIO", "N"},
                                         {"AUDI_TICO", "CEG"},
                                         {"AUDI_RAZON", "Creacion"}});
    }
    rows.commit();
}

// An empty destination company whose one target is the source.
void createDestination(const Site& site, const std::string& code)
{
    std::filesystem::remove(companyDatabaseLocation(site.root(), code));
    site.createCompany(code);
    tools::BulkRows rows(site.filled(code), site.credentials());
    rows.insert(schema::kConfiguracion, {{"CONF_MODULO", schema::kUsuarioReplica.modulo},
                                         {"CONF_CATEGORIA", schema::kUsuarioReplica.categoria},
                                         {"CONF_PROPIEDAD", schema::kUsuarioReplica.propiedad},
                                         {"CONF_VALOR", "SYSDBA"}});
    rows.insert(schema::kConfiguracion, {{"CONF_MODULO", schema::kClaveReplica.modulo},
                                         {"CONF_CATEGORIA", schema::kClaveReplica.categoria},
                                         {"CONF_PROPIEDAD", schema::kClaveReplica.propiedad},
                                         {"CONF_VALOR", site.password()}});
    rows.insert(schema::kReplicaConta,
                {{"RPCO_ID", 1}, {"RPCO_NOMBRE", "Origen"}, {"RPCO_SERVIDOR", site.entry()}, {"RPCO_COD", "ORI"}});
    rows.commit();
}

// The window's components signed in and connected to a destination company.
struct Connected {
    Connected(const Site& site, const std::string& code)
    {
        ConfigurarProviders(c, dialogs);
        c.DBEnvio.setParam("Database", site.company(code));
        c.DBEnvio.setParam("User_Name", "SYSDBA");
        c.DBEnvio.setParam("password", site.password());
        c.DBEnvio.open();
        c.Creplicac.open();
    }
    ScriptedDialogs dialogs;
    NoProgress progress;
    Componentes c;
};

// Wall clock and processor time of this process, the embedded engine's threads included.
struct Spent {
    double wall = 1e9;
    double cpu = 1e9;
};

double processorSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

template <class Work>
void timeBest(Spent& best, Work&& work)
{
    const auto start = Clock::now();
    const double cpu = processorSeconds();
    work();
    best.wall = std::min(best.wall, std::chrono::duration<double>(Clock::now() - start).count());
    best.cpu = std::min(best.cpu, processorSeconds() - cpu);
}

int positive(const char* text)
{
    const int n = std::atoi(text);
    if (n <= 0) {
        std::fprintf(stderr, "repair_bench: %s is not a positive number\n", text);
        std::exit(64);
    }
    return n;
}

}  // namespace

int main(int argc, char** argv)
{
    const ScopedDateText dateText(regionalFormats);
    bool server = false;
    bool forcedWrites = false;
    int vouchers = 10000;
    int lines = 8;
    int repeat = 2;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--server")
            server = true;
        else if (option == "--forced-writes")
            forcedWrites = true;
        else if (i + 1 < argc && option == "--vouchers")
            vouchers = positive(argv[++i]);
        else if (i + 1 < argc && option == "--lines")
            lines = positive(argv[++i]);
        else if (i + 1 < argc && option == "--repeat")
            repeat = positive(argv[++i]);
        else {
            std::fprintf(stderr,
                         "usage: repair_bench [--server | --forced-writes] [--vouchers N] [--lines L] [--repeat R]\n");
            return 64;
        }
    }
    if (server && forcedWrites) {
        std::fprintf(stderr, "repair_bench: the server makes its databases with its own forced writes\n");
        return 64;
    }
    try {
        const Site site(server, forcedWrites, nullptr);
        const std::string registry = site.root() + "/kalvora.reg";
        std::ofstream(registry, std::ios::binary) << "Windows Registry Editor Version 5.00\r\n\r\n"
                                                  << "[HKEY_LOCAL_MACHINE\\Software\\Quenti\\Kalvora2015]\r\n"
                                                  << "\"Directorio\"=\"" << site.root() << "\"\r\n";
        setenv("KALVORA_REGISTRY", registry.c_str(), 1);
        site.createCompany("ORI");
        fillSource(site, vouchers, lines);

        Spent transmission;
        Spent repair;
        int repaired = 0;
        int left = -1;
        const auto transmit = [&] {
            Connected run(site, "TRA");
            timeBest(transmission, [&] {
                const TransmissionSummary summary =
                    SpeedButton1Click(run.c, run.dialogs, run.progress, "TRA", kDay, kDay);
                if (summary.transmitted != vouchers)
                    throw std::runtime_error("the transmission sent " + std::to_string(summary.transmitted));
            });
        };
        const auto repairAll = [&] {
            Connected run(site, "REP");
            timeBest(repair, [&] {
                const RepairOutcome outcome =
                    reparar(run.c, run.dialogs, run.progress, "REP", kDay, kDay, false, false);
                repaired = outcome.counts.repaired;
                left = outcome.after.differenceCount();
            });
        };
        for (int round = 0; round < repeat; ++round) {
            {
                tools::BulkRows pending(site.filled("ORI"), site.credentials());
                pending.execute("update auditoria set audi_envio = 'N'");
                pending.commit();
            }
            createDestination(site, "TRA");
            createDestination(site, "REP");
            if (round % 2 == 0) {
                transmit();
                repairAll();
            } else {
                repairAll();
                transmit();
            }
        }
        std::printf("engine                 %s\n", server         ? "server on 127.0.0.1"
                                                   : forcedWrites ? "embedded, forced writes"
                                                                  : "embedded, no forced writes");
        std::printf("vouchers               %d of %d lines (%d destination rows)\n", vouchers, lines,
                    vouchers * (1 + lines));
        std::printf("transmission           %8.2f s   processor %8.2f s   (best of %d)\n", transmission.wall,
                    transmission.cpu, repeat);
        std::printf("repair                 %8.2f s   processor %8.2f s   (%d repaired, %d differences left)\n",
                    repair.wall, repair.cpu, repaired, left);
        std::printf("repair / transmission  %8.2f     processor %8.2f\n", repair.wall / transmission.wall,
                    repair.cpu / transmission.cpu);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "repair_bench: %s\n", e.what());
        return 1;
    }
    return 0;
}
