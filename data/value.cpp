#include "data/value.h"

#include "base/errors.h"
#include "base/picture.h"
#include "data/date_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>

namespace kalvora {

namespace {

std::int64_t power10(int n)
{
    std::int64_t p = 1;
    while (n-- > 0)
        p *= 10;
    return p;
}

// The nearest whole number; nothing for one beyond 64 bits, or no number at all.
std::optional<std::int64_t> rounded(double d)
{
    if (!(d > -9223372036854775808.0 && d < 9223372036854775808.0))
        return std::nullopt;
    return std::llround(d);
}

std::string scaledText(const Scaled& s)
{
    if (s.scale >= 0)
        return std::to_string(s.value * power10(s.scale));
    const std::int64_t div = power10(-s.scale);
    const bool negative = s.value < 0;
    const std::uint64_t magnitude = negative ? 0 - std::uint64_t(s.value) : std::uint64_t(s.value);
    std::string fraction = std::to_string(magnitude % std::uint64_t(div));
    fraction.insert(0, std::size_t(-s.scale) - fraction.size(), '0');
    return (negative ? "-" : "") + std::to_string(magnitude / std::uint64_t(div)) + "." + fraction;
}

std::string doubleText(double d)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15g", d);
    return buffer;
}

std::int64_t parseInteger(const std::string& text)
{
    std::int64_t v = 0;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    while (first < last && *first == ' ')
        ++first;
    while (last > first && last[-1] == ' ')
        --last;
    if (first < last && *first == '+')
        ++first;
    const auto [end, ec] = std::from_chars(first, last, v);
    if (ec != std::errc() || end != last || first == last)
        throw Error("'" + text + "' is not a valid integer value");
    return v;
}

double parseDouble(const std::string& text)
{
    char* end = nullptr;
    const double d = std::strtod(text.c_str(), &end);
    if (text.empty() || end != text.c_str() + text.size())
        throw Error("'" + text + "' is not a valid floating point value");
    return d;
}

}  // namespace

std::optional<std::int64_t> rescale(const Scaled& s, int scale)
{
    if (s.scale == scale)
        return s.value;
    if (s.scale < scale) {
        const std::int64_t div = power10(scale - s.scale);
        const std::int64_t q = s.value / div;
        const std::int64_t r = s.value % div;
        if (2 * (r < 0 ? -r : r) >= div)
            return q + (s.value < 0 ? -1 : 1);
        return q;
    }
    std::int64_t out = 0;
    if (__builtin_mul_overflow(s.value, power10(s.scale - scale), &out))
        return std::nullopt;
    return out;
}

std::string Value::asText() const
{
    return std::visit(
        [](const auto& x) -> std::string {
            using T = std::decay_t<decltype(x)>;
            if constexpr (std::is_same_v<T, std::monostate>)
                return {};
            else if constexpr (std::is_same_v<T, std::int64_t>)
                return std::to_string(x);
            else if constexpr (std::is_same_v<T, Scaled>)
                return scaledText(x);
            else if constexpr (std::is_same_v<T, double>)
                return doubleText(x);
            else if constexpr (std::is_same_v<T, std::string>)
                return x;
            else if constexpr (std::is_same_v<T, Date>)
                return dateTextFormats().date(x);
            else if constexpr (std::is_same_v<T, TimeOfDay>)
                return dateTextFormats().time(x);
            else if constexpr (std::is_same_v<T, Timestamp>) {
                const RegionalFormats formats = dateTextFormats();
                return formats.date(x.date) + " " + formats.time(x.time);
            } else if constexpr (std::is_same_v<T, BlobBytes>)
                return x.bytes;
            else
                return x ? "True" : "False";
        },
        v_);
}

std::int64_t Value::asInteger() const
{
    const auto fits = [this](std::optional<std::int64_t> v) {
        if (!v)
            throw Error("'" + asText() + "' is not a valid integer value");
        return *v;
    };
    return std::visit(
        [&](const auto& x) -> std::int64_t {
            using T = std::decay_t<decltype(x)>;
            if constexpr (std::is_same_v<T, std::monostate>)
                return 0;
            else if constexpr (std::is_same_v<T, std::int64_t>)
                return x;
            else if constexpr (std::is_same_v<T, Scaled>)
                return fits(rescale(x, 0));
            else if constexpr (std::is_same_v<T, double>)
                return fits(rounded(x));
            else if constexpr (std::is_same_v<T, std::string>)
                return parseInteger(x);
            else if constexpr (std::is_same_v<T, bool>)
                return x ? 1 : 0;
            else
                return fits(std::nullopt);
        },
        v_);
}

// Currency holds ±922337203685477.5807: a larger amount is refused, never wrapped around.
std::int64_t Value::asCurrency() const
{
    const auto fits = [this](std::optional<std::int64_t> v) {
        if (!v)
            throw Error("'" + asText() + "' is not a valid currency value");
        return *v;
    };
    return std::visit(
        [&](const auto& x) -> std::int64_t {
            using T = std::decay_t<decltype(x)>;
            if constexpr (std::is_same_v<T, std::monostate>)
                return 0;
            else if constexpr (std::is_same_v<T, std::int64_t>)
                return fits(rescale(Scaled{x, 0}, -4));
            else if constexpr (std::is_same_v<T, Scaled>)
                return fits(rescale(x, -4));
            else if constexpr (std::is_same_v<T, double>)
                return fits(rounded(x * 10000.0));
            else if constexpr (std::is_same_v<T, std::string>)
                return fits(rounded(parseDouble(x) * 10000.0));
            else
                return fits(std::nullopt);
        },
        v_);
}

double Value::asDouble() const
{
    return std::visit(
        [this](const auto& x) -> double {
            using T = std::decay_t<decltype(x)>;
            if constexpr (std::is_same_v<T, std::monostate>)
                return 0;
            else if constexpr (std::is_same_v<T, std::int64_t>)
                return double(x);
            else if constexpr (std::is_same_v<T, Scaled>)
                return double(x.value) / double(power10(-x.scale));
            else if constexpr (std::is_same_v<T, double>)
                return x;
            else if constexpr (std::is_same_v<T, std::string>)
                return parseDouble(x);
            else
                throw Error("'" + asText() + "' is not a valid floating point value");
        },
        v_);
}

}  // namespace kalvora
