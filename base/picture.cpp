#include "base/picture.h"

#include <string_view>
#include <vector>

namespace kalvora {

namespace {

// A field (a run of one picture letter) or, with field 0, literal text.
struct Token {
    char field = 0;
    int width = 0;
    std::string text;
};

bool isPictureLetter(char c) { return std::string_view("dMyHhmst").find(c) != std::string_view::npos; }

bool supported(char field, int width)
{
    switch (field) {
    case 'y':
        return width == 2 || width == 4;
    case 't':
        return width <= 2;
    default:
        return width <= 2;
    }
}

std::vector<Token> tokenize(std::string_view picture)
{
    std::vector<Token> tokens;
    auto literal = [&](std::string_view text) {
        if (tokens.empty() || tokens.back().field != 0)
            tokens.push_back({});
        tokens.back().text += text;
    };
    std::size_t i = 0;
    while (i < picture.size()) {
        const char c = picture[i];
        if (c == '\'') {
            if (i + 1 < picture.size() && picture[i + 1] == '\'') {
                literal("'");
                i += 2;
                continue;
            }
            // Up to the closing quote, or to the end when there is none.
            std::size_t j = i + 1;
            while (j < picture.size()) {
                if (picture[j] == '\'' && j + 1 < picture.size() && picture[j + 1] == '\'') {
                    literal("'");
                    j += 2;
                } else if (picture[j] == '\'') {
                    break;
                } else {
                    literal(picture.substr(j++, 1));
                }
            }
            i = j + 1;
        } else if (isPictureLetter(c)) {
            std::size_t j = i;
            while (j < picture.size() && picture[j] == c)
                ++j;
            const int width = int(j - i);
            if (supported(c, width))
                tokens.push_back({c, width, std::string(picture.substr(i, j - i))});
            else
                literal(picture.substr(i, j - i));
            i = j;
        } else {
            literal(picture.substr(i++, 1));
        }
    }
    return tokens;
}

std::string number(int n, int width)
{
    std::string digits = std::to_string(n);
    if (int(digits.size()) < width)
        digits.insert(0, std::size_t(width) - digits.size(), '0');
    return digits;
}

}  // namespace

std::string formatDate(const Date& date, const std::string& picture)
{
    std::string out;
    for (const auto& t : tokenize(picture)) {
        switch (t.field) {
        case 'd':
            out += number(date.day, t.width);
            break;
        case 'M':
            out += number(date.month, t.width);
            break;
        case 'y':
            out += number(t.width == 2 ? date.year % 100 : date.year, t.width);
            break;
        default:
            out += t.text;
        }
    }
    return out;
}

std::string formatTime(const TimeOfDay& time, const std::string& picture, const TimeDesignators& designators)
{
    std::string out;
    for (const auto& t : tokenize(picture)) {
        switch (t.field) {
        case 'H':
            out += number(time.hour, t.width);
            break;
        case 'h':
            out += number(time.hour % 12 == 0 ? 12 : time.hour % 12, t.width);
            break;
        case 'm':
            out += number(time.minute, t.width);
            break;
        case 's':
            out += number(time.second, t.width);
            break;
        case 't': {
            const std::string& designator = time.hour < 12 ? designators.am : designators.pm;
            out += t.width == 1 ? designator.substr(0, 1) : designator;
            break;
        }
        default:
            out += t.text;
        }
    }
    return out;
}

std::optional<Date> parseDate(const std::string& text, const std::string& picture)
{
    std::string_view rest = text;
    while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t'))
        rest.remove_prefix(1);
    while (!rest.empty() && (rest.back() == ' ' || rest.back() == '\t'))
        rest.remove_suffix(1);

    auto digits = [&](std::size_t most) -> std::optional<std::pair<int, std::size_t>> {
        std::size_t n = 0;
        int value = 0;
        while (n < most && n < rest.size() && rest[n] >= '0' && rest[n] <= '9')
            value = value * 10 + (rest[n++] - '0');
        if (n == 0)
            return std::nullopt;
        rest.remove_prefix(n);
        return std::pair{value, n};
    };

    int day = 0, month = 0, year = 0;
    for (const auto& t : tokenize(picture)) {
        if (t.field == 0) {
            if (!rest.starts_with(t.text))
                return std::nullopt;
            rest.remove_prefix(t.text.size());
            continue;
        }
        if (t.field != 'd' && t.field != 'M' && t.field != 'y')
            return std::nullopt;
        const auto read = digits(t.field == 'y' ? std::size_t(t.width) : 2);
        if (!read)
            return std::nullopt;
        if (t.field == 'd')
            day = read->first;
        else if (t.field == 'M')
            month = read->first;
        else
            year = read->second <= 2 ? (read->first < 30 ? 2000 : 1900) + read->first : read->first;
    }
    if (!rest.empty() || year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
        day > daysInMonth(year, month))
        return std::nullopt;
    return Date{year, month, day};
}

}  // namespace kalvora
