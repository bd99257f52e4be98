#include "data/field.h"

#include "base/errors.h"
#include "base/picture.h"
#include "data/date_text.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

namespace kalvora {

namespace {

// What a NUMERIC's storage can hold, for a column whose declared precision is unknown.
int precisionOfStorage(unsigned type)
{
    switch (type) {
    case SQL_SHORT:
        return 4;
    case SQL_LONG:
        return 9;
    default:
        return 18;
    }
}

std::string trimRight(std::string s)
{
    const auto end = s.find_last_not_of(' ');
    s.erase(end == std::string::npos ? 0 : end + 1);
    return s;
}

std::int64_t pow10(int n)
{
    std::int64_t p = 1;
    while (n-- > 0)
        p *= 10;
    return p;
}

// "12.345", "-0.5", "7": exact, without going through a double.
std::optional<Scaled> parseDecimal(const std::string& text)
{
    std::string s = text;
    const auto first = s.find_first_not_of(' ');
    if (first == std::string::npos)
        return std::nullopt;
    s = trimRight(s.substr(first));
    bool negative = false;
    std::size_t i = 0;
    if (s[i] == '-' || s[i] == '+')
        negative = s[i++] == '-';
    std::int64_t value = 0;
    int scale = 0;
    bool digits = false;
    bool point = false;
    for (; i < s.size(); ++i) {
        if (s[i] == '.' || s[i] == ',') {
            if (point)
                return std::nullopt;
            point = true;
        } else if (s[i] >= '0' && s[i] <= '9') {
            if (value > (INT64_MAX - 9) / 10)
                return std::nullopt;
            value = value * 10 + (s[i] - '0');
            digits = true;
            if (point)
                --scale;
        } else {
            return std::nullopt;
        }
    }
    if (!digits)
        return std::nullopt;
    return Scaled{negative ? -value : value, scale};
}

std::optional<TimeOfDay> parseTime(const std::string& text)
{
    TimeOfDay t;
    int n = 0;
    if (std::sscanf(text.c_str(), " %d:%d:%d%n", &t.hour, &t.minute, &t.second, &n) < 2)
        return std::nullopt;
    if (t.hour < 0 || t.hour > 23 || t.minute < 0 || t.minute > 59 || t.second < 0 || t.second > 59)
        return std::nullopt;
    return t;
}

[[noreturn]] void cannotConvert(const Value& value, const char* what)
{
    throw Error("'" + value.asText() + "' is not a valid " + what);
}

Date toDate(const Value& value)
{
    if (auto d = std::get_if<Date>(&value.storage()))
        return *d;
    if (auto ts = std::get_if<Timestamp>(&value.storage()))
        return ts->date;
    if (auto s = std::get_if<std::string>(&value.storage())) {
        if (auto d = parseDate(*s, dateTextFormats().shortDate))
            return *d;
        if (auto d = parseDate(*s, "yyyy-MM-dd"))
            return *d;
    }
    cannotConvert(value, "date");
}

TimeOfDay toTime(const Value& value)
{
    if (auto t = std::get_if<TimeOfDay>(&value.storage()))
        return *t;
    if (auto ts = std::get_if<Timestamp>(&value.storage()))
        return ts->time;
    if (auto s = std::get_if<std::string>(&value.storage()))
        if (auto t = parseTime(*s))
            return *t;
    cannotConvert(value, "time");
}

Timestamp toTimestamp(const Value& value)
{
    if (auto ts = std::get_if<Timestamp>(&value.storage()))
        return *ts;
    if (auto d = std::get_if<Date>(&value.storage()))
        return {*d, {}};
    if (auto s = std::get_if<std::string>(&value.storage())) {
        const auto blank = s->find(' ');
        Timestamp ts{toDate(Value(s->substr(0, blank))), {}};
        if (blank != std::string::npos) {
            auto t = parseTime(s->substr(blank + 1));
            if (!t)
                cannotConvert(value, "date and time");
            ts.time = *t;
        }
        return ts;
    }
    cannotConvert(value, "date and time");
}

Scaled toDecimal(const Value& value, int scale)
{
    const auto& v = value.storage();
    if (auto s = std::get_if<Scaled>(&v))
        return *s;
    if (auto i = std::get_if<std::int64_t>(&v))
        return {*i, 0};
    if (auto d = std::get_if<double>(&v)) {
        const double scaled = *d * double(pow10(scale));
        if (scaled > -9223372036854775808.0 && scaled < 9223372036854775808.0)
            return {std::llround(scaled), -scale};
    }
    if (auto s = std::get_if<std::string>(&v))
        if (auto parsed = parseDecimal(*s))
            return *parsed;
    cannotConvert(value, "decimal value");
}

}  // namespace

bool isExactDecimal(const fb::Column& column)
{
    return column.scale < 0 && (column.type == SQL_SHORT || column.type == SQL_LONG || column.type == SQL_INT64);
}

FieldDef fieldDefFor(const fb::Column& column, int declaredPrecision)
{
    FieldDef d;
    d.name = column.name;
    d.label = column.name;
    d.required = !column.nullable;
    d.size = column.length;
    if (isExactDecimal(column)) {
        d.scale = -column.scale;
        d.precision = declaredPrecision > 0 ? declaredPrecision : precisionOfStorage(column.type);
        d.type = d.precision <= 14 && d.scale <= 4 ? FieldType::Bcd : FieldType::FmtBcd;
        return d;
    }
    switch (column.type) {
    case SQL_SHORT:
        d.type = FieldType::SmallInt;
        break;
    case SQL_LONG:
        d.type = FieldType::Integer;
        break;
    case SQL_INT64:
        d.type = FieldType::LargeInt;
        break;
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case SQL_D_FLOAT:
        d.type = FieldType::Float;
        break;
    case SQL_TEXT:
        d.type = FieldType::FixedChar;
        break;
    case SQL_VARYING:
        d.type = FieldType::String;
        break;
    case SQL_TYPE_DATE:
        d.type = FieldType::Date;
        break;
    case SQL_TYPE_TIME:
        d.type = FieldType::Time;
        break;
    case SQL_TIMESTAMP:
        d.type = FieldType::Timestamp;
        break;
    case SQL_BLOB:
        d.type = column.subType == 1 ? FieldType::Memo : FieldType::Blob;
        break;
    case SQL_BOOLEAN:
        d.type = FieldType::Boolean;
        break;
    default:
        throw Error("Field '" + column.name + "' has a type this program does not handle");
    }
    return d;
}

Value convertForField(const FieldDef& def, const Value& value)
{
    if (value.isNull())
        return {};
    switch (def.type) {
    case FieldType::SmallInt:
    case FieldType::Integer:
    case FieldType::LargeInt:
        return value.asInteger();
    case FieldType::Float:
        return value.asDouble();
    case FieldType::Bcd:
        return Value::currency(value.asCurrency());
    case FieldType::FmtBcd:
        return toDecimal(value, def.scale);
    case FieldType::String:
    case FieldType::FixedChar:
        return trimRight(value.asText());
    case FieldType::Date:
        return toDate(value);
    case FieldType::Time:
        return toTime(value);
    case FieldType::Timestamp:
        return toTimestamp(value);
    case FieldType::Blob:
    case FieldType::Memo:
        if (auto b = std::get_if<BlobBytes>(&value.storage()))
            return *b;
        return BlobBytes{value.asText()};
    case FieldType::Boolean:
        if (auto b = std::get_if<bool>(&value.storage()))
            return *b;
        if (auto s = std::get_if<std::string>(&value.storage())) {
            if (*s == "True" || *s == "TRUE" || *s == "true")
                return true;
            if (*s == "False" || *s == "FALSE" || *s == "false")
                return false;
            cannotConvert(value, "boolean value");
        }
        return value.asInteger() != 0;
    }
    return value;
}

}  // namespace kalvora
