#include "principalconta/transmission/document_key.h"

#include "base/text.h"
#include "data/schema.h"
#include "principalconta/componentes.h"

namespace kalvora {

namespace {

struct KeyOfKind {
    const char* field;
    const char* document;  // what the entry fails to name
};

KeyOfKind keyOf(const Query& entry)
{
    switch (entry.field("TIDO_COD").asInteger()) {
    case schema::kTidoComprobante:
        if (entry.field("AUDI_OPER").asText() == schema::kOperBorrado)
            return {"AUDI_COD", "el comprobante que se debe borrar"};
        return {"AUDI_IDDOC", "el comprobante que se debe enviar"};
    case schema::kTidoCuenta:
        return {"AUDI_COD", "la cuenta que se debe enviar"};
    default:
        return {"AUDI_COD", "el tercero que se debe enviar"};
    }
}

}  // namespace

bool hasDocumentKey(const Query& entry) { return !entry.field(keyOf(entry).field).isNull(); }

bool namesItsDocument(RunContext& run)
{
    const Query& entry = run.c.QAuditor;
    const KeyOfKind key = keyOf(entry);
    if (!entry.field(key.field).isNull())
        return true;
    run.dialogs.message(ansi("La entrada de auditoría ") + entry.field("AUDI_ID").asText() + " no indica " +
                        key.document + " (" + key.field + ansi(" está vacío). No se envía y queda pendiente."));
    run.entryFailed = true;
    return false;
}

}  // namespace kalvora
