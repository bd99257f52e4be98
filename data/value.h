#pragma once
// A column value as it crosses between Firebird and the program. Text stays bytes.
#include "base/calendar.h"

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

namespace kalvora {

// An exact decimal: value × 10^scale (scale <= 0), as Firebird stores NUMERIC.
struct Scaled {
    std::int64_t value = 0;
    int scale = 0;
    bool operator==(const Scaled&) const = default;
};

// s at another scale, rounded half away from zero when decimals go, as the server stores
// it; nothing when the result passes 64 bits.
std::optional<std::int64_t> rescale(const Scaled& s, int scale);

// BLOB contents, read whole.
struct BlobBytes {
    std::string bytes;
    bool operator==(const BlobBytes&) const = default;
};

class Value {
public:
    using Storage = std::variant<std::monostate, std::int64_t, Scaled, double, std::string, Date, TimeOfDay, Timestamp,
                                 BlobBytes, bool>;

    Value() = default;
    Value(std::int64_t v) : v_(v) {}
    Value(int v) : v_(std::int64_t{v}) {}
    Value(Scaled v) : v_(v) {}
    Value(double v) : v_(v) {}
    Value(std::string v) : v_(std::move(v)) {}
    Value(const char* v) : v_(std::string(v)) {}
    Value(Date v) : v_(v) {}
    Value(TimeOfDay v) : v_(v) {}
    Value(Timestamp v) : v_(v) {}
    Value(BlobBytes v) : v_(std::move(v)) {}
    Value(bool v) : v_(v) {}

    static Value currency(std::int64_t tenThousandths) { return Scaled{tenThousandths, -4}; }

    bool isNull() const { return std::holds_alternative<std::monostate>(v_); }
    const Storage& storage() const { return v_; }

    // Null gives "", dates and times use the regional formats, decimals keep their scale.
    std::string asText() const;
    // Null gives 0; decimals are rounded; text must hold a whole number.
    std::int64_t asInteger() const;
    // Ten-thousandths, rounded to the nearest; null gives 0.
    std::int64_t asCurrency() const;
    double asDouble() const;

    bool operator==(const Value&) const = default;

private:
    Storage v_;
};

}  // namespace kalvora
