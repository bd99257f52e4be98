#pragma once
// Sets right what a verification finds: each voucher missing or different in the destination
// copied again from its source by the transmission's own copy, each account or third party
// made equal, and a voucher only in the destination deleted when asked. Under the run's guard,
// with the lock date respected on both sides; nothing is written in any source, no audit
// entry and no journal line. A second verification says what is left.
#include "base/calendar.h"
#include "principalconta/transmission/repair_plan.h"
#include "principalconta/transmission/repair_report.h"
#include "principalconta/transmission/unreachable_source.h"
#include "principalconta/transmission/verify.h"
#include "ui/dialogs.h"
#include "ui/progress.h"

#include <string>
#include <vector>

namespace kalvora {

class Componentes;

struct RepairOutcome {
    bool verified = false;     // the first verification (or the window's) was there
    bool completed = false;    // the repair ran to its end and verified again
    bool interrupted = false;  // stopped on request after a whole item
    VerifyReport before;       // empty when the plan came from the window
    RepairPlan plan;
    RepairCounts counts;
    VerifyReport after;
    std::string reportPath;  // "" when it could not be written, or for a dry run
    std::vector<UnreachableSource> unreachable;
};

// Verifies, plans, and unless dryRun sets right and verifies again. A dry run reads only and
// writes nothing, not even the detail file. Database errors stop it and propagate, after the
// report says where and why.
RepairOutcome reparar(Componentes& c, Dialogs& dialogs, Progress& progress, const std::string& companiaDestino,
                      const Date& desde, const Date& hasta, bool deleteExtra, bool dryRun);

// Sets right a plan made from a verification shown earlier, then verifies again.
RepairOutcome repararPlan(Componentes& c, Dialogs& dialogs, Progress& progress, const std::string& companiaDestino,
                          const Date& desde, const Date& hasta, const RepairPlan& plan);

// "Reparados 2, con error 1, protegidos por la fecha de bloqueo 0.\nInforme: PATH"
std::string repairClosingDetails(const RepairOutcome& outcome);

}  // namespace kalvora
