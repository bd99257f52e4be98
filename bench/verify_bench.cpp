// Verifies a destination that holds a source company's N vouchers of L lines as a
// transmission leaves them, and reads both sides once through the bare client API (headers
// and lines of the range, one select each per side), so that the verification's figure
// stands next to the least any comparison has to read. Embedded engine.
//
//   verify_bench [--vouchers N] [--lines L] [--repeat R]
//
// Defaults: 30000 vouchers of 8 lines, best of 3 rounds.
#include "data/date_text.h"
#include "data/ddl.h"
#include "data/locations.h"
#include "data/schema.h"
#include "principalconta/componentes.h"
#include "principalconta/data_error_dialogs.h"
#include "principalconta/transmission/verify.h"
#include "settings/regional_formats.h"
#include "support/scratch.h"
#include "tools/bulk_rows.h"
#include "ui/scripted_dialogs.h"

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

using namespace kalvora;
using Clock = std::chrono::steady_clock;

namespace {

const Date kDay{2026, 12, 9};

Value money(std::int64_t cents) { return Scaled{cents * 100, -4}; }

fb::AttachParams fast()
{
    fb::AttachParams params = test::embeddedUser();
    params.forcedWrites = false;
    return params;
}

// The same vouchers in the source and, under keys of its own and with 0 at position 8, in
// the destination.
void fill(const std::string& source, const std::string& destination, int vouchers, int lines)
{
    tools::BulkRows from(source, fast());
    tools::BulkRows to(destination, fast());
    for (int v = 1; v <= vouchers; ++v) {
        char numero[8];
        std::snprintf(numero, sizeof numero, "%06d", v % 1000000);
        const std::string prefijo = "C" + std::to_string(v / 1000000);
        tools::Columns header{{"ENCO_CONSEC", v},
                              {"TICO_COD", "CEG"},
                              {"PRCO_PREF", prefijo},
                              {"ENCO_NUMERO", numero},
                              {"ENCO_FECHA", kDay},
                              {"ENCO_DESCRIPCION", "Pago a proveedor del comprobante " + std::string(numero)},
                              {"ENCO_TOTAL", Scaled{v * 1000LL, -2}},
                              {"ENCO_HORA", TimeOfDay{9, v / 60 % 60, v % 60, 0}},
                              {"ENCO_ESTADO", 1},
                              {"ENCO_REGISTRO", Timestamp{kDay, {9, 0, 0, 0}}},
                              {"ENCO_NOTAS", "Registrado por contabilidad"}};
        from.insert(schema::kComprobanteEncabezado, header);
        header[0].second = 100000 + v;
        header[8].second = 0;
        to.insert(schema::kComprobanteEncabezado, header);
        for (int l = 1; l <= lines; ++l) {
            tools::Columns line{{"ENCO_CONSEC", v},
                                {"DECO_ITEM", l},
                                {"CUEN_COD", l % 2 ? "220505" : "111005"},
                                {"TERC_NIT", "900123456"},
                                {"DECO_DESCRIPCION", "Linea " + std::to_string(l) + " del pago"},
                                {"DECO_DEBITO", money(l % 2 ? v * 10LL + l : 0)},
                                {"DECO_CREDITO", money(l % 2 ? 0 : v * 10LL + l)},
                                {"DECO_BASE", Scaled{v * 100LL, -2}},
                                {"DECO_FECHA", kDay}};
            from.insert(schema::kComprobanteDetalle, line);
            line[0].second = 100000 + v;
            to.insert(schema::kComprobanteDetalle, line);
        }
    }
    from.commit();
    to.commit();
}

// Headers and lines of the range, each side once, through the client API alone.
std::size_t readBothSides(const std::string& source, const std::string& destination)
{
    std::size_t rows = 0;
    for (const auto& location : {source, destination}) {
        auto attachment = fb::Attachment::attach(location, test::embeddedUser());
        {
            fb::Transaction tr(*attachment);
            for (const char* sql :
                 {"select * from comprobante_encabezado where enco_fecha >= '2026-12-09' and enco_fecha <= "
                  "'2026-12-09'",
                  "select d.* from comprobante_detalle d join comprobante_encabezado h on h.enco_consec = d.enco_consec"
                  " where h.enco_fecha >= '2026-12-09' and h.enco_fecha <= '2026-12-09' order by d.enco_consec"}) {
                fb::Statement statement(*attachment, tr, sql);
                rows += statement.fetchAll(tr).rows.size();
            }
            tr.commit();
        }
        attachment->detach();
    }
    return rows;
}

double seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

long peakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

int positive(const char* text)
{
    const int n = std::atoi(text);
    if (n <= 0) {
        std::fprintf(stderr, "verify_bench: %s is not a positive number\n", text);
        std::exit(64);
    }
    return n;
}

}  // namespace

int main(int argc, char** argv)
{
    const ScopedDateText dateText(regionalFormats);
    int vouchers = 30000;
    int lines = 8;
    int repeat = 3;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (i + 1 < argc && option == "--vouchers")
            vouchers = positive(argv[++i]);
        else if (i + 1 < argc && option == "--lines")
            lines = positive(argv[++i]);
        else if (i + 1 < argc && option == "--repeat")
            repeat = positive(argv[++i]);
        else {
            std::fprintf(stderr, "usage: verify_bench [--vouchers N] [--lines L] [--repeat R]\n");
            return 64;
        }
    }

    test::TempDir dir;
    const std::string source = companyDatabaseLocation(dir.path(), "ORI");
    const std::string destination = companyDatabaseLocation(dir.path(), "DES");
    ddl::createDatabase(source, fast(), ddl::companyDatabase());
    ddl::createDatabase(destination, fast(), ddl::companyDatabase());
    {
        tools::BulkRows rows(destination, fast());
        rows.insert(schema::kConfiguracion, {{"CONF_MODULO", schema::kUsuarioReplica.modulo},
                                             {"CONF_CATEGORIA", schema::kUsuarioReplica.categoria},
                                             {"CONF_PROPIEDAD", schema::kUsuarioReplica.propiedad},
                                             {"CONF_VALOR", "SYSDBA"}});
        rows.insert(schema::kReplicaConta,
                    {{"RPCO_ID", 1}, {"RPCO_NOMBRE", "Origen"}, {"RPCO_SERVIDOR", dir.path()}, {"RPCO_COD", "ORI"}});
        rows.commit();
    }
    const auto built = Clock::now();
    fill(source, destination, vouchers, lines);
    std::printf("engine                 embedded, no forced writes\n");
    std::printf("company                %d vouchers of %d lines (%d rows a side), built in %.1f s\n", vouchers, lines,
                vouchers * (1 + lines), seconds(built));

    double bestRead = 1e9;
    double bestVerify = 1e9;
    int differences = -1;
    for (int round = 0; round < repeat; ++round) {
        const auto read = Clock::now();
        const std::size_t rows = readBothSides(source, destination);
        bestRead = std::min(bestRead, seconds(read));
        if (rows != std::size_t(2 * vouchers * (1 + lines)))
            std::fprintf(stderr, "verify_bench: read %zu rows\n", rows);

        ScriptedDialogs dialogs;
        NoProgress progress;
        Componentes c;
        ConfigurarProviders(c, dialogs);
        c.DBEnvio.setParam("Database", destination);
        c.DBEnvio.setParam("User_Name", "SYSDBA");
        c.DBEnvio.setParam("password", "masterkey");
        c.DBEnvio.open();
        c.Creplicac.open();
        const auto verify = Clock::now();
        const VerifyReport report = verificar(c, dialogs, progress, "DES", kDay, kDay);
        bestVerify = std::min(bestVerify, seconds(verify));
        differences = report.differenceCount();
    }
    std::printf("read both sides once   %8.2f s   (client API, best of %d)\n", bestRead, repeat);
    std::printf("verify                 %8.2f s   (best of %d; %d differences)\n", bestVerify, repeat, differences);
    std::printf("verify / read          %8.2f\n", bestVerify / bestRead);
    std::printf("peak memory            %8ld MiB\n", peakMegabytes());
    return differences == 0 ? 0 : 1;
}
