#pragma once
// Explains the row stores' data errors in Spanish: the raw message, a beep, then an error
// box with a composed text; every error is answered with abort.
#include "data/row_store.h"
#include "ui/dialogs.h"

#include <string>

namespace kalvora {

class Componentes;

// The error box's text. rows is null, or sender is set, for reports from a provider.
std::string textoErrorDatos(RowStore* rows, bool fromProvider, const std::string& message);

void ManejarError(Dialogs& dialogs, const std::string* sender, RowStore* rows, const std::string& message,
                  UpdateKind kind, UpdateResponse& response);
void ManejarClientError(Dialogs& dialogs, RowStore& rows, const std::string& message, DataAction& action);

// Binds both handlers to every row store of the main window's components.
void ConfigurarProviders(Componentes& owner, Dialogs& dialogs);

}  // namespace kalvora
