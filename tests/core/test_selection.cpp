#include "principalconta/transmission/selection.h"

#include <gtest/gtest.h>

namespace kalvora {
namespace {

const std::string kPending =
    "select * from auditoria where audi_envio = 'N' and ((tido_cod = 1) or (tido_cod = 100) or "
    "(tido_cod = 102))";

TEST(Selection, PrefixesJoinTheDateRangeAndTheOrderWithoutABlank)
{
    EXPECT_EQ(selectionText({2026, 12, 1}, {2026, 12, 31}, {"CE", "FAC"}),
              kPending +
                  " and audi_fecha >= '2026-12-01' and audi_fecha <= '2026-12-31' and ((substring(audi_cod from 1 for "
                  "2) = 'CE') or (substring(audi_cod from 1 for 3) = 'FAC'))order by audi_fecha, audi_hora, audi_id");
}

TEST(Selection, WithoutPrefixesEveryCodeIsTaken)
{
    EXPECT_EQ(
        selectionText({2026, 2, 3}, {2026, 2, 3}, {}),
        kPending +
            " and audi_fecha >= '2026-02-03' and audi_fecha <= '2026-02-03'order by audi_fecha, audi_hora, audi_id");
}

TEST(Selection, PrefixesAreDataEvenWithQuotesOrEmpty)
{
    const std::string text = selectionText({2026, 1, 1}, {2026, 1, 2}, {"O'N", ""});
    EXPECT_NE(text.find(" and ((substring(audi_cod from 1 for 3) = 'O''N') or (substring(audi_cod from 1 for 0) = ''))"
                        "order by"),
              std::string::npos)
        << text;
}

}  // namespace
}  // namespace kalvora
