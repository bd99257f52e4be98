#pragma once
// The fast path of a voucher copy: its header and lines written by one statement, under the
// key the statement takes from cambie_id_comproba. Whatever it cannot settle alone goes to
// the copy row by row, which then writes, asks and tells exactly what it would have anyway.
#include "data/connection.h"
#include "data/row_store.h"
#include "principalconta/transmission/run_context.h"

#include <cstdint>
#include <optional>

namespace kalvora {

struct VoucherBlock {
    enum class Outcome {
        Stored,    // header and lines are in the destination
        NoKey,     // cambie_id_comproba gave no key: nothing stored
        RowByRow,  // nothing stored; the copy row by row goes on from the header
    };
    Outcome outcome = Outcome::RowByRow;
    // For RowByRow, the key the block took from cambie_id_comproba, which the copy row by row
    // uses instead of taking one; none when it took none.
    std::optional<std::int64_t> key;
};

// Starts the insert of the source header into header as both copies write it: every column
// by position, 0 at position 8; the key is the caller's.
void startHeaderInsert(RowStore& header, const Query& source);

// QCopia on the source header, CDestino open on the destination's empty header select.
// Leaves CDestino closed.
VoucherBlock writeVoucherBlock(RunContext& run);

}  // namespace kalvora
