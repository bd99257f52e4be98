#include "principalconta/data_error_dialogs.h"

#include "principalconta/componentes.h"

namespace kalvora {

std::string textoErrorDatos(RowStore* rows, bool fromProvider, const std::string& message)
{
    // Drivers that ended their messages with a line break had it dropped; Firebird's messages
    // end with their last letter, which stays.
    if (!rows || fromProvider) {
        const bool endsBlank = !message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                                                    message.back() == ' ' || message.back() == '\t');
        return endsBlank ? message.substr(0, message.size() - 1) : message;
    }
    const std::string start = message.substr(0, 3);
    if (start == "Fie") {
        std::string list;
        for (int i = 0; i < rows->fieldCount(); ++i)
            if (rows->field(i).def().required && rows->field(i).isNull())
                list += rows->field(i).name() + ", ";
        return "Los campos " + list + " son obligatorios.";
    }
    // The row stores keep no index, so no field ever qualifies here.
    if (start == "Key")
        return "Ya existe un registro con el mismo ";
    // Anything else is shown as it came rather than as an empty box.
    return message;
}

void ManejarError(Dialogs& dialogs, const std::string* sender, RowStore* rows, const std::string& message, UpdateKind,
                  UpdateResponse& response)
{
    response = UpdateResponse::Abort;
    dialogs.message(message);
    const std::string text = textoErrorDatos(rows, sender != nullptr, message);
    dialogs.beep();
    dialogs.error(text);
}

void ManejarClientError(Dialogs& dialogs, RowStore& rows, const std::string& message, DataAction& action)
{
    action = DataAction::Abort;
    UpdateResponse unused = UpdateResponse::Skip;
    ManejarError(dialogs, nullptr, &rows, message, UpdateKind::Insert, unused);
}

void ConfigurarProviders(Componentes& owner, Dialogs& dialogs)
{
    for (RowStore* store : owner.rowStores()) {
        if (!store->providerName().empty())
            store->onUpdateError = [&dialogs](const UpdateError& e, UpdateResponse& response) {
                ManejarError(dialogs, &e.provider, &e.rows, e.message, e.kind, response);
            };
        auto client = [&dialogs](RowStore& rows, const std::string& message, DataAction& action) {
            ManejarClientError(dialogs, rows, message, action);
        };
        store->onPostError = client;
        store->onEditError = client;
        store->onDeleteError = client;
    }
}

}  // namespace kalvora
