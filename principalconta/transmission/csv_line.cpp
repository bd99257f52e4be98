#include "principalconta/transmission/csv_line.h"

namespace kalvora {

namespace {

std::string csvField(const std::string& text, std::string_view separator)
{
    if (text.find_first_of("\"\r\n") == std::string::npos && text.find(separator) == std::string::npos)
        return text;
    std::string out = "\"";
    for (char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + "\"";
}

}  // namespace

std::string csvLine(const std::vector<std::string>& fields, std::string_view separator)
{
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += separator;
        line += csvField(fields[i], separator);
    }
    return line + "\r\n";
}

}  // namespace kalvora
