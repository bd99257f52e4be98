#include "principalconta/window_actions.h"

#include "base/text.h"

namespace kalvora {

WindowActions windowActions(bool companyChosen, bool targetsLoaded)
{
    WindowActions actions;
    actions.conectar.enabled = companyChosen;
    if (!companyChosen)
        actions.conectar.whyNot = ansi("Escoja primero la compañía destino.");
    actions.targets.enabled = companyChosen && targetsLoaded;
    if (!companyChosen)
        actions.targets.whyNot = ansi("Escoja la compañía destino y pulse \"Conectar\".");
    else if (!targetsLoaded)
        actions.targets.whyNot = ansi("Pulse \"Conectar\" para cargar las compañías de origen de esta compañía.");
    return actions;
}

}  // namespace kalvora
