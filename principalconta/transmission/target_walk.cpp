#include "principalconta/transmission/target_walk.h"

#include "principalconta/componentes.h"
#include "principalconta/transmission/commands.h"
#include "principalconta/transmission/run_steps.h"
#include "principalconta/transmission/selection.h"

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

}  // namespace

int walkTargets(RunContext& run, Progress& progress, const std::string& captionStart, const Date& desde,
                const Date& hasta, EntryHandler& handler)
{
    Componentes& c = run.c;
    int targets = 0;
    for (c.Creplicac.first(); !c.Creplicac.eof(); c.Creplicac.next()) {
        connectSource(c);
        progress.setCaption(captionStart + c.Creplicac.field("RPCO_NOMBRE").asText());
        handler.startTarget(run);

        const std::string selection = selectionText(desde, hasta, targetPrefixes(c.CReplicadet));
        progress.reset(pendingCount(c.QCopia, selection));
        c.QAuditor.close();
        c.QAuditor.clearSql();
        c.QAuditor.addSql(selection);
        // The entries after the current one tell which vouchers to read ahead.
        c.QAuditor.openForward(VoucherReadAhead::kEntries - 1);
        while (!c.QAuditor.eof()) {
            if (!handler.entry(run))
                c.QAuditor.last();
            c.QAuditor.next();
        }
        c.QAuditor.close();
        handler.finishTarget(run);
        ++targets;
    }
    return targets;
}

}  // namespace kalvora
