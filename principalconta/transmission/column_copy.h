#pragma once
// Fills the destination row being inserted or edited from a source row, column by position.
#include "data/connection.h"
#include "data/row_store.h"

namespace kalvora {

// Wide decimals (FMT BCD) cross as currency: four decimals at most, null becomes 0. Every
// other column takes the source value as it is, null included. Raises when the source has
// fewer columns than the destination or a value does not fit its column.
void copiar_campos(RowStore& destino, const Query& origen);

}  // namespace kalvora
