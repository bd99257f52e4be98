#include "principalconta/transmission/repair.h"

#include "base/errors.h"
#include "base/text.h"
#include "principalconta/componentes.h"
#include "principalconta/transmission/entry_replay.h"
#include "principalconta/transmission/remembering_dialogs.h"
#include "principalconta/transmission/run_guard.h"
#include "principalconta/transmission/run_steps.h"
#include "principalconta/transmission/stop_request.h"
#include "principalconta/transmission/target_walk.h"
#include "settings/installation.h"

#include <functional>

namespace kalvora {

namespace {

std::string alreadyRunning(const std::string& companiaDestino)
{
    return ansi("Ya hay una transmisión o una reparación en curso hacia la compañía ") + companiaDestino +
           ansi(". Espere a que termine y vuelva a reparar.");
}

// Each item's entry replayed and its outcome reported; nothing is asked, a refused item is
// only listed, and no flag or journal line is written.
class RepairHandler : public EntryHandler {
public:
    RepairHandler(Componentes& c, Progress& progress, const RepairPlan& plan, RepairReport& report)
        : progress_(progress), plan_(plan), report_(report), refusal_(c.CDestino)
    {
    }

    void startTarget(RunContext& run) override
    {
        const std::string target = verifyTargetName(run.c);
        copied_ = copiedVouchers(plan_, target);
        report_.startSource(target);
    }

    bool entry(RunContext& run) override
    {
        if (stopRequested())
            throw StopRequested();
        const Query& entry = run.c.QAuditor;
        std::size_t position = std::size_t(entry.field("AUDI_ID").asInteger());
        if (position == 0) {
            const auto copied = copied_.find(entry.field("AUDI_IDDOC").asInteger());
            position = copied == copied_.end() ? 0 : copied->second + 1;
        }
        if (position == 0 || position > plan_.items.size())
            return true;
        report_.itemTaken(plan_.items[position - 1]);
        run.entryFailed = false;
        run.entryLockKept = RunContext::LockKept::None;
        refusal_.text.clear();
        progress_.step();
        replayEntry(run);
        if (run.entryFailed)
            report_.itemFailed(refusal_.text);
        else if (run.entryLockKept != RunContext::LockKept::None)
            report_.itemProtected(ansi("La fecha de bloqueo del destino (") + run.fecha_bloqueo +
                                  ansi(") lo protege: se dejó como estaba."));
        else
            report_.itemRepaired();
        return true;
    }

    // Nothing was written in the source: leaving it has nothing to commit.
    void finishTarget(RunContext&) override { report_.finishSource(); }

private:
    Progress& progress_;
    const RepairPlan& plan_;
    RepairReport& report_;
    RefusalCapture refusal_;
    std::unordered_map<std::int64_t, std::size_t> copied_;  // the current target's
};

// The guard held throughout: nothing else writes the destination between the verification
// the plan comes from, the repair and the verification after it.
RepairOutcome repairGuarded(Componentes& c, Dialogs& dialogs, Progress& progress, const std::string& companiaDestino,
                            const Date& desde, const Date& hasta,
                            const std::function<void(RunContext&, RepairOutcome&)>& plan)
{
    RepairOutcome outcome;
    const ReadingScope scope(c, progress);
    const RunGuard guard(c.DBEnvio);
    if (!guard.held()) {
        progress.hide();
        dialogs.message(alreadyRunning(companiaDestino));
        return outcome;
    }
    const HeldReads reads(c.DBEnvio);
    RememberingDialogs remembering(dialogs);
    RunContext run{c, remembering};
    readRunSettings(run);
    plan(run, outcome);
    outcome.verified = true;

    RepairReport report(diraplicacion(dialogs), c.usuario_sesion, companiaDestino, desde, hasta, outcome.plan);
    outcome.reportPath = report.path();
    report.replicationUser(c.usuario_replica);
    RepairHandler handler(c, progress, outcome.plan, report);
    try {
        walkTargets(
            run, progress, ansi("Reparando información de "),
            [&](RunContext& current) { return repairSelections(outcome.plan, verifyTargetName(current.c)); }, handler);
        outcome.unreachable = run.unreachable;
        for (const UnreachableSource& source : outcome.unreachable)
            report.sourceUnreachable(sourceMessage(source));
        outcome.after = verifyTargets(run, progress, desde, hasta);
    } catch (const StopRequested&) {
        outcome.interrupted = true;
        outcome.counts = report.totals();
        report.interrupted();
        report.finish({});
        return outcome;
    } catch (...) {
        report.stopped(stopReason(remembering));
        report.finish({});
        throw;
    }
    outcome.counts = report.totals();
    report.finish(verifySummary(outcome.after));
    outcome.completed = true;
    return outcome;
}

}  // namespace

RepairOutcome reparar(Componentes& c, Dialogs& dialogs, Progress& progress, const std::string& companiaDestino,
                      const Date& desde, const Date& hasta, bool deleteExtra, bool dryRun)
{
    if (!mayStart(dialogs, companiaDestino, desde, hasta))
        return {};
    if (dryRun) {
        RepairOutcome outcome;
        outcome.before = verificar(c, dialogs, progress, companiaDestino, desde, hasta);
        outcome.verified = outcome.before.completed;
        outcome.plan = planRepair(outcome.before, deleteExtra);
        return outcome;
    }
    return repairGuarded(c, dialogs, progress, companiaDestino, desde, hasta,
                         [&](RunContext& run, RepairOutcome& outcome) {
                             outcome.before = verifyTargets(run, progress, desde, hasta);
                             outcome.plan = planRepair(outcome.before, deleteExtra);
                         });
}

RepairOutcome repararPlan(Componentes& c, Dialogs& dialogs, Progress& progress, const std::string& companiaDestino,
                          const Date& desde, const Date& hasta, const RepairPlan& plan)
{
    if (!mayStart(dialogs, companiaDestino, desde, hasta))
        return {};
    return repairGuarded(c, dialogs, progress, companiaDestino, desde, hasta,
                         [&](RunContext&, RepairOutcome& outcome) { outcome.plan = plan; });
}

std::string repairClosingDetails(const RepairOutcome& outcome)
{
    const std::string details = "Reparados " + std::to_string(outcome.counts.repaired) + ", con error " +
                                std::to_string(outcome.counts.failed) + ", protegidos por la fecha de bloqueo " +
                                std::to_string(outcome.counts.protectedByLock) + ".\n";
    return details +
           (outcome.reportPath.empty() ? ansi("No se pudo escribir el informe.") : "Informe: " + outcome.reportPath);
}

}  // namespace kalvora
