#include "principalconta/transmission/column_copy.h"

namespace kalvora {

void copiar_campos(RowStore& destino, const Query& origen)
{
    const int count = destino.fieldCount();
    for (int i = 0; i < count; ++i) {
        const Value& value = origen.field(std::size_t(i));
        Field target = destino.field(i);
        if (target.def().type == FieldType::FmtBcd)
            target.setCurrency(value.asCurrency());
        else
            target.setValue(value);
    }
}

}  // namespace kalvora
