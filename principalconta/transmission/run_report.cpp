#include "principalconta/transmission/run_report.h"

#include "base/markup.h"
#include "base/text.h"
#include "principalconta/transmission/engine_error_reason.h"

namespace kalvora {

namespace {

std::string countsText(const RunCounts& n)
{
    return "entradas tomadas " + std::to_string(n.taken) + ", enviadas " + std::to_string(n.sent) + ", con error " +
           std::to_string(n.failed) + ", omitidas por la fecha de bloqueo " + std::to_string(n.skipped);
}

// The totals travel in a comment at the page's end, where the list of reports reads them.
std::string totalsComment(const RunCounts& n, bool stopped)
{
    return "<!-- kalvora-totales " + std::to_string(n.taken) + " " + std::to_string(n.sent) + " " +
           std::to_string(n.failed) + " " + std::to_string(n.skipped) + (stopped ? " detenida" : " completa") +
           " -->\n";
}

}  // namespace

RunReport::RunReport(const std::string& directory, const std::string& usuario, const std::string& companiaDestino,
                     const Date& desde, const Date& hasta)
    : page_(openReportPage(directory, "envio", ansi("Informe de envío de información"),
                           {usuario, companiaDestino, desde, hasta}))
{
}

RunReport::~RunReport() = default;

const std::string& RunReport::path() const { return page_->path(); }

void RunReport::replicationUser(const std::string& usuario)
{
    page_->add(reportFactRow(ansi("Usuario de replicación"), usuario) + "</table>\n");
}

void RunReport::startSource(const std::string& name)
{
    source_ = name;
    counts_ = {};
    page_->add(ansi("<h2>Compañía de origen: ") + escapeMarkup(name) + "</h2>\n", pendingNote());
}

void RunReport::entryTaken(const std::string& item)
{
    current_ = item;
    ++counts_.taken;
    ++totals_.taken;
    page_->pending(pendingNote());
}

void RunReport::entrySent()
{
    ++counts_.sent;
    ++totals_.sent;
}

void RunReport::entryFailed(const ReportedEntry& entry)
{
    ++counts_.failed;
    ++totals_.failed;
    addRow(entry, true);
}

void RunReport::entrySkipped(const ReportedEntry& entry)
{
    ++counts_.skipped;
    ++totals_.skipped;
    addRow(entry, false);
}

void RunReport::addRow(const ReportedEntry& entry, bool failed)
{
    std::string row;
    if (!tableOpen_) {
        row = ansi("<table>\n<tr><th>Entrada</th><th>Fecha</th><th>Resultado</th><th>Motivo</th><th>Mensaje del "
                   "motor</th><th>Qué hacer</th></tr>\n");
        tableOpen_ = true;
    }
    EngineErrorReason why = explainEngineError(entry.engineText);
    std::string reason = why.known ? why.reason : entry.reason;
    if (reason.empty())
        reason = ansi("El destino rechazó la entrada.");
    if (!failed)
        why.advice = ansi("Nada, si es lo esperado: lo anterior a la fecha de bloqueo no se cambia. Si debe "
                          "cambiar, mueva la fecha de bloqueo del destino y vuelva a enviar.");
    row += "<tr><td>" + escapeMarkup(entry.item) + "</td><td>" + escapeMarkup(entry.fecha) + "</td><td class=\"" +
           (failed ? "fallo\">Con error" : "aviso\">Omitida") + "</td><td>" + escapeMarkup(reason) +
           "</td><td class=\"motor\">" + escapeMarkup(entry.engineText) + "</td><td>" + escapeMarkup(why.advice) +
           "</td></tr>\n";
    page_->add(row, "</table>\n" + pendingNote());
}

void RunReport::closeTable()
{
    if (tableOpen_)
        page_->add("</table>\n");
    tableOpen_ = false;
}

std::string RunReport::sourceCounts() const
{
    return "<p>" + escapeMarkup(source_) + ": " + countsText(counts_) + ".</p>\n";
}

std::string RunReport::pendingNote() const
{
    if (source_.empty())
        return ansi("<p>La transmisión no terminó: no llegó a ninguna compañía de origen.</p>\n");
    return ansi("<p>La transmisión no terminó: quedó en la compañía de origen ") + escapeMarkup(source_) +
           (current_.empty() ? std::string() : ", en la entrada " + escapeMarkup(current_)) + ansi(". Hasta ahí: ") +
           countsText(counts_) + ansi(". Lo no enviado sigue pendiente y se enviará en la próxima transmisión.</p>\n");
}

void RunReport::targetCut()
{
    closeTable();
    page_->add(ansi("<p class=\"aviso\">Se respondió No a continuar tras el error de ") + escapeMarkup(current_) +
                   ansi(": las entradas siguientes de esta compañía no se tomaron y siguen pendientes.</p>\n"),
               pendingNote());
}

void RunReport::finishSource()
{
    closeTable();
    page_->add(sourceCounts());
    current_.clear();
}

void RunReport::sourceUnreachable(const std::string& message)
{
    closeTable();
    page_->add(ansi("<p class=\"fallo\">") + escapeMarkup(message) +
               ansi(" Sus entradas siguen pendientes para la próxima transmisión.</p>\n"));
}

void RunReport::stopped(const std::string& why)
{
    closeTable();
    const EngineErrorReason reason = explainEngineError(why);
    std::string where = source_.empty() ? ansi("antes de llegar a una compañía de origen")
                                        : ansi("en la compañía de origen ") + escapeMarkup(source_);
    if (!current_.empty())
        where += ", en la entrada " + escapeMarkup(current_);
    std::string text = ansi("<h2 class=\"fallo\">La transmisión se detuvo</h2>\n<p>Se detuvo ") + where +
                       (where.back() == '.' ? "" : ".") + "</p>\n";
    if (!source_.empty())
        text += sourceCounts();
    text += "<table>\n" + reportFactRow("Motivo", reason.known ? reason.reason : why) +
            (reason.known ? reportFactRow("Mensaje del motor", why) : std::string()) +
            reportFactRow(ansi("Qué hacer"), reason.advice) + "</table>\n";
    page_->add(text);
    stopped_ = true;
}

void RunReport::interrupted()
{
    closeTable();
    page_->add(ansi("<h2 class=\"fallo\">La transmisión se interrumpió</h2>\n<p>Se pidió detenerla (Ctrl+C, el "
                    "cierre de la sesión o del servicio) y se detuvo al terminar una entrada: lo enviado quedó "
                    "marcado como enviado, las demás entradas siguen pendientes y la próxima transmisión las "
                    "envía.</p>\n"));
    stopped_ = true;
}

void RunReport::finish()
{
    const std::string closing = stopped_ ? ansi("<p class=\"fallo\">Estado del informe: transmisión detenida</p>\n")
                                         : ansi("<p class=\"bien\">Estado del informe: completo</p>\n");
    page_->finish(ansi("<h2>Totales</h2>\n<p>") + countsText(totals_) + ".</p>\n" + closing +
                  totalsComment(totals_, stopped_));
}

}  // namespace kalvora
