#include "principalconta/transmission/target_walk.h"

#include "principalconta/componentes.h"
#include "principalconta/transmission/commands.h"
#include "principalconta/transmission/run_steps.h"
#include "principalconta/transmission/selection.h"

namespace kalvora {

int walkTargets(RunContext& run, Progress& progress, const std::string& captionStart, const Date& desde,
                const Date& hasta, EntryHandler& handler)
{
    Componentes& c = run.c;
    int targets = 0;
    for (c.Creplicac.first(); !c.Creplicac.eof(); c.Creplicac.next()) {
        connectSource(c);
        progress.setCaption(captionStart + c.Creplicac.field("RPCO_NOMBRE").asText());
        handler.startTarget(run);

        openSource(c.QAuditor, selectionText(desde, hasta, targetPrefixes(c.CReplicadet)));
        c.QAuditor.fetchAll();
        progress.reset(int(c.QAuditor.recordCount()));
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
