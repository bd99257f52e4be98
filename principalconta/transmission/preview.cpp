#include "principalconta/transmission/preview.h"

#include "base/text.h"
#include "data/destination.h"
#include "data/schema.h"
#include "principalconta/componentes.h"
#include "principalconta/transmission/csv_line.h"
#include "principalconta/transmission/document_key.h"
#include "principalconta/transmission/master_data_replication.h"
#include "principalconta/transmission/run_steps.h"
#include "principalconta/transmission/target_walk.h"
#include "principalconta/transmission/voucher_replication.h"

#include <map>
#include <set>

#include <utility>

namespace kalvora {

namespace {

using namespace schema;

struct ActionTexts {
    const char* line;
    const char* count;
};

// In the order of PreviewAction, in UTF-8.
const ActionTexts kActionTexts[kPreviewActions] = {
    {"copiar", "copiar"},
    {"reemplazar", "reemplazar"},
    {"borrar", "borrar"},
    {"omitir: protegido por la fecha de bloqueo", "protegidas"},
    {"omitir: no existe en el origen", "sin origen"},
    {"omitir: no existe en el destino", "nada que borrar"},
    {"fallará: no indica el comprobante o el código", "fallarán"},
};

std::string trimmed(std::string text)
{
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

// Walks the run's path and writes nothing: each entry is only planned. What earlier entries
// would have done is remembered, so that a voucher copied by one entry is replaced by the
// next, and an entry that an earlier target would have flagged sent in the same database is
// not selected again.
class PreviewHandler : public EntryHandler {
public:
    PreviewHandler(Progress& progress, PreviewReport& report) : progress_(progress), report_(report) {}

    void startTarget(RunContext& run) override
    {
        report_.targets.push_back({trimmed(run.c.Creplicac.field("RPCO_COD").asText()) + " " +
                                   run.c.Creplicac.field("RPCO_NOMBRE").asText()});
    }

    bool entry(RunContext& run) override
    {
        Componentes& c = run.c;
        const Query& entry = c.QAuditor;
        progress_.step();
        const std::int64_t audiId = entry.field("AUDI_ID").asInteger();
        if (!flagged_.insert({c.DbCia.database(), audiId}).second)
            return true;

        PreviewLine line;
        line.target = report_.targets.back().name;
        line.audiId = audiId;
        line.tido = int(entry.field("TIDO_COD").asInteger());
        line.audiCod = entry.field("AUDI_COD").asText();
        line.fecha = entry.field("AUDI_FECHA").asText();
        line.hora = entry.field("AUDI_HORA").asText();
        line.codigo = line.audiCod;
        const bool named = hasDocumentKey(entry);
        switch (line.tido) {
        case kTidoComprobante:
            line.tipo = "Comprobante";
            line.codigo = trimmed(entry.field("AUDI_TICO").asText()) + " " + line.audiCod;
            line.action = !named                                              ? PreviewAction::NamesNothing
                          : entry.field("AUDI_OPER").asText() == kOperBorrado ? deletion(run)
                                                                              : copy(run);
            break;
        case kTidoCuenta:
        case kTidoTercero:
            line.tipo = line.tido == kTidoCuenta ? "Cuenta" : "Tercero";
            line.action = named ? masterData(run, line.tido, line.audiCod) : PreviewAction::NamesNothing;
            break;
        default:
            return true;
        }
        ++report_.targets.back().counts[std::size_t(line.action)];
        report_.lines.push_back(std::move(line));
        return true;
    }

    void finishTarget(RunContext&) override {}

private:
    PreviewAction copy(RunContext& run)
    {
        const VoucherPlan plan = planVoucherCopy(run);
        run.c.QCopia.close();
        run.c.CDestino.close();
        switch (plan.action) {
        case VoucherPlan::Action::SourceMissing:
            return PreviewAction::SourceMissing;
        case VoucherPlan::Action::SourceLocked:
        case VoucherPlan::Action::DestinationLocked:
            return PreviewAction::Locked;
        default:
            break;
        }
        const auto earlier = vouchers_.find(plan.condition);
        const bool held = earlier != vouchers_.end() ? earlier->second : plan.action == VoucherPlan::Action::Replace;
        vouchers_[plan.condition] = true;
        return held ? PreviewAction::Replace : PreviewAction::Copy;
    }

    PreviewAction deletion(RunContext& run)
    {
        const VoucherPlan plan = planVoucherDeletion(run);
        run.c.CDestino.close();
        if (plan.action == VoucherPlan::Action::DestinationLocked)
            return PreviewAction::Locked;
        const auto earlier = vouchers_.find(plan.condition);
        const bool held = earlier != vouchers_.end() ? earlier->second : plan.action == VoucherPlan::Action::Delete;
        vouchers_[plan.condition] = false;
        return held ? PreviewAction::Delete : PreviewAction::NothingToDelete;
    }

    PreviewAction masterData(RunContext& run, int tido, const std::string& codigo)
    {
        const MasterDataPlan plan = planMasterData(run, tido);
        run.c.QCopia.close();
        run.c.CDestino.close();
        if (plan == MasterDataPlan::SourceMissing)
            return PreviewAction::SourceMissing;
        const bool copiedBefore = !masterData_.insert({tido, codigo}).second;
        return plan == MasterDataPlan::Overwrite || copiedBefore ? PreviewAction::Replace : PreviewAction::Copy;
    }

    Progress& progress_;
    PreviewReport& report_;
    std::set<std::pair<std::string, std::int64_t>> flagged_;
    std::map<std::string, bool> vouchers_;  // by condition: held after the earlier entries
    std::set<std::pair<int, std::string>> masterData_;
};

std::string total(int n, const char* one, const char* many) { return std::to_string(n) + " " + (n == 1 ? one : many); }

}  // namespace

int PreviewTarget::entries() const
{
    int n = 0;
    for (int count : counts)
        n += count;
    return n;
}

PreviewReport vistaPrevia(Componentes& c, Dialogs& dialogs, Progress& progress, const std::string& companiaDestino,
                          const Date& desde, const Date& hasta)
{
    PreviewReport report;
    if (!mayStart(dialogs, companiaDestino, desde, hasta))
        return report;
    const ReadingScope scope(c, progress);
    const HeldReads reads(c.DBEnvio);
    RunContext run{c, dialogs};
    readRunSettings(run);
    PreviewHandler handler(progress, report);
    walkTargets(run, progress, "Vista previa de ", desde, hasta, handler);
    report.unreachable = std::move(run.unreachable);
    report.completed = true;
    return report;
}

std::string actionText(PreviewAction action) { return ansi(kActionTexts[std::size_t(action)].line); }

std::array<int, kPreviewActions> previewTotals(const PreviewReport& report)
{
    std::array<int, kPreviewActions> totals{};
    for (const auto& t : report.targets)
        for (std::size_t a = 0; a < kPreviewActions; ++a)
            totals[a] += t.counts[a];
    return totals;
}

std::string previewCounts(const std::string& name, const std::array<int, kPreviewActions>& counts)
{
    int entries = 0;
    std::string detail;
    for (std::size_t a = 0; a < kPreviewActions; ++a) {
        entries += counts[a];
        if (counts[a] > 0)
            detail += (detail.empty() ? "" : ", ") + ansi(kActionTexts[a].count) + " " + std::to_string(counts[a]);
    }
    return name + ": " + total(entries, "entrada", "entradas") + (detail.empty() ? "" : " (" + detail + ")");
}

std::vector<std::string> previewText(const PreviewReport& report)
{
    std::vector<std::string> lines{ansi("Vista previa del envío: no se escribe nada")};
    std::size_t next = 0;
    for (const auto& t : report.targets) {
        lines.push_back(t.name);
        for (const std::size_t end = next + std::size_t(t.entries()); next < end && next < report.lines.size();
             ++next) {
            const PreviewLine& l = report.lines[next];
            lines.push_back("  " + l.fecha + " " + l.hora + "  " + l.tipo + " " + l.codigo + "  " +
                            actionText(l.action));
        }
        lines.push_back(previewCounts("  Subtotal", t.counts));
    }
    lines.push_back(
        previewCounts("Total", previewTotals(report)) + ansi(" en ") +
        total(int(report.targets.size()), ansi("compañía de origen").c_str(), ansi("compañías de origen").c_str()));
    return lines;
}

std::string previewCsv(const PreviewReport& report, std::string_view separator)
{
    std::string text = csvLine(
        {ansi("Compañía de origen"), "Entrada", "Fecha", "Hora", "Tipo", ansi("Código"), ansi("Acción")}, separator);
    for (const auto& l : report.lines)
        text += csvLine({l.target, std::to_string(l.audiId), l.fecha, l.hora, l.tipo, l.codigo, actionText(l.action)},
                        separator);
    return text;
}

}  // namespace kalvora
