#pragma once
// The fields of a row store: their types, derived from the column types, and a handle to
// read and write one field of the current row.
#include "data/firebird.h"
#include "data/value.h"

#include <cstdint>
#include <string>

namespace kalvora {

enum class FieldType {
    SmallInt,
    Integer,
    LargeInt,
    Float,
    String,
    FixedChar,
    Date,
    Time,
    Timestamp,
    Blob,
    Memo,
    Bcd,     // exact decimal held as currency (precision <= 14, scale <= 4)
    FmtBcd,  // exact decimal of up to 32 digits
    Boolean,
};

struct FieldDef {
    std::string name;
    std::string label;  // shown in messages and grid titles; the name unless declared
    FieldType type = FieldType::String;
    unsigned size = 0;  // bytes of text, or the data size of other types
    int scale = 0;      // decimals of Bcd and FmtBcd
    int precision = 0;
    bool required = false;
    bool readOnly = false;
};

// A NUMERIC or DECIMAL column: an integer storage type with decimals.
bool isExactDecimal(const fb::Column& column);

// declaredPrecision: what the column's table records (see DeclaredPrecisions); where that
// is 0 the precision follows the storage type (SMALLINT 4, INTEGER 9, BIGINT 18).
FieldDef fieldDefFor(const fb::Column& column, int declaredPrecision = 0);

// Converts a value to what a field of that type holds; text loses trailing blanks.
// Throws Error when it cannot.
Value convertForField(const FieldDef& def, const Value& value);

class RowStore;

class Field {
public:
    Field(RowStore& store, int index) : store_(&store), index_(index) {}

    const FieldDef& def() const;
    const std::string& name() const { return def().name; }
    int index() const { return index_; }

    bool isNull() const { return value().isNull(); }
    const Value& value() const;
    std::string asText() const { return value().asText(); }
    std::int64_t asInteger() const { return value().asInteger(); }
    std::int64_t asCurrency() const { return value().asCurrency(); }

    // Writing needs the insert or edit state; the value is converted to the field's type.
    void setValue(const Value& value);
    void setInteger(std::int64_t v) { setValue(Value(v)); }
    void setCurrency(std::int64_t tenThousandths) { setValue(Value::currency(tenThousandths)); }
    void setText(const std::string& text) { setValue(Value(text)); }
    void clear() { setValue(Value()); }

private:
    RowStore* store_;
    int index_;
};

}  // namespace kalvora
