#pragma once
// The steps that "Enviar", its preview and the verification share: the guard, the
// destination's settings, and the way to each target's source company and its prefixes.
#include "base/calendar.h"
#include "data/schema.h"
#include "principalconta/transmission/run_context.h"
#include "principalconta/transmission/unreachable_source.h"
#include "ui/progress.h"

#include <string>
#include <vector>

namespace kalvora {

class RowStore;

// Without a destination company, or with a day the database cannot hold, says so and
// returns false.
bool mayStart(Dialogs& dialogs, const std::string& companiaDestino, const Date& desde, const Date& hasta);

// CONF_VALOR of one CONFIGURACION row; "" when there is none.
std::string readSetting(RowStore& store, const schema::Setting& setting);

// The lock date into the run, the replication credentials into the window's fields.
void readRunSettings(RunContext& run);

// RPCD_PREF of every prefix row of the current target.
std::vector<std::string> targetPrefixes(RowStore& prefixes);

// The current target's source company, failed for reason.
UnreachableSource currentSource(Componentes& c, std::string reason);
std::string currentSourceLocation(Componentes& c);

// Points DbCia at the current target's source company with the replication credentials.
// Raises SourceUnreachable when the server refuses it, or when it is the destination itself.
void connectSource(Componentes& c);

// For the reads that leave the window open: the progress panel shown for a scope, and the
// source connection dropped at its end, also when an error ends it.
class ReadingScope {
public:
    ReadingScope(Componentes& c, Progress& progress);
    ~ReadingScope();
    ReadingScope(const ReadingScope&) = delete;
    ReadingScope& operator=(const ReadingScope&) = delete;

private:
    Componentes& c_;
    Progress& progress_;
    int shownTarget_;
};

}  // namespace kalvora
