#include "principalconta/transmission/audit_triggers.h"

#include "principalconta/transmission/commands.h"

#include <cstdint>

namespace kalvora {

namespace {

// RDB$TRIGGER_TYPE of a table trigger: before or after, then up to three actions of two
// bits each (1 insert, 2 update, 3 delete), as the engine encodes it.
bool firesOnUpdate(std::int64_t type)
{
    for (int slot = 1; slot <= 3; ++slot)
        if ((((type + 1) >> (slot * 2 - 1)) & 3) == 2)
            return true;
    return false;
}

}  // namespace

bool auditoriaHasUpdateTrigger(Query& query)
{
    openSource(query, "select rdb$trigger_type from rdb$triggers where rdb$relation_name = 'AUDITORIA'"
                      " and coalesce(rdb$trigger_inactive, 0) = 0");
    bool found = false;
    for (query.first(); !query.eof() && !found; query.next())
        found = firesOnUpdate(query.field(0).asInteger());
    query.close();
    return found;
}

}  // namespace kalvora
