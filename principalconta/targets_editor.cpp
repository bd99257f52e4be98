#include "principalconta/targets_editor.h"

#include "base/errors.h"
#include "base/text.h"
#include "data/locations.h"
#include "principalconta/componentes.h"

namespace kalvora {

namespace {

// A target that names the destination's own database, as the rows are shown (the one being
// edited included), would have the run rewrite the consolidation's vouchers.
void refuseDestinationAsTarget(RowStore& targets, const std::string& destination)
{
    const int servidor = targets.fieldIndex("RPCO_SERVIDOR");
    const int cod = targets.fieldIndex("RPCO_COD");
    for (int row = 0; row < targets.shownCount(); ++row) {
        const std::string server = targets.shownValue(row, servidor).asText();
        const std::string code = targets.shownValue(row, cod).asText();
        if (companyDatabaseLocation(server, code) == destination)
            throw Error(ansi("La compañía ") + code + " del servidor " + server +
                        ansi(" es la compañía destino: no puede ser su propia compañía de origen. Corrija el "
                             "servidor o la compañía antes de grabar."));
    }
}

}  // namespace

int AdvGlowButton3Click(Componentes& c)
{
    const auto destination = c.DBEnvio.params().get("Database");
    if (c.Creplicac.active() && destination)
        refuseDestinationAsTarget(c.Creplicac, *destination);
    return c.Creplicac.applyUpdates(0);
}

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
