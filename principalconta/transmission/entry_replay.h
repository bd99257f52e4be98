#pragma once
// One audit entry, the one QAuditor is on, replayed into the destination: the copy,
// replacement or deletion of its voucher, or its account or third party made equal.
// "Enviar" replays the source's pending entries; the repair, entries of its own making.
#include "principalconta/transmission/run_context.h"

#include "data/row_store.h"

#include <string>

namespace kalvora {

class Query;

void replayEntry(RunContext& run);

// "Comprobante NCO NV000016", "Borrado del comprobante NCO NV000016", "Cuenta 110505".
std::string entryItem(const Query& entry);

// The destination's refusal of the entry being replayed, as the engine wrote it; the hooks
// it wraps still answer it.
class RefusalCapture {
public:
    explicit RefusalCapture(RowStore& store);
    ~RefusalCapture();
    RefusalCapture(const RefusalCapture&) = delete;
    RefusalCapture& operator=(const RefusalCapture&) = delete;

    std::string text;

private:
    RowStore& store_;
    UpdateErrorHook update_;
    DataErrorHook post_;
};

}  // namespace kalvora
