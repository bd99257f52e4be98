#pragma once
// What a transmission run hands to the replication of each audit entry.
#include "ui/dialogs.h"

#include <string>

namespace kalvora {

class Componentes;

struct RunContext {
    Componentes& c;
    Dialogs& dialogs;
    // The destination's lock date as stored, compared with voucher dates as text.
    std::string fecha_bloqueo{};
    // Cleared before each entry; set when the destination refuses its writes.
    bool entryFailed = false;
};

}  // namespace kalvora
