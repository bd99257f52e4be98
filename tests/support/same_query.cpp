#include "support/same_query.h"

#include <gtest/gtest.h>

#include <tuple>

namespace kalvora::test {

void expectSameQuery(Query& got, Query& expected)
{
    const auto column = [](const fb::Column& c) {
        return std::tie(c.name, c.field, c.relation, c.type, c.subType, c.scale, c.length, c.charSet, c.nullable);
    };
    EXPECT_EQ(got.sql(), expected.sql());
    ASSERT_EQ(got.fieldCount(), expected.fieldCount());
    for (std::size_t i = 0; i < got.fieldCount(); ++i)
        EXPECT_EQ(column(got.column(i)), column(expected.column(i)));
    ASSERT_EQ(got.recordCount(), expected.recordCount());
    for (got.first(), expected.first(); !expected.eof(); got.next(), expected.next())
        for (std::size_t i = 0; i < expected.fieldCount(); ++i)
            EXPECT_EQ(got.field(i), expected.field(i)) << expected.column(i).name;
}

}  // namespace kalvora::test
