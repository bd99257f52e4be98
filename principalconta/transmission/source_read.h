#pragma once
// A read of the source company that the server refuses in the middle of an entry (no right
// on a table, the connection lost) is the source's failure, not the entry's: the run leaves
// the target as one it cannot read, and the entry stays pending.
#include "base/errors.h"

#include <utility>

namespace kalvora {

class Componentes;

// read(), with a database error it raises turned into SourceUnreachable for the current target.
// Only reads of the source go through here, never an apply to the destination.
[[noreturn]] void sourceReadFailed(Componentes& c, const DatabaseError& error);

template <class Read>
decltype(auto) readSource(Componentes& c, Read&& read)
{
    try {
        return std::forward<Read>(read)();
    } catch (const DatabaseError& e) {
        sourceReadFailed(c, e);
    }
}

}  // namespace kalvora
