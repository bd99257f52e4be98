#pragma once
// A query read ahead must be what the run's own select reads: same text, columns, rows and
// order.
#include "data/connection.h"

namespace kalvora::test {

void expectSameQuery(Query& got, Query& expected);

}  // namespace kalvora::test
