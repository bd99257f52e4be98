#include "principalconta/transmission/run_steps.h"

#include "base/errors.h"
#include "base/picture.h"
#include "base/text.h"
#include "data/locations.h"
#include "data/sql_text.h"
#include "principalconta/componentes.h"
#include "principalconta/transmission/commands.h"
#include "principalconta/transmission/destination_as_source.h"
#include "settings/regional_formats.h"

namespace kalvora {

namespace {

std::string dateRangeRefusal()
{
    const std::string picture = regionalFormats().shortDate;
    return ansi("Las fechas Desde y Hasta deben ser días válidos entre el ") + formatDate({1, 1, 1}, picture) +
           " y el " + formatDate({9999, 12, 31}, picture) + ".";
}

}  // namespace

bool mayStart(Dialogs& dialogs, const std::string& companiaDestino, const Date& desde, const Date& hasta)
{
    if (companiaDestino.empty()) {
        dialogs.message(ansi("Debe indicar las compañías origen y destino."));
        return false;
    }
    // A day the database cannot hold would only fail later, in English, after connecting.
    if (!isStorableDate(desde) || !isStorableDate(hasta)) {
        dialogs.message(dateRangeRefusal());
        return false;
    }
    return true;
}

std::string readSetting(RowStore& store, const schema::Setting& setting)
{
    openDestination(store, "select CONF_VALOR from CONFIGURACION where CONF_MODULO = " + quoted(setting.modulo) +
                               " and CONF_CATEGORIA = " + quoted(setting.categoria) +
                               " and CONF_PROPIEDAD = " + quoted(setting.propiedad));
    std::string value = store.isEmpty() ? std::string() : store.field(0).asText();
    store.close();
    return value;
}

void readRunSettings(RunContext& run)
{
    Componentes& c = run.c;
    run.fecha_bloqueo = readSetting(c.CBorrar, schema::kFechaBloqueo);
    c.usuario_replica = readSetting(c.CBorrar, schema::kUsuarioReplica);
    c.clave_replica = readSetting(c.CBorrar, schema::kClaveReplica);
}

std::vector<std::string> targetPrefixes(RowStore& prefixes)
{
    std::vector<std::string> out;
    for (prefixes.first(); !prefixes.eof(); prefixes.next())
        out.push_back(prefixes.field("RPCD_PREF").asText());
    return out;
}

UnreachableSource currentSource(Componentes& c, std::string reason)
{
    return {c.Creplicac.field("RPCO_NOMBRE").asText(), c.Creplicac.field("RPCO_COD").asText(),
            c.Creplicac.field("RPCO_SERVIDOR").asText(), std::move(reason)};
}

std::string currentSourceLocation(Componentes& c)
{
    return companyDatabaseLocation(c.Creplicac.field("RPCO_SERVIDOR").asText(), c.Creplicac.field("RPCO_COD").asText());
}

// Disconnecting first commits what a run stopped earlier left in the source. An empty
// credential is left out of the parameters, not sent empty.
void connectSource(Componentes& c)
{
    c.DbCia.disconnect();
    const std::string location = currentSourceLocation(c);
    c.DbCia.setDatabase(location);
    c.DbCia.setParam("User_Name", c.usuario_replica);
    c.DbCia.setParam("password", c.clave_replica);
    bool itself = false;
    try {
        c.DbCia.connect();
        itself = sourceIsDestination(c);
    } catch (const DatabaseError& e) {
        throw SourceUnreachable(currentSource(c, refusalReason(e, location)));
    }
    if (itself) {
        c.DbCia.disconnect();
        throw SourceUnreachable(currentSource(
            c,
            ansi("es la base de datos de la compañía destino misma; no se lee, para no reescribir sus comprobantes")));
    }
}

ReadingScope::ReadingScope(Componentes& c, Progress& progress)
    : c_(c), progress_(progress), shownTarget_(c.Creplicac.active() ? c.Creplicac.recNo() : -1)
{
    progress_.show();
}

// Nothing was written, so nothing waits for the commit of the disconnection; the targets
// grid goes back to the row it showed.
ReadingScope::~ReadingScope()
{
    try {
        c_.DbCia.disconnect();
    } catch (const Error&) {
        // A connection already lost has nothing to give back.
    }
    if (shownTarget_ >= 0 && c_.Creplicac.active() && shownTarget_ < c_.Creplicac.recordCount())
        c_.Creplicac.moveTo(shownTarget_);
    progress_.hide();
}

}  // namespace kalvora
