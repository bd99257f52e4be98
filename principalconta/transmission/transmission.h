#pragma once
// The run behind "Enviar": every pending audit entry of every replication target.
#include "base/calendar.h"
#include "ui/dialogs.h"
#include "ui/progress.h"
#include <string>
namespace kalvora {
class Componentes;
struct TransmissionSummary {
    bool concluded = false;    // false when the guard refused to start
    int transmitted = 0;       // entries flagged sent
    int failed = 0;            // entries left pending after an apply error
    int targets = 0;           // targets visited
    bool interrupted = false;  // stopped on request before an entry, the flags kept
};
// Without a destination company, with a day the database cannot hold, or while another run
// towards the same destination is going on, it only says so. Errors raised inside (database
// errors, SilentAbort, sent flags the source did not store, a journal line that cannot be
// written) stop the run and propagate. A stop request ends it before the next entry.
TransmissionSummary SpeedButton1Click(Componentes& c, Dialogs& dialogs, Progress& progress,
                                      const std::string& companiaDestino, const Date& desde, const Date& hasta);
}  // namespace kalvora
