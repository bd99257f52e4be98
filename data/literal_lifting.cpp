#include "data/literal_lifting.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <limits>
#include <string_view>

namespace kalvora {

namespace {

enum class Kind { Word, Number, Quoted, Identifier, Symbol };

struct Token {
    Kind kind;
    std::size_t begin;
    std::size_t end;
};

bool isWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$'; }

std::string upper(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

// Splits the text into tokens, leaving out blanks and comments. Nothing when a quote or
// comment is left open, or the text has parameters of its own.
std::optional<std::vector<Token>> scan(const std::string& sql)
{
    std::vector<Token> tokens;
    std::size_t i = 0;
    const std::size_t n = sql.size();
    while (i < n) {
        const char c = sql[i];
        if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
        } else if (c == '-' && i + 1 < n && sql[i + 1] == '-') {
            i = std::min(n, sql.find('\n', i));
        } else if (c == '/' && i + 1 < n && sql[i + 1] == '*') {
            const auto close = sql.find("*/", i + 2);
            if (close == std::string::npos)
                return std::nullopt;
            i = close + 2;
        } else if (c == '\'' || c == '"') {
            // A doubled quote stands for itself inside.
            std::size_t j = i + 1;
            for (;; ++j) {
                if (j >= n)
                    return std::nullopt;
                if (sql[j] == c) {
                    if (j + 1 < n && sql[j + 1] == c)
                        ++j;
                    else
                        break;
                }
            }
            // q'{...}' quotes by other rules; leave such texts alone.
            if (c == '\'' && !tokens.empty() && tokens.back().end == i && tokens.back().kind == Kind::Word &&
                upper(std::string_view(sql).substr(tokens.back().begin, i - tokens.back().begin)) == "Q")
                return std::nullopt;
            tokens.push_back({c == '\'' ? Kind::Quoted : Kind::Identifier, i, j + 1});
            i = j + 1;
        } else if (c == '?' || (c == ':' && i + 1 < n && isWordChar(sql[i + 1]))) {
            return std::nullopt;
        } else if (isWordChar(c)) {
            std::size_t j = i;
            const bool digit = std::isdigit(static_cast<unsigned char>(c)) != 0;
            while (j < n && (isWordChar(sql[j]) || (digit && sql[j] == '.')))
                ++j;
            tokens.push_back({digit ? Kind::Number : Kind::Word, i, j});
            i = j;
        } else {
            static constexpr std::string_view kPairs[] = {"<>", "!=", "^=", "~=", "<=", ">=", "!<",
                                                          "^<", "~<", "!>", "^>", "~>", "||"};
            const auto pair = std::string_view(sql).substr(i, 2);
            const std::size_t length =
                std::find(std::begin(kPairs), std::end(kPairs), pair) != std::end(kPairs) ? 2 : 1;
            tokens.push_back({Kind::Symbol, i, i + length});
            i += length;
        }
    }
    return tokens;
}

bool isComparison(std::string_view symbol)
{
    static constexpr std::string_view kComparisons[] = {"=", "<>", "!=", "^=", "~=", "<", ">", "<=", ">="};
    return std::find(std::begin(kComparisons), std::end(kComparisons), symbol) != std::end(kComparisons);
}

// What may follow a literal that is the whole right-hand side of its comparison.
bool endsComparison(const std::string& sql, const Token* next)
{
    if (!next)
        return true;
    const auto text = std::string_view(sql).substr(next->begin, next->end - next->begin);
    if (next->kind == Kind::Symbol)
        return text == ")" || text == "," || text == ";";
    if (next->kind != Kind::Word)
        return false;
    static const std::string kWords[] = {"AND",  "OR",   "WHERE", "ORDER",     "GROUP", "HAVING",
                                         "PLAN", "ROWS", "UNION", "RETURNING", "FOR"};
    return std::find(std::begin(kWords), std::end(kWords), upper(text)) != std::end(kWords);
}

std::optional<Value> literalValue(const std::string& sql, const Token& token)
{
    const auto text = std::string_view(sql).substr(token.begin, token.end - token.begin);
    if (token.kind == Kind::Quoted) {
        std::string value;
        const auto inner = text.substr(1, text.size() - 2);
        for (std::size_t i = 0; i < inner.size(); ++i) {
            value += inner[i];
            if (inner[i] == '\'')
                ++i;
        }
        return Value(std::move(value));
    }
    if (token.kind == Kind::Number &&
        std::all_of(text.begin(), text.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); })) {
        std::int64_t number = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
        if (error == std::errc() && end == text.data() + text.size())
            return Value(number);
    }
    return std::nullopt;
}

// Texts in a character set of several bytes a character are checked when converted into
// a parameter, not when compared with a literal; only single-byte sets compare alike.
bool singleByte(int charSet)
{
    switch (charSet) {
    case 3:   // UNICODE_FSS
    case 4:   // UTF8
    case 5:   // SJIS_0208
    case 6:   // EUCJ_0208
    case 7:   // JIS_0208
    case 8:   // UNICODE_UCS2
    case 44:  // KSC_5601
    case 56:  // BIG_5
    case 57:  // GB_2312
    case 67:  // GBK
    case 68:  // CP943C
    case 69:  // GB18030
        return false;
    default:
        return true;
    }
}

bool fits(const fb::Column& parameter, const Value& value)
{
    if (const auto* text = std::get_if<std::string>(&value.storage()))
        return (parameter.type == SQL_TEXT || parameter.type == SQL_VARYING) && singleByte(parameter.charSet) &&
               text->size() <= parameter.length;
    if (const auto* number = std::get_if<std::int64_t>(&value.storage())) {
        if (parameter.scale != 0)
            return false;
        switch (parameter.type) {
        case SQL_SHORT:
            return *number <= std::numeric_limits<std::int16_t>::max();
        case SQL_LONG:
            return *number <= std::numeric_limits<std::int32_t>::max();
        case SQL_INT64:
            return true;
        default:
            return false;
        }
    }
    return false;
}

std::string_view textOf(const std::string& sql, const Token& token)
{
    return std::string_view(sql).substr(token.begin, token.end - token.begin);
}

// The whole numbers of "IN (1, 2, 3)" whose "IN" is at tokens[at], and the place of its
// ")"; nothing unless every item is one.
std::optional<std::pair<std::vector<std::size_t>, std::size_t>>
wholeNumberList(const std::string& sql, const std::vector<Token>& tokens, std::size_t at)
{
    if (tokens[at].kind != Kind::Word || upper(textOf(sql, tokens[at])) != "IN" || at + 1 >= tokens.size() ||
        textOf(sql, tokens[at + 1]) != "(")
        return std::nullopt;
    std::vector<std::size_t> items;
    for (std::size_t i = at + 2; i + 1 < tokens.size(); i += 2) {
        if (tokens[i].kind != Kind::Number || !literalValue(sql, tokens[i]))
            return std::nullopt;
        items.push_back(i);
        const auto separator = textOf(sql, tokens[i + 1]);
        if (separator == ")")
            return std::pair{items, i + 1};
        if (separator != ",")
            return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace

std::optional<LiftedText> liftLiterals(const std::string& sql)
{
    const auto tokens = scan(sql);
    if (!tokens)
        return std::nullopt;
    LiftedText lifted;
    std::size_t copied = 0;
    const auto lift = [&](const Token& token, Value value) {
        lifted.text.append(sql, copied, token.begin - copied);
        lifted.text += '?';
        copied = token.end;
        lifted.values.push_back(std::move(value));
    };
    for (std::size_t i = 1; i < tokens->size(); ++i) {
        const Token& token = (*tokens)[i];
        const Token& previous = (*tokens)[i - 1];
        // A list of keys is as much a compared value as one key is.
        if (const auto list = wholeNumberList(sql, *tokens, i)) {
            for (const std::size_t item : list->first)
                lift((*tokens)[item], *literalValue(sql, (*tokens)[item]));
            i = list->second;
            continue;
        }
        if (previous.kind != Kind::Symbol ||
            !isComparison(std::string_view(sql).substr(previous.begin, previous.end - previous.begin)))
            continue;
        if (!endsComparison(sql, i + 1 < tokens->size() ? &(*tokens)[i + 1] : nullptr))
            continue;
        if (auto value = literalValue(sql, token))
            lift(token, std::move(*value));
    }
    if (lifted.values.empty())
        return std::nullopt;
    lifted.text.append(sql, copied);
    return lifted;
}

bool liftedValuesFit(const std::vector<fb::Column>& parameters, const std::vector<Value>& values)
{
    if (parameters.size() != values.size())
        return false;
    for (std::size_t i = 0; i < values.size(); ++i)
        if (!fits(parameters[i], values[i]))
            return false;
    return true;
}

}  // namespace kalvora
