#include "settings/registry_file.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

namespace kalvora {

namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";

char lower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return lower(x) == lower(y); });
}

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && equalsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trim(std::string_view s)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = lower(c);
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// 1 to maxDigits hex digits and nothing else.
std::optional<std::uint32_t> parseHexNumber(std::string_view s, std::size_t maxDigits)
{
    if (s.empty() || s.size() > maxDigits)
        return std::nullopt;
    std::uint32_t n = 0;
    for (char c : s) {
        const int d = hexDigit(c);
        if (d < 0)
            return std::nullopt;
        n = n * 16 + std::uint32_t(d);
    }
    return n;
}

void appendUtf8(std::string& out, std::uint32_t cp)
{
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

// An odd last byte is dropped; a lone surrogate becomes U+FFFD.
std::string utf16leToUtf8(std::string_view bytes)
{
    std::string out;
    const std::size_t units = bytes.size() / 2;
    auto unit = [&](std::size_t i) {
        return std::uint32_t(std::uint8_t(bytes[2 * i])) | (std::uint32_t(std::uint8_t(bytes[2 * i + 1])) << 8);
    };
    for (std::size_t i = 0; i < units; ++i) {
        const std::uint32_t u = unit(i);
        if (u >= 0xD800 && u < 0xDC00 && i + 1 < units && unit(i + 1) >= 0xDC00 && unit(i + 1) < 0xE000) {
            appendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (unit(i + 1) - 0xDC00));
            ++i;
        } else if (u >= 0xD800 && u < 0xE000) {
            appendUtf8(out, 0xFFFD);
        } else {
            appendUtf8(out, u);
        }
    }
    return out;
}

// regedit writes UTF-16LE with a byte order mark; hand-made files are usually UTF-8.
std::string decodeFile(const std::string& content)
{
    if (content.starts_with("\xFF\xFE"))
        return utf16leToUtf8(std::string_view(content).substr(2));
    if (content.starts_with("\xEF\xBB\xBF"))
        return content.substr(3);
    return content;
}

std::vector<std::string_view> physicalLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n')
            continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}

// A trailing backslash outside quotes continues the line (regedit wraps long hex data).
bool continues(std::string_view line)
{
    line = trim(line);
    if (line.empty() || line.front() == ';')
        return false;
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (quoted && line[i] == '\\')
            ++i;
        else if (line[i] == '"')
            quoted = !quoted;
    }
    return !quoted && line.back() == '\\';
}

// A quoted name or text starting at s[pos]; \\ and \" are escapes, any other backslash is
// kept. pos ends past the closing quote.
std::optional<std::string> parseQuoted(std::string_view s, std::size_t& pos)
{
    if (pos >= s.size() || s[pos] != '"')
        return std::nullopt;
    std::string out;
    for (std::size_t i = pos + 1; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size() && (s[i + 1] == '\\' || s[i + 1] == '"')) {
            out += s[++i];
        } else if (s[i] == '"') {
            pos = i + 1;
            return out;
        } else {
            out += s[i];
        }
    }
    return std::nullopt;
}

std::optional<std::string> parseHexBytes(std::string_view s)
{
    std::string bytes;
    s = trim(s);
    if (s.empty())
        return bytes;
    while (true) {
        const std::size_t comma = s.find(',');
        const auto byte = parseHexNumber(trim(s.substr(0, comma)), 2);
        if (!byte)
            return std::nullopt;
        bytes += char(*byte);
        if (comma == std::string_view::npos)
            return bytes;
        s.remove_prefix(comma + 1);
    }
}

std::optional<RegistryValue> parseData(std::string_view data)
{
    if (data.starts_with('"')) {
        std::size_t pos = 0;
        auto text = parseQuoted(data, pos);
        if (!text || !trim(data.substr(pos)).empty())
            return std::nullopt;
        return RegistryValue{RegistryType::Text, std::move(*text)};
    }
    if (startsWithIgnoringCase(data, "dword:")) {
        const auto n = parseHexNumber(data.substr(6), 8);
        if (!n)
            return std::nullopt;
        std::string bytes;
        for (int shift = 0; shift < 32; shift += 8)
            bytes += char((*n >> shift) & 0xFF);
        return RegistryValue{RegistryType::DWord, bytes};
    }
    if (!startsWithIgnoringCase(data, "hex"))
        return std::nullopt;
    data.remove_prefix(3);
    RegistryType type = RegistryType::Binary;
    if (data.starts_with('(')) {
        const std::size_t close = data.find(')');
        const auto code = close == std::string_view::npos ? std::nullopt : parseHexNumber(data.substr(1, close - 1), 8);
        if (!code)
            return std::nullopt;
        type = RegistryType(*code);
        data.remove_prefix(close + 1);
    }
    if (!data.starts_with(':'))
        return std::nullopt;
    auto bytes = parseHexBytes(data.substr(1));
    if (!bytes)
        return std::nullopt;
    // Text stored as hex is UTF-16LE, as the registry keeps it.
    if (type == RegistryType::Text || type == RegistryType::ExpandableText || type == RegistryType::MultiText)
        return RegistryValue{type, utf16leToUtf8(*bytes)};
    return RegistryValue{type, std::move(*bytes)};
}

std::string normalizedKeyPath(std::string_view path)
{
    path = trim(path);
    while (!path.empty() && path.front() == '\\')
        path.remove_prefix(1);
    while (!path.empty() && path.back() == '\\')
        path.remove_suffix(1);
    return std::string(path);
}

class Reader {
public:
    explicit Reader(const std::string& keyPath) : target_(normalizedKeyPath(keyPath)) {}

    void line(std::string_view raw)
    {
        const std::string_view line = trim(raw);
        if (line.empty() || line.front() == ';')
            return;
        if (line.front() == '[')
            section(line);
        else if (inTarget_)
            value(line);
    }

    std::optional<RegistryFileKey> result() &&
    {
        if (!found_)
            return std::nullopt;
        return std::move(key_);
    }

private:
    // A deleting "[-KEY]" never names the target, so its values are dropped too.
    void section(std::string_view line)
    {
        inTarget_ = line.size() >= 2 && line.back() == ']' &&
                    equalsIgnoringCase(normalizedKeyPath(line.substr(1, line.size() - 2)), target_);
        found_ = found_ || inTarget_;
    }

    void value(std::string_view line)
    {
        std::size_t pos = 0;
        std::optional<std::string> name;
        if (line.front() == '@') {
            name = std::string();
            pos = 1;
        } else {
            name = parseQuoted(line, pos);
        }
        if (!name)
            return;
        const std::string_view rest = trim(line.substr(pos));
        if (!rest.starts_with('='))
            return;
        const std::string_view data = trim(rest.substr(1));
        auto& values = key_.values;
        const auto existing = std::find_if(values.begin(), values.end(),
                                           [&](const auto& v) { return equalsIgnoringCase(v.first, *name); });
        if (data == "-") {
            if (existing != values.end())
                values.erase(existing);
            return;
        }
        auto parsed = parseData(data);
        if (!parsed)
            return;
        if (existing != values.end())
            existing->second = std::move(*parsed);
        else
            values.emplace_back(std::move(*name), std::move(*parsed));
    }

    std::string target_;
    bool inTarget_ = false;
    bool found_ = false;
    RegistryFileKey key_;
};

}  // namespace

std::optional<RegistryValue> RegistryFileKey::value(const std::string& name) const
{
    for (const auto& [n, v] : values)
        if (equalsIgnoringCase(n, name))
            return v;
    return std::nullopt;
}

std::optional<RegistryFileKey> readRegistryFileKey(const std::string& content, const std::string& keyPath)
{
    const std::string text = decodeFile(content);
    const auto lines = physicalLines(text);
    if (lines.empty() || trim(lines.front()) != kHeader)
        return std::nullopt;
    Reader reader(keyPath);
    std::string pending;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        pending += pending.empty() ? lines[i] : trim(lines[i]);
        if (continues(pending)) {
            pending.erase(pending.find_last_not_of(" \t"));
            continue;
        }
        reader.line(pending);
        pending.clear();
    }
    reader.line(pending);
    return std::move(reader).result();
}

}  // namespace kalvora
