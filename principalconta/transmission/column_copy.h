#pragma once
// Fills the destination row being inserted or edited from a source row, column by position.
#include "data/connection.h"
#include "data/row_store.h"

namespace kalvora {

// Wide decimals (FMT BCD) cross as currency: four decimals at most, null becomes 0. Every
// other column takes the source value as it is, null included. Raises when the source has
// fewer columns than the destination or a value does not fit its column.
void copiar_campos(RowStore& destino, const Query& origen);

// What copiar_campos hands to a destination field of this kind for a source value.
Value copiedValue(const FieldDef& destino, const Value& origen);

// Source column i for destination column i; raises, naming the table, when the source table
// has fewer columns than the destination's.
const Value& sourceColumn(const Query& origen, RowStore& destino, int i);

}  // namespace kalvora
