#include "principalconta/transmission/source_read.h"

#include "principalconta/transmission/run_steps.h"

namespace kalvora {

void sourceReadFailed(Componentes& c, const DatabaseError& error)
{
    throw SourceUnreachable(currentSource(c, refusalReason(error, currentSourceLocation(c))));
}

}  // namespace kalvora
