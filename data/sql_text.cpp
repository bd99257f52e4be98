#include "data/sql_text.h"

#include "base/picture.h"

namespace kalvora {

std::string quoted(const std::string& text)
{
    std::string out;
    out.reserve(text.size() + 2);
    out += '\'';
    for (char ch : text) {
        if (ch == '\'')
            out += '\'';
        out += ch;
    }
    out += '\'';
    return out;
}

std::string quotedDate(const Date& date) { return quoted(formatDate(date, "yyyy-MM-dd")); }

}  // namespace kalvora
