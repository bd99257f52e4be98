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
int pendingCount(Query& query, const std::string& selection)
{
    openSource(query, "select count(*) from (" + selection + ")");
    const int count = int(query.field(0).asInteger());
    query.close();
    return count;
}

// The source opened and its entries selected, or SourceUnreachable.
void openTarget(RunContext& run, Progress& progress, const std::string& captionStart, const std::string& selection,
                EntryHandler& handler)
{
    Componentes& c = run.c;
    connectSource(c);
    progress.setCaption(captionStart + c.Creplicac.field("RPCO_NOMBRE").asText());
    try {
        handler.startTarget(run);
        progress.reset(pendingCount(c.QCopia, selection));
        c.QAuditor.close();
        c.QAuditor.clearSql();
        c.QAuditor.addSql(selection);
        // The entries after the current one tell which vouchers to read ahead.
        c.QAuditor.openForward(VoucherReadAhead::kEntries - 1);
    } catch (const DatabaseError& e) {
        throw SourceUnreachable(currentSource(c, refusalReason(e, currentSourceLocation(c))));
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
    Componentes& c = run.c;
    int targets = 0;
    for (c.Creplicac.first(); !c.Creplicac.eof(); c.Creplicac.next()) {
        const std::string selection = selectionText(desde, hasta, targetPrefixes(c.CReplicadet));
        try {
            openTarget(run, progress, captionStart, selection, handler);
        } catch (const SourceUnreachable& failure) {
            skipTarget(run, failure);
            continue;
        }
        try {
            while (!c.QAuditor.eof()) {
                if (!handler.entry(run))
                    c.QAuditor.last();
                readSource(c, [&] { c.QAuditor.next(); });
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
