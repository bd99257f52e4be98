#pragma once
// One transmission towards a destination company at a time, whichever machine or user
// starts it. The guard is a reservation of the destination's REPLICA_CONTA for protected
// write, held by a transaction of the run's own destination attachment: it needs no object
// of its own in the customer's database, every attachment to that database sees it through
// the engine's lock manager, and it ends with the attachment when the process dies. Others
// still read the targets; whoever saves them waits until the run ends.
#include "data/destination.h"

namespace kalvora {

class RunGuard {
public:
    // Takes the guard unless another run holds it; errors other than that conflict raise.
    explicit RunGuard(DestinationConnection& destination);
    ~RunGuard();
    RunGuard(const RunGuard&) = delete;
    RunGuard& operator=(const RunGuard&) = delete;

    bool held() const { return held_; }

private:
    DestinationConnection& destination_;
    bool held_ = false;
};

}  // namespace kalvora
