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

bool hasUnsavedChanges(const Componentes& c)
{
    const auto changed = [](const RowStore& store) {
        const bool editing = store.state() == RowStore::State::Insert || store.state() == RowStore::State::Edit;
        return editing && store.modified();
    };
    return c.Creplicac.active() && (c.Creplicac.changeCount() > 0 || changed(c.Creplicac) || changed(c.CReplicadet));
}

}  // namespace kalvora
