#include "principalconta/transmission/transmission.h"

#include "base/errors.h"
#include "base/text.h"
#include "data/schema.h"
#include "principalconta/componentes.h"
#include "principalconta/transmission/audit_triggers.h"
#include "principalconta/transmission/entry_replay.h"
#include "principalconta/transmission/journals.h"
#include "principalconta/transmission/remembering_dialogs.h"
#include "principalconta/transmission/run_guard.h"
#include "principalconta/transmission/run_report.h"
#include "principalconta/transmission/run_steps.h"
#include "principalconta/transmission/sent_flags_check.h"
#include "principalconta/transmission/stop_request.h"
#include "principalconta/transmission/target_walk.h"
#include "settings/installation.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace kalvora {

namespace {

std::string alreadyRunning(const std::string& companiaDestino)
{
    return ansi("Ya hay una transmisión en curso hacia la compañía ") + companiaDestino +
           ansi(". Espere a que termine y vuelva a enviar.");
}

// "Error transmitiendo CEG CE000123" for a voucher, "Error transmitiendo 110505" otherwise.
std::string failureText(const Query& entry)
{
    std::string text = "Error transmitiendo ";
    if (entry.field("TIDO_COD").asInteger() == schema::kTidoComprobante)
        text += entry.field("AUDI_TICO").asText() + " ";
    return text + entry.field("AUDI_COD").asText();
}

std::string closingDetails(const TransmissionSummary& summary, const std::string& directory)
{
    std::string details = "Enviadas " + std::to_string(summary.transmitted - summary.skipped) + ", con error " +
                          std::to_string(summary.failed) + ", omitidas por la fecha de bloqueo " +
                          std::to_string(summary.skipped) + ".\n";
    if (summary.reportPath.empty())
        return details + "No se pudo escribir el informe en " + reportsFolder(directory) + ".";
    return details + "Informe: " + summary.reportPath;
}

// The flags stay in Trcia until the target is left, so sending them in groups before that
// stores the same as sending each at once, with a round trip per group instead of per entry.
// A trigger could change the source's rows with them, so those read ahead in Trcia are read
// again after each group. Under an update trigger of AUDITORIA each flag goes at its
// entry's turn: one it refuses stops the run there, with the earlier flags kept.
class SentFlags {
public:
    explicit SentFlags(Componentes& c) : query_(c.QCopia), c_(c) {}

    void startTarget(bool eachAtItsTurn) { group_ = eachAtItsTurn ? 1 : kGroup; }

    void add(std::int64_t audiId)
    {
        ids_.push_back(audiId);
        if (ids_.size() >= group_)
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
        c_.forgetReadInTrcia();
    }

private:
    static constexpr std::size_t kGroup = 100;
    std::size_t group_ = kGroup;
    Query& query_;
    Componentes& c_;
    std::vector<std::int64_t> ids_;
};

// Leaving a target commits its sent flags. When the commit fails, its answer may only have
// been lost, so the source is asked what it holds; the run stops unless every flag is there,
// and the entries that are not stay pending for the next run.
void commitSentFlags(RunContext& run, const std::vector<std::int64_t>& flagged)
{
    Componentes& c = run.c;
    const std::string company =
        c.Creplicac.field("RPCO_NOMBRE").asText() + " (" + c.Creplicac.field("RPCO_COD").asText() + ")";
    try {
        c.DbCia.commitAndDisconnect();
        return;
    } catch (const DatabaseError& e) {
        if (flagged.empty())
            return;  // nothing of the run was in that commit
        StoredFlags stored;
        try {
            stored = readBackSentFlags(c, flagged);
        } catch (const Error& recheck) {
            run.dialogs.message(failedFlagCommitMessage(company, e.what(), nullptr, recheck.what()));
            throw SilentAbort();
        }
        run.dialogs.message(failedFlagCommitMessage(company, e.what(), &stored));
        if (stored.pending > 0)
            throw SilentAbort();
    }
}

// Each entry journalled, replicated, then flagged sent or reported; the flags committed
// when the target is left.
class TransmitHandler : public EntryHandler {
public:
    TransmitHandler(Componentes& c, Progress& progress, TransmissionSummary& summary, RunReport& report)
        : sent_(c), progress_(progress), summary_(summary), report_(report), refusal_(c.CDestino)
    {
    }

    void startTarget(RunContext& run) override
    {
        flagged_.clear();
        report_.startSource(run.c.Creplicac.field("RPCO_COD").asText() + " " +
                            run.c.Creplicac.field("RPCO_NOMBRE").asText());
        sent_.startTarget(auditoriaHasUpdateTrigger(run.c.QCopia));
    }

    bool entry(RunContext& run) override
    {
        if (stopRequested())
            throw StopRequested();
        Componentes& c = run.c;
        const Query& entry = c.QAuditor;
        archivo_auditoria(run.dialogs, entry.field("AUDI_ID").asText(), entry.field("TIDO_COD").asText(),
                          entry.field("AUDI_COD").asText());
        run.entryFailed = false;
        run.entryLockKept = RunContext::LockKept::None;
        refusal_.text.clear();
        const std::string item = entryItem(entry);
        report_.entryTaken(item);
        progress_.step();
        replayEntry(run);
        if (!run.entryFailed) {
            sent_.add(entry.field("AUDI_ID").asInteger());
            flagged_.push_back(entry.field("AUDI_ID").asInteger());
            ++summary_.transmitted;
            // Flagged sent, but reported apart from the entries that changed the destination.
            if (run.entryLockKept != RunContext::LockKept::None) {
                ++summary_.skipped;
                report_.entrySkipped({item, entry.field("AUDI_FECHA").asText(), {}, lockKeptReason(run)});
            } else {
                report_.entrySent();
            }
            return true;
        }
        ++summary_.failed;
        report_.entryFailed({item, entry.field("AUDI_FECHA").asText(), refusal_.text,
                             ansi("El destino no aceptó la entrada y no dio el motivo.")});
        const std::string text = failureText(entry);
        archivo_errores(run.dialogs, c.usuario_replica, text);
        if (run.dialogs.ask(text + ". Continuar?"))
            return true;
        report_.targetCut();
        return false;
    }

    void finishTarget(RunContext& run) override
    {
        sent_.send();
        commitSentFlags(run, flagged_);
        report_.finishSource();
    }

    // A run that stops keeps the flags of the entries it finished, as it did when each was
    // sent at once; if the source is gone, they go with its transaction anyway.
    void keepFinishedFlags() noexcept
    {
        try {
            sent_.send();
        } catch (...) {
        }
    }

private:
    static std::string lockKeptReason(const RunContext& run)
    {
        return run.entryLockKept == RunContext::LockKept::InSource
                   ? ansi("El comprobante es anterior a la fecha de bloqueo del destino (") + run.fecha_bloqueo +
                         ansi("): no se envía.")
                   : ansi("La copia del destino es anterior a la fecha de bloqueo (") + run.fecha_bloqueo +
                         ansi("): se dejó como estaba.");
    }

    SentFlags sent_;
    std::vector<std::int64_t> flagged_;  // this target's, to be read back if their commit fails
    Progress& progress_;
    TransmissionSummary& summary_;
    RunReport& report_;
    RefusalCapture refusal_;
};

}  // namespace

TransmissionSummary SpeedButton1Click(Componentes& c, Dialogs& dialogs, Progress& progress,
                                      const std::string& companiaDestino, const Date& desde, const Date& hasta)
{
    TransmissionSummary summary;
    if (!mayStart(dialogs, companiaDestino, desde, hasta) || !journalsReady(dialogs))
        return summary;
    std::string directory;
    {
        // Shown first, so that an error on the way stops the run with the panel where it arose.
        progress.show();
        // Released before the closing message, which may wait long for a user.
        const RunGuard guard(c.DBEnvio);
        if (!guard.held()) {
            progress.hide();
            dialogs.message(alreadyRunning(companiaDestino));
            return summary;
        }
        const HeldReads reads(c.DBEnvio);

        RememberingDialogs remembering(dialogs);
        RunContext run{c, remembering};
        directory = diraplicacion(dialogs);
        RunReport report(directory, c.usuario_sesion, companiaDestino, desde, hasta);
        summary.reportPath = report.path();
        TransmitHandler handler(c, progress, summary, report);
        try {
            readRunSettings(run);
            report.replicationUser(c.usuario_replica);
            summary.targets = walkTargets(run, progress, ansi("Transmitiendo información de "), desde, hasta, handler);
        } catch (const StopRequested&) {
            // Before the next entry: the target in progress is left as after its last one.
            handler.finishTarget(run);
            summary.interrupted = true;
            report.interrupted();
        } catch (...) {
            handler.keepFinishedFlags();
            report.stopped(stopReason(remembering));
            report.finish();
            throw;
        }
        summary.unreachable = std::move(run.unreachable);
        for (const UnreachableSource& source : summary.unreachable)
            report.sourceUnreachable(sourceMessage(source));
        report.finish();
    }

    progress.hide();
    if (summary.interrupted)
        return summary;

    dialogs.concluded(ansi("Proceso de envio de información concluído."), closingDetails(summary, directory),
                      summary.reportPath);
    summary.concluded = true;
    return summary;
}

}  // namespace kalvora
