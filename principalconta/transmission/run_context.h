#pragma once
// What a transmission run hands to the replication of each audit entry.
#include "principalconta/transmission/unreachable_source.h"
#include "settings/regional_formats.h"
#include "ui/dialogs.h"

#include <string>
#include <vector>

namespace kalvora {

class Componentes;

struct RunContext {
    Componentes& c;
    Dialogs& dialogs;
    // The destination's lock date as stored (see protectedByLockDate).
    std::string fecha_bloqueo{};
    // Cleared before each entry; set when the destination refuses its writes.
    bool entryFailed = false;
    // Cleared before each entry; says where the lock date kept the entry's voucher as it is.
    enum class LockKept { None, InSource, InDestination };
    LockKept entryLockKept = LockKept::None;
    // The picture voucher dates are written in during this run.
    std::string shortDate = regionalFormats().shortDate;
    // The targets whose source could not be opened or read, in order, with the reason.
    std::vector<UnreachableSource> unreachable{};
};

}  // namespace kalvora
