#pragma once
// The run's way through the targets: each target's source connected, its pending entries
// selected and handed over one by one. "Enviar" transmits each entry; the preview only
// reads what the run would do with it.
#include "base/calendar.h"
#include "principalconta/transmission/run_context.h"
#include "ui/progress.h"

#include <functional>
#include <string>
#include <vector>

namespace kalvora {

class EntryHandler {
public:
    virtual ~EntryHandler() = default;
    // Before the target's entries are selected.
    virtual void startTarget(RunContext& run) = 0;
    // The entry QAuditor is on. False ends the target's entries (the run's "No").
    virtual bool entry(RunContext& run) = 0;
    // After the target's last entry, QAuditor closed.
    virtual void finishTarget(RunContext& run) = 0;
};

// For every target of Creplicac, in order: connect its source, caption the progress with
// captionStart + RPCO_NOMBRE, select its pending entries desde to hasta and hand each one
// to the handler. A source that cannot be opened or read (also in the middle of an entry:
// the handler then finishes the target as after its last entry), or that is the destination
// itself, is told, kept in run.unreachable, and followed by "¿Continuar con las demás compañías de
// origen?": Yes goes on with the next target, No raises SilentAbort. Returns the number of
// targets visited.
int walkTargets(RunContext& run, Progress& progress, const std::string& captionStart, const Date& desde,
                const Date& hasta, EntryHandler& handler);

// The selects whose rows are the current target's entries, read in order, each row with the
// columns of AUDITORIA that a replay reads. None: the target is passed over, unconnected.
using TargetSelections = std::function<std::vector<std::string>(RunContext&)>;

// The same walk over the entries that selections give each target.
int walkTargets(RunContext& run, Progress& progress, const std::string& captionStart,
                const TargetSelections& selections, EntryHandler& handler);

}  // namespace kalvora
