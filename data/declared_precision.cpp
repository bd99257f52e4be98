#include "data/declared_precision.h"

namespace kalvora {

namespace {

constexpr const char* kPrecisionsOfTable =
    "SELECT RF.RDB$FIELD_NAME, F.RDB$FIELD_PRECISION FROM RDB$RELATION_FIELDS RF"
    " JOIN RDB$FIELDS F ON F.RDB$FIELD_NAME = RF.RDB$FIELD_SOURCE WHERE RF.RDB$RELATION_NAME = ?";

// The system tables keep names in blank-padded CHAR columns.
std::string withoutPadding(std::string name)
{
    const auto end = name.find_last_not_of(' ');
    name.erase(end == std::string::npos ? 0 : end + 1);
    return name;
}

}  // namespace

int DeclaredPrecisions::of(const fb::Column& column, const Reader& read)
{
    if (column.relation.empty() || column.field.empty())
        return 0;
    auto table = tables_.find(column.relation);
    if (table == tables_.end()) {
        std::map<std::string, int> precisions;
        for (const fb::Row& row : read(kPrecisionsOfTable, {Value(column.relation)}).rows)
            precisions[withoutPadding(row.at(0).asText())] = int(row.at(1).asInteger());
        table = tables_.emplace(column.relation, std::move(precisions)).first;
    }
    const auto field = table->second.find(column.field);
    return field == table->second.end() ? 0 : field->second;
}

}  // namespace kalvora
