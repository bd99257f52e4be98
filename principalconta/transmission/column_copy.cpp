#include "principalconta/transmission/column_copy.h"

#include "base/errors.h"

namespace kalvora {

const Value& sourceColumn(const Query& origen, RowStore& destino, int i)
{
    if (std::size_t(i) < origen.fieldCount())
        return origen.field(std::size_t(i));
    // The tables are copied by position, so the user has to line them up, not the program.
    const std::string table = origen.fieldCount() > 0 ? origen.column(0).relation : std::string();
    throw Error("La tabla " + table + " de la base de datos destino tiene " + std::to_string(destino.fieldCount()) +
                " columnas y la de origen solo " + std::to_string(origen.fieldCount()) +
                ": las dos deben tener las mismas columnas en el mismo orden.");
}

Value copiedValue(const FieldDef& destino, const Value& origen)
{
    if (destino.type == FieldType::FmtBcd)
        return Value::currency(origen.asCurrency());
    return origen;
}

void copiar_campos(RowStore& destino, const Query& origen)
{
    const int count = destino.fieldCount();
    for (int i = 0; i < count; ++i) {
        Field target = destino.field(i);
        target.setValue(copiedValue(target.def(), sourceColumn(origen, destino, i)));
    }
}

}  // namespace kalvora
