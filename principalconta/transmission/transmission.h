#pragma once
// The run behind "Enviar": every pending audit entry of every replication target.
#include "base/calendar.h"
#include "principalconta/transmission/unreachable_source.h"
#include "ui/dialogs.h"
#include "ui/progress.h"
#include <string>
#include <vector>
namespace kalvora {
class Componentes;
struct TransmissionSummary {
    bool concluded = false;    // false when the guard refused to start
    int transmitted = 0;       // entries flagged sent, the skipped ones included
    int failed = 0;            // entries left pending after an apply error
    int targets = 0;           // targets visited
    int skipped = 0;           // entries whose voucher the lock date kept as it is
    bool interrupted = false;  // stopped on request before an entry, the flags kept
    std::string reportPath;    // the run's report; "" when it could not be written
    // Targets whose source could not be opened or read, with the reason; the user chose to
    // go on with the others after each.
    std::vector<UnreachableSource> unreachable;
};
// Without a destination company, with a day the database cannot hold, or while another run
// towards the same destination is going on, it only says so. A source that cannot be opened
// or read (or that is the destination itself) is reported, and the user asked whether to go
// on with the next target; No stops the run silently. Other errors raised inside (database
// errors, SilentAbort, sent flags the source did not store, a journal line that cannot be
// written) stop the run and propagate, after the run's report (run_report.h) says where and
// why. A stop request ends it before the next entry.
TransmissionSummary SpeedButton1Click(Componentes& c, Dialogs& dialogs, Progress& progress,
                                      const std::string& companiaDestino, const Date& desde, const Date& hasta);
}  // namespace kalvora
