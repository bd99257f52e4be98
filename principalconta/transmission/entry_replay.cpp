#include "principalconta/transmission/entry_replay.h"

#include "data/connection.h"
#include "data/schema.h"
#include "principalconta/componentes.h"
#include "principalconta/transmission/master_data_replication.h"
#include "principalconta/transmission/voucher_replication.h"

namespace kalvora {

void replayEntry(RunContext& run)
{
    const Query& entry = run.c.QAuditor;
    switch (entry.field("TIDO_COD").asInteger()) {
    case schema::kTidoComprobante:
        if (entry.field("AUDI_OPER").asText() == schema::kOperBorrado)
            borrar_comprobante(run);
        else
            replicar_comprobante(run);
        break;
    case schema::kTidoCuenta:
        replicar_cuenta(run);
        break;
    case schema::kTidoTercero:
        replicar_tercero(run);
        break;
    default:
        break;
    }
}

std::string entryItem(const Query& entry)
{
    const std::string codigo = entry.field("AUDI_COD").asText();
    switch (entry.field("TIDO_COD").asInteger()) {
    case schema::kTidoComprobante:
        return (entry.field("AUDI_OPER").asText() == schema::kOperBorrado ? "Borrado del comprobante "
                                                                          : "Comprobante ") +
               entry.field("AUDI_TICO").asText() + " " + codigo;
    case schema::kTidoCuenta:
        return "Cuenta " + codigo;
    default:
        return "Tercero " + codigo;
    }
}

RefusalCapture::RefusalCapture(RowStore& store) : store_(store), update_(store.onUpdateError), post_(store.onPostError)
{
    store.onUpdateError = [this](const UpdateError& e, UpdateResponse& response) {
        text = e.message;
        if (update_)
            update_(e, response);
    };
    store.onPostError = [this](RowStore& rows, const std::string& message, DataAction& action) {
        text = message;
        if (post_)
            post_(rows, message, action);
    };
}

RefusalCapture::~RefusalCapture()
{
    store_.onUpdateError = update_;
    store_.onPostError = post_;
}

}  // namespace kalvora
