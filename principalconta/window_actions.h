#pragma once
// Which of the main window's actions its state allows, and the reason a refused one gives:
// "Conectar" wants a company; "Enviar", "Configurar" and the targets' menu want the targets
// that "Conectar" loaded for the company shown.
#include <string>

namespace kalvora {

struct ActionState {
    bool enabled = false;
    std::string whyNot;  // Windows-1252; "" when enabled
};

struct WindowActions {
    ActionState conectar;
    ActionState targets;  // "Enviar", "Configurar", "Vista previa…", "Verificar…"
};

// companyChosen: the company box shows a company. targetsLoaded: "Conectar" has loaded the
// targets of that very company.
WindowActions windowActions(bool companyChosen, bool targetsLoaded);

}  // namespace kalvora
