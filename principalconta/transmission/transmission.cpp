#include "principalconta/transmission/transmission.h"

#include "data/locations.h"
#include "data/schema.h"
#include "principalconta/componentes.h"
#include "principalconta/transmission/commands.h"
#include "principalconta/transmission/journals.h"
#include "principalconta/transmission/master_data_replication.h"
#include "principalconta/transmission/run_context.h"
#include "principalconta/transmission/run_guard.h"
#include "principalconta/transmission/selection.h"
#include "principalconta/transmission/sql_text.h"
#include "principalconta/transmission/voucher_replication.h"
#include "settings/picture.h"
#include "settings/regional_formats.h"
#include "ui/errors.h"
#include "ui/text.h"

#include <cstdint>
#include <vector>

namespace kalvora {

namespace {

std::string dateRangeRefusal()
{
    const std::string picture = regionalFormats().shortDate;
    return ansi("Las fechas Desde y Hasta deben ser días válidos entre el ") + formatDate({1, 1, 1}, picture) +
           " y el " + formatDate({9999, 12, 31}, picture) + ".";
}

std::string alreadyRunning(const std::string& companiaDestino)
{
    return ansi("Ya hay una transmisión en curso hacia la compañía ") + companiaDestino +
           ansi(". Espere a que termine y vuelva a enviar.");
}

// CONF_VALOR of one CONFIGURACION row; "" when there is none.
std::string readSetting(RowStore& store, const schema::Setting& setting)
{
    openDestination(store, "select CONF_VALOR from CONFIGURACION where CONF_MODULO = " + quoted(setting.modulo) +
                               " and CONF_CATEGORIA = " + quoted(setting.categoria) +
                               " and CONF_PROPIEDAD = " + quoted(setting.propiedad));
    std::string value = store.isEmpty() ? std::string() : store.field(0).asText();
    store.close();
    return value;
}

std::vector<std::string> targetPrefixes(RowStore& prefixes)
{
    std::vector<std::string> out;
    for (prefixes.first(); !prefixes.eof(); prefixes.next())
        out.push_back(prefixes.field("RPCD_PREF").asText());
    return out;
}

// Disconnecting first commits what a run stopped earlier left in the source. An empty
// credential is left out of the parameters, not sent empty.
void connectSource(Componentes& c)
{
    c.DbCia.disconnect();
    c.DbCia.setDatabase(companyDatabaseLocation(c.Creplicac.field("RPCO_SERVIDOR").asText(),
                                                c.Creplicac.field("RPCO_COD").asText()));
    c.DbCia.setParam("User_Name", c.usuario_replica);
    c.DbCia.setParam("password", c.clave_replica);
    c.DbCia.connect();
}

void dispatch(RunContext& run)
{
    const Query& entry = run.c.QAuditor;
    switch (entry.field("TIDO_COD").asInteger()) {
    case schema::kTidoComprobante:
        if (entry.field("AUDI_OPER").asText() == schema::kOperBorrado)
            borrar_comprobante(run);
        else
            replicar_comprobante(run);
        break;
    case schema::kTidoCuenta:
        replicar_cuenta(run);
        break;
    case schema::kTidoTercero:
        replicar_tercero(run);
        break;
    default:
        break;
    }
}

// "Error transmitiendo CEG CE000123" for a voucher, "Error transmitiendo 110505" otherwise.
std::string failureText(const Query& entry)
{
    std::string text = "Error transmitiendo ";
    if (entry.field("TIDO_COD").asInteger() == schema::kTidoComprobante)
        text += entry.field("AUDI_TICO").asText() + " ";
    return text + entry.field("AUDI_COD").asText();
}

// The flags stay in Trcia until the target is left, so sending them in groups before that
// stores the same as sending each at once, with a round trip per group instead of per entry.
class SentFlags {
public:
    explicit SentFlags(Query& query) : query_(query) {}

    void add(std::int64_t audiId)
    {
        ids_.push_back(audiId);
        if (ids_.size() == kGroup)
            send();
    }

    void send()
    {
        if (ids_.empty())
            return;
        std::string condition = ids_.size() == 1 ? " = " + std::to_string(ids_.front()) : " in (";
        for (std::size_t i = 0; ids_.size() > 1 && i < ids_.size(); ++i)
            condition += std::to_string(ids_[i]) + (i + 1 < ids_.size() ? ", " : ")");
        ids_.clear();
        query_.close();
        query_.clearSql();
        query_.addSql("UPDATE AUDITORIA SET AUDI_ENVIO = 'S' where AUDI_ID" + condition);
        query_.execSql();
    }

private:
    static constexpr std::size_t kGroup = 100;
    Query& query_;
    std::vector<std::int64_t> ids_;
};

// The whole count first, in the same transaction, so that the bar knows its maximum; the
// entries themselves are then read as the run goes, never held all at once.
int pendingCount(Query& query, const std::string& selection)
{
    openSource(query, "select count(*) from (" + selection + ")");
    const int count = int(query.field(0).asInteger());
    query.close();
    return count;
}

void transmitEntries(RunContext& run, Progress& progress, SentFlags& sent, TransmissionSummary& summary)
{
    Componentes& c = run.c;
    while (!c.QAuditor.eof()) {
        const Query& entry = c.QAuditor;
        archivo_auditoria(run.dialogs, entry.field("AUDI_ID").asText(), entry.field("TIDO_COD").asText(),
                          entry.field("AUDI_COD").asText());
        run.entryFailed = false;
        progress.step();
        dispatch(run);
        if (run.entryFailed) {
            ++summary.failed;
            const std::string text = failureText(entry);
            archivo_errores(run.dialogs, c.usuario_replica, text);
            if (!run.dialogs.ask(text + ". Continuar?"))
                c.QAuditor.last();
        } else {
            sent.add(entry.field("AUDI_ID").asInteger());
            ++summary.transmitted;
        }
        c.QAuditor.next();
    }
}

// Leaving a target commits its sent flags. When that fails they are lost, so the run stops:
// its entries stay pending for the next run and are not reported as sent.
void commitSentFlags(RunContext& run)
{
    Componentes& c = run.c;
    const std::string company =
        c.Creplicac.field("RPCO_NOMBRE").asText() + " (" + c.Creplicac.field("RPCO_COD").asText() + ")";
    try {
        c.DbCia.commitAndDisconnect();
    } catch (const DatabaseError& e) {
        run.dialogs.message(ansi("No se pudo guardar en la compañía de origen ") + company +
                            ansi(" cuáles entradas quedaron enviadas: ") + e.what() +
                            ansi(". Esas entradas siguen pendientes y se enviarán en la próxima transmisión."));
        throw SilentAbort();
    }
}

void transmitTarget(RunContext& run, Progress& progress, const Date& desde, const Date& hasta,
                    TransmissionSummary& summary)
{
    Componentes& c = run.c;
    connectSource(c);
    progress.setCaption(ansi("Transmitiendo información de ") + c.Creplicac.field("RPCO_NOMBRE").asText());

    const std::string selection = selectionText(desde, hasta, targetPrefixes(c.CReplicadet));
    progress.reset(pendingCount(c.QCopia, selection));
    c.QAuditor.close();
    c.QAuditor.clearSql();
    c.QAuditor.addSql(selection);
    c.QAuditor.openForward();

    SentFlags sent(c.QCopia);
    try {
        transmitEntries(run, progress, sent, summary);
        sent.send();
    } catch (...) {
        // A run that stops keeps the flags of the entries it finished, as it did when each
        // was sent at once; if the source is gone, they go with its transaction anyway.
        try {
            sent.send();
        } catch (const Error&) {
        }
        throw;
    }
    c.QAuditor.close();
    commitSentFlags(run);
}

}  // namespace

TransmissionSummary SpeedButton1Click(Componentes& c, Dialogs& dialogs, Progress& progress,
                                      const std::string& companiaDestino, const Date& desde, const Date& hasta)
{
    TransmissionSummary summary;
    if (companiaDestino.empty()) {
        dialogs.message(ansi("Debe indicar las compañías origen y destino."));
        return summary;
    }
    // A day the database cannot hold would only fail later, in English, after connecting.
    if (!isStorableDate(desde) || !isStorableDate(hasta)) {
        dialogs.message(dateRangeRefusal());
        return summary;
    }
    {
        // Released before the closing message, which may wait long for a user.
        const RunGuard guard(c.DBEnvio);
        if (!guard.held()) {
            dialogs.message(alreadyRunning(companiaDestino));
            return summary;
        }
        progress.show();
        const HeldReads reads(c.DBEnvio);

        RunContext run{c, dialogs};
        run.fecha_bloqueo = readSetting(c.CBorrar, schema::kFechaBloqueo);
        c.usuario_replica = readSetting(c.CBorrar, schema::kUsuarioReplica);
        c.clave_replica = readSetting(c.CBorrar, schema::kClaveReplica);

        for (c.Creplicac.first(); !c.Creplicac.eof(); c.Creplicac.next()) {
            transmitTarget(run, progress, desde, hasta, summary);
            ++summary.targets;
        }
    }

    progress.hide();
    dialogs.message(ansi("Proceso de envio de información concluído."));
    summary.concluded = true;
    return summary;
}

}  // namespace kalvora
