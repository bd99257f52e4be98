#pragma once
// The run behind "Enviar": every pending audit entry of every replication target.
#include "base/calendar.h"
#include "ui/dialogs.h"
#include "ui/progress.h"
#include <string>
namespace kalvora {
class Componentes;
struct TransmissionSummary {
    bool concluded = false;  // false when the guard refused to start
    int transmitted = 0;     // entries flagged sent, the skipped ones included
    int failed = 0;          // entries left pending after an apply error
    int targets = 0;         // targets visited
    int skipped = 0;         // entries whose voucher the lock date kept as it is
    std::string reportPath;  // the run's report; "" when it could not be written
};
// Without a destination company, with a day the database cannot hold, or while another run
// towards the same destination is going on, it only says so. Errors raised inside (database
// errors, SilentAbort, sent flags the source did not store) stop the run and propagate, after
// the run's report (run_report.h) says where and why.
TransmissionSummary SpeedButton1Click(Componentes& c, Dialogs& dialogs, Progress& progress,
                                      const std::string& companiaDestino, const Date& desde, const Date& hasta);
}  // namespace kalvora
