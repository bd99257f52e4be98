#include "principalconta/transmission/copy_comparison.h"

#include "base/errors.h"
#include "principalconta/transmission/column_copy.h"

#include <optional>
#include <string_view>

namespace kalvora {

namespace {

// The decimal at the column's scale, rounded half away from zero as the server stores it.
std::optional<std::int64_t> atScale(const Value& value, int scale)
{
    Scaled s;
    if (auto exact = std::get_if<Scaled>(&value.storage()))
        s = *exact;
    else if (auto whole = std::get_if<std::int64_t>(&value.storage()))
        s = {*whole, 0};
    else
        return std::nullopt;
    return rescale(s, -scale);
}

std::string_view trimmedRight(std::string_view text) { return text.substr(0, text.find_last_not_of(' ') + 1); }

// Texts compare without their trailing blanks, which the copy drops and CHAR columns add.
bool sameText(const Value& a, const Value& b)
{
    const auto* x = std::get_if<std::string>(&a.storage());
    const auto* y = std::get_if<std::string>(&b.storage());
    if (x && y)
        return trimmedRight(*x) == trimmedRight(*y);
    return trimmedRight(a.asText()) == trimmedRight(b.asText());
}

bool sameStored(const FieldDef& def, const Value& a, const Value& b)
{
    if (a.isNull() || b.isNull())
        return a.isNull() && b.isNull();
    switch (def.type) {
    case FieldType::Bcd:
    case FieldType::FmtBcd: {
        const auto x = atScale(a, def.scale);
        const auto y = atScale(b, def.scale);
        if (x && y)
            return *x == *y;
        break;
    }
    case FieldType::String:
    case FieldType::FixedChar:
        return sameText(a, b);
    default:
        break;
    }
    return a == b;
}

}  // namespace

bool sameAsCopied(const FieldDef& destino, const Value& origen, const Value& enDestino, CopyPath path)
{
    if ((destino.type == FieldType::String || destino.type == FieldType::FixedChar) && !origen.isNull())
        return !enDestino.isNull() && sameText(origen, enDestino);
    try {
        const Value crossed = path == CopyPath::ColumnCopy ? copiedValue(destino, origen) : origen;
        return sameStored(destino, convertForField(destino, crossed), enDestino);
    } catch (const Error&) {
        // A value the copy could not write is not what the destination holds.
        return false;
    }
}

}  // namespace kalvora
