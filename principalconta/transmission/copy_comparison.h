#pragma once
// Whether a destination column holds what a copy of the source value would have written.
#include "data/field.h"
#include "data/value.h"

namespace kalvora {

// How the value crossed: headers take the source value as it is, lines, accounts and third
// parties go through copiar_campos.
enum class CopyPath { AsIs, ColumnCopy };

// What the copy does on its way is no difference: trailing blanks dropped, wide decimals
// cut to four places and null made 0, and the rounding to the column's own scale.
bool sameAsCopied(const FieldDef& destino, const Value& origen, const Value& enDestino, CopyPath path);

}  // namespace kalvora
