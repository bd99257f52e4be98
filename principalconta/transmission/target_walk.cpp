#include "principalconta/transmission/target_walk.h"

#include "base/errors.h"
#include "principalconta/componentes.h"
#include "principalconta/transmission/commands.h"
#include "principalconta/transmission/run_steps.h"
#include "principalconta/transmission/selection.h"
#include "principalconta/transmission/source_read.h"

namespace kalvora {

namespace {

// The whole count first, in the same transaction, so that the bar knows its maximum; the
// entries themselves are then read as the run goes, never held all at once.
int pendingCount(Query& query, const std::vector<std::string>& selections)
{
    int count = 0;
    for (const std::string& selection : selections) {
        openSource(query, "select count(*) from (" + selection + ")");
        count += int(query.field(0).asInteger());
        query.close();
    }
    return count;
}

SourceUnreachable unreadable(Componentes& c, const DatabaseError& e)
{
    return SourceUnreachable(currentSource(c, refusalReason(e, currentSourceLocation(c))));
}

void selectEntries(Componentes& c, const std::string& selection)
{
    c.QAuditor.close();
    c.QAuditor.clearSql();
    c.QAuditor.addSql(selection);
    // The entries after the current one tell which vouchers to read ahead.
    c.QAuditor.openForward(VoucherReadAhead::kEntries - 1);
}

// The source opened and its first entries selected, or SourceUnreachable.
void openTarget(RunContext& run, Progress& progress, const std::string& captionStart,
                const std::vector<std::string>& selections, EntryHandler& handler)
{
    Componentes& c = run.c;
    connectSource(c);
    progress.setCaption(captionStart + c.Creplicac.field("RPCO_NOMBRE").asText());
    try {
        handler.startTarget(run);
        progress.reset(pendingCount(c.QCopia, selections));
        selectEntries(c, selections.front());
    } catch (const DatabaseError& e) {
        throw unreadable(c, e);
    }
}

// Told, listed, and, unless the user stops here, left for the next target.
void skipTarget(RunContext& run, const SourceUnreachable& failure)
{
    run.unreachable.push_back(failure.source());
    run.c.QAuditor.close();
    try {
        run.c.DbCia.disconnect();
    } catch (const Error&) {
        // Nothing was written there; a connection that cannot even close has nothing to keep.
    }
    run.dialogs.message(failure.what());
    if (!run.dialogs.ask(continueWithOtherSources()))
        throw SilentAbort();
}

}  // namespace

int walkTargets(RunContext& run, Progress& progress, const std::string& captionStart, const Date& desde,
                const Date& hasta, EntryHandler& handler)
{
    const TargetSelections pending = [&](RunContext& current) {
        return std::vector<std::string>{selectionText(desde, hasta, targetPrefixes(current.c.CReplicadet))};
    };
    return walkTargets(run, progress, captionStart, pending, handler);
}

int walkTargets(RunContext& run, Progress& progress, const std::string& captionStart,
                const TargetSelections& selectionsOf, EntryHandler& handler)
{
    Componentes& c = run.c;
    int targets = 0;
    for (c.Creplicac.first(); !c.Creplicac.eof(); c.Creplicac.next()) {
        const std::vector<std::string> selections = selectionsOf(run);
        if (selections.empty())
            continue;
        try {
            openTarget(run, progress, captionStart, selections, handler);
        } catch (const SourceUnreachable& failure) {
            skipTarget(run, failure);
            continue;
        }
        try {
            bool goOn = true;
            for (std::size_t s = 0; goOn && s < selections.size(); ++s) {
                if (s > 0)
                    readSource(c, [&] { selectEntries(c, selections[s]); });
                while (!c.QAuditor.eof()) {
                    if (!handler.entry(run)) {
                        goOn = false;
                        c.QAuditor.last();
                    }
                    readSource(c, [&] { c.QAuditor.next(); });
                }
            }
        } catch (const SourceUnreachable& failure) {
            // The entry in progress stays pending; those before it keep their flags.
            c.QAuditor.close();
            handler.finishTarget(run);
            skipTarget(run, failure);
            continue;
        }
        c.QAuditor.close();
        handler.finishTarget(run);
        ++targets;
    }
    return targets;
}

}  // namespace kalvora
