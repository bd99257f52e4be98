#include "principalconta/transmission/run_guard.h"

#include "base/errors.h"

namespace kalvora {

namespace {

// The table every run reads and no run writes, so the reservation never stands in a run's
// own way.
constexpr const char* kGuardedTable = "REPLICA_CONTA";

// The engine's text for a no-wait transaction that meets a lock: here, another run's
// reservation (or, for an instant, someone saving the targets).
bool isLockConflict(const DatabaseError& e)
{
    return std::string(e.what()).starts_with("lock conflict on no wait transaction");
}

}  // namespace

RunGuard::RunGuard(DestinationConnection& destination) : destination_(destination)
{
    try {
        destination_.reserve(kGuardedTable);
        held_ = true;
    } catch (const DatabaseError& e) {
        if (!isLockConflict(e))
            throw;
    }
}

RunGuard::~RunGuard()
{
    if (held_)
        destination_.releaseReservation();
}

}  // namespace kalvora
