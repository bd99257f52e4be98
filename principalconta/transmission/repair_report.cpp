#include "principalconta/transmission/repair_report.h"

#include "base/markup.h"
#include "base/text.h"
#include "principalconta/transmission/engine_error_reason.h"

namespace kalvora {

namespace {

std::string totalsText(const RepairCounts& n)
{
    return "reparados " + std::to_string(n.repaired) + ", con error " + std::to_string(n.failed) +
           ", protegidos por la fecha de bloqueo " + std::to_string(n.protectedByLock);
}

const char* const kTableHead = "<table>\n<tr><th>Elemento</th><th>Fecha</th><th>Acción</th><th>Resultado</th>"
                               "<th>Motivo</th><th>Mensaje del motor</th><th>Qué hacer</th></tr>\n";

}  // namespace

RepairReport::RepairReport(const std::string& directory, const std::string& usuario, const std::string& companiaDestino,
                           const Date& desde, const Date& hasta, const RepairPlan& plan)
    : page_(openReportPage(directory, "reparacion", ansi("Informe de reparación"),
                           {usuario, companiaDestino, desde, hasta})),
      plan_(plan)
{
    page_->add(reportFactRow(ansi("Lo que sobra en destino"),
                             plan.deleteExtra ? ansi("se borra (--delete-extra)") : ansi("se deja")) +
               reportFactRow("Plan", planCounts(plan)));
}

RepairReport::~RepairReport() = default;

const std::string& RepairReport::path() const { return page_->path(); }

void RepairReport::replicationUser(const std::string& usuario)
{
    page_->add(reportFactRow(ansi("Usuario de replicación"), usuario) + "</table>\n", pendingNote());
}

void RepairReport::startSource(const std::string& name)
{
    source_ = name;
    current_ = nullptr;
    page_->add(ansi("<h2>Compañía de origen: ") + escapeMarkup(name) + "</h2>\n", pendingNote());
}

void RepairReport::itemTaken(const RepairItem& item)
{
    current_ = &item;
    page_->pending(pendingNote());
}

void RepairReport::itemRepaired()
{
    ++totals_.repaired;
    addRow("Reparado", "bien", {}, {}, {});
}

void RepairReport::itemFailed(const std::string& engineText)
{
    ++totals_.failed;
    const EngineErrorReason why = explainEngineError(engineText, Retry::Repair);
    addRow("Con error", "fallo", why.known ? why.reason : ansi("El destino rechazó el cambio."), engineText,
           why.advice);
}

void RepairReport::itemProtected(const std::string& reason)
{
    ++totals_.protectedByLock;
    addRow("No se tocó", "aviso", reason, {},
           ansi("Nada, si es lo esperado. Si debe cambiar, mueva la fecha de bloqueo del destino y repare otra vez."));
}

void RepairReport::addRow(const std::string& result, const std::string& resultClass, const std::string& reason,
                          const std::string& engineText, const std::string& advice)
{
    std::string row = tableOpen_ ? std::string() : ansi(kTableHead);
    tableOpen_ = true;
    if (current_)
        row += "<tr><td>" + escapeMarkup(current_->shown) + "</td><td>" + escapeMarkup(current_->fecha) + "</td><td>" +
               escapeMarkup(actionName(current_->action)) + "</td><td class=\"" + resultClass + "\">" + ansi(result) +
               "</td><td>" + escapeMarkup(reason) + "</td><td class=\"motor\">" + escapeMarkup(engineText) +
               "</td><td>" + escapeMarkup(advice) + "</td></tr>\n";
    page_->add(row, "</table>\n" + pendingNote());
}

void RepairReport::closeTable()
{
    if (tableOpen_)
        page_->add("</table>\n", pendingNote());
    tableOpen_ = false;
}

std::string RepairReport::pendingNote() const
{
    std::string where = source_.empty() ? ansi("antes de llegar a una compañía de origen")
                                        : ansi("en la compañía de origen ") + escapeMarkup(source_);
    if (current_)
        where += ", en " + escapeMarkup(current_->shown);
    return ansi("<p>La reparación no terminó: quedó ") + where + ". Hasta ahí: " + totalsText(totals_) +
           ansi(". Verifique otra vez para ver lo que falta.</p>\n");
}

void RepairReport::finishSource()
{
    closeTable();
    current_ = nullptr;
}

void RepairReport::sourceUnreachable(const std::string& message)
{
    closeTable();
    page_->add(ansi("<p class=\"fallo\">") + escapeMarkup(message) +
                   ansi(" Lo que se iba a reparar desde ella quedó como estaba.</p>\n"),
               pendingNote());
}

void RepairReport::stopped(const std::string& why)
{
    closeTable();
    const EngineErrorReason reason = explainEngineError(why, Retry::Repair);
    page_->add(ansi("<h2 class=\"fallo\">La reparación se detuvo</h2>\n<table>\n") +
               reportFactRow("Motivo", reason.known ? reason.reason : why) +
               (reason.known ? reportFactRow("Mensaje del motor", why) : std::string()) +
               reportFactRow(ansi("Qué hacer"), reason.advice) + "</table>\n");
    stopped_ = true;
}

void RepairReport::interrupted()
{
    closeTable();
    page_->add(ansi("<h2 class=\"fallo\">La reparación se interrumpió</h2>\n<p>Se pidió detenerla y se detuvo al "
                    "terminar un elemento: lo reparado quedó así; verifique otra vez para ver lo que falta.</p>\n"));
    stopped_ = true;
}

void RepairReport::finish(const std::vector<std::string>& verificationAfter)
{
    std::string left;
    for (const RepairItem& item : plan_.items)
        if (item.action == RepairItem::Action::KeepExtra || item.action == RepairItem::Action::Protected)
            left += "<tr><td>" + escapeMarkup(item.target) + "</td><td>" + escapeMarkup(item.shown) + "</td><td>" +
                    escapeMarkup(item.fecha) + "</td><td>" + escapeMarkup(actionName(item.action)) + "</td></tr>\n";
    std::string html;
    if (!left.empty())
        html += ansi("<h2>Lo que se dejó como estaba</h2>\n<table>\n<tr><th>Compañía de origen</th><th>Elemento</th>"
                     "<th>Fecha</th><th>Por qué</th></tr>\n") +
                left + "</table>\n";
    if (!verificationAfter.empty()) {
        html += ansi("<h2>Verificación después de reparar</h2>\n");
        for (const std::string& line : verificationAfter)
            html += "<p>" + escapeMarkup(line) + "</p>\n";
    }
    html += ansi("<h2>Totales</h2>\n<p>") + totalsText(totals_) + ".</p>\n" +
            (stopped_ ? ansi("<p class=\"fallo\">Estado del informe: reparación detenida</p>\n")
                      : ansi("<p class=\"bien\">Estado del informe: completo</p>\n"));
    page_->finish(html);
}

}  // namespace kalvora
