#include "principalconta/targets_editor.h"

#include "principalconta/componentes.h"

namespace kalvora {

int AdvGlowButton3Click(Componentes& c) { return c.Creplicac.applyUpdates(0); }

void AdvGlowButton4Click(Componentes& c)
{
    c.CReplicadet.cancel();
    c.Creplicac.cancel();
    c.Creplicac.cancelUpdates();
}

}  // namespace kalvora
