#include "base/errors.h"
#include "data/resolver.h"
#include "data/row_store.h"

#include <gtest/gtest.h>

namespace kalvora {
namespace {

FieldDef def(const std::string& name, FieldType type, unsigned size = 4)
{
    FieldDef d;
    d.name = name;
    d.label = name;
    d.type = type;
    d.size = size;
    return d;
}

const std::vector<FieldDef> kFields{def("ID", FieldType::Integer), def("NOMBRE", FieldType::String, 60),
                                    def("NOTAS", FieldType::Memo, 8), def("LARGO", FieldType::String, 8192),
                                    def("CASI", FieldType::String, 8191)};

TEST(Resolver, InsertListsOnlyAssignedFieldsNullIncluded)
{
    RowChange c{UpdateKind::Insert, {}, {Value(7), std::nullopt, Value(), std::nullopt, Value("x")}};
    const auto s = buildStatement("\"T\"", kFields, c, '"');
    ASSERT_TRUE(s);
    EXPECT_EQ(s->text, "insert into \"T\"\n  (\"ID\", \"NOTAS\", \"CASI\")\nvalues\n  (?, ?, ?)");
    ASSERT_EQ(s->params.size(), 3u);
    EXPECT_EQ(s->params[0], Value(7));
    EXPECT_TRUE(s->params[1].isNull());
}

TEST(Resolver, UpdateComparesEveryEligibleOldValueAndNullsWithIsNull)
{
    RowChange c{UpdateKind::Modify,
                {Value(1), Value(), Value(BlobBytes{"b"}), Value("long"), Value("short")},
                {std::nullopt, Value("nuevo"), std::nullopt, std::nullopt, std::nullopt}};
    const auto s = buildStatement("\"T\"", kFields, c, '"');
    ASSERT_TRUE(s);
    EXPECT_EQ(s->text,
              "update \"T\"  set\n \"NOMBRE\" = ?\nwhere\n \"ID\" = ? and\n \"NOMBRE\" is null and\n \"CASI\" = ?");
    ASSERT_EQ(s->params.size(), 3u);
    EXPECT_EQ(s->params[0], Value("nuevo"));
    EXPECT_EQ(s->params[1], Value(1));
    EXPECT_EQ(s->params[2], Value("short"));
}

TEST(Resolver, UpdateWithSeveralWrittenFieldsSeparatesThemWithCommas)
{
    RowChange c{UpdateKind::Modify,
                {Value(1), Value("a"), Value(), Value(), Value()},
                {Value(2), Value("b"), std::nullopt, std::nullopt, std::nullopt}};
    const auto s = buildStatement("\"T\"", kFields, c, '"');
    ASSERT_TRUE(s);
    EXPECT_TRUE(s->text.starts_with("update \"T\"  set\n \"ID\" = ?,\n \"NOMBRE\" = ?\nwhere\n"));
}

TEST(Resolver, DeleteHasATrailingBlankAndTheWhereLines)
{
    RowChange c{UpdateKind::Delete, {Value(1), Value("a"), Value(), Value(), Value()}, {}};
    c.newValues.resize(5);
    const auto s = buildStatement("\"T\"", kFields, c, '"');
    ASSERT_TRUE(s);
    EXPECT_EQ(s->text, "delete from \"T\" \nwhere\n \"ID\" = ? and\n \"NOMBRE\" = ? and\n \"CASI\" is null");
}

TEST(Resolver, ReadOnlyAndUnassignedFieldsAreNotWrittenAndAChangeWithoutWritesIsNoStatement)
{
    auto fields = kFields;
    fields[1].readOnly = true;
    RowChange c{UpdateKind::Modify,
                {Value(1), Value("a"), Value(), Value(), Value()},
                {std::nullopt, Value("b"), std::nullopt, std::nullopt, std::nullopt}};
    EXPECT_FALSE(buildStatement("\"T\"", fields, c, '"'));
}

TEST(Resolver, NoComparableFieldMeansTheRowCannotBeFound)
{
    const std::vector<FieldDef> onlyBlobs{def("A", FieldType::Blob), def("B", FieldType::String, 9000)};
    RowChange c{UpdateKind::Delete, {Value(), Value()}, {std::nullopt, std::nullopt}};
    try {
        buildStatement("\"T\"", onlyBlobs, c, '"');
        FAIL();
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Unable to find record.  No key specified");
    }
}

TEST(Resolver, TableNameIsTheFirstIdentifierAfterFromAsWritten)
{
    EXPECT_EQ(tableFromCommandText("SELECT * FROM COMPROBANTE_DETALLE WHERE ENCO_CONSEC = 5"), "COMPROBANTE_DETALLE");
    EXPECT_EQ(tableFromCommandText("select * from cuentas;"), "cuentas");
    EXPECT_EQ(tableFromCommandText("select 'from x' as a from\n  esquema.TABLA t"), "esquema.TABLA");
    EXPECT_EQ(tableFromCommandText("select * from \"Mixta\" where 1=1"), "\"Mixta\"");
    EXPECT_EQ(tableFromCommandText("select fromage from t"), "t");
    EXPECT_EQ(tableFromCommandText("execute procedure p"), "");
    EXPECT_EQ(quoteTableName("esquema.TABLA", '"'), "\"esquema\".\"TABLA\"");
    EXPECT_EQ(quoteTableName("\"Mixta\"", '"'), "\"Mixta\"");
}

}  // namespace
}  // namespace kalvora
