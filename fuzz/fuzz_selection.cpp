// The selection of pending entries with any prefixes and dates, run against a real AUDITORIA
// whose codes are full of quotes, comment marks and odd bytes: the rows Firebird returns are
// exactly the ones a plain C++ filter keeps, in date and time order. So no prefix can leave
// its literal.
#include "base/calendar.h"
#include "base/errors.h"
#include "fuzz/check.h"
#include "fuzz/input.h"
#include "fuzz/scratch.h"
#include "principalconta/transmission/selection.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <optional>

using namespace kalvora;
using kalvora::fuzz::Input;
using kalvora::fuzz::require;

namespace {

struct Entry {
    int id;
    std::optional<std::string> cod;
    Date fecha;
    int tido;
    std::string envio;
};

// clang-format off
const std::vector<std::optional<std::string>> kCodes{
    "CE000001", "CE'000002", "'", "''", "--", "-- x", "/*", "*/", "/* x */", "a;b", ";", "' OR '1'='1",
    "') OR ('1'='1", "FA 000001", "FA", "fa000001", "\xD1\xC1\xFF", std::string("a\0b", 3), "", std::nullopt,
    "CE  ", " CE", "\\", "%", "_", "CE\n01", "CE\t", "\x80\x81", "\"CE\"", "12345678901234567890",
};
// clang-format on

// Every code on days around the range the inputs pick, in every state and type.
std::vector<Entry> entries()
{
    std::vector<Entry> out;
    const int tidos[] = {1, 100, 102, 5};
    int id = 0;
    for (std::size_t i = 0; i < kCodes.size(); ++i)
        for (int k = 0; k < 3; ++k) {
            ++id;
            out.push_back({id, kCodes[i], Date{2026, 12, 1 + (id % 12)}, tidos[id % 4], id % 5 == 0 ? "S" : "N"});
        }
    return out;
}

std::string escaped(const std::string& text)
{
    std::string out = "'";
    for (char c : text) {
        out += c;
        if (c == '\'')
            out += '\'';
    }
    return out + "'";
}

std::vector<std::string> ddl(const std::vector<Entry>& rows)
{
    std::vector<std::string> out{
        "CREATE TABLE AUDITORIA (AUDI_ID INTEGER NOT NULL PRIMARY KEY, AUDI_USUARIO VARCHAR(10),"
        " AUDI_FECHA DATE, AUDI_HORA TIME, TIDO_COD INTEGER, AUDI_IDDOC INTEGER, AUDI_OPER CHAR(1),"
        " AUDI_COD VARCHAR(20), AUDI_ENVIO CHAR(1), AUDI_TICO CHAR(3), AUDI_RAZON VARCHAR(255))"};
    for (const auto& e : rows) {
        char day[32];
        std::snprintf(day, sizeof day, "%04d-%02d-%02d", e.fecha.year, e.fecha.month, e.fecha.day);
        const int second = e.id % 60, minute = e.id / 60;
        char hour[32];
        std::snprintf(hour, sizeof hour, "08:%02d:%02d", minute, second);
        out.push_back("INSERT INTO AUDITORIA (AUDI_ID, AUDI_FECHA, AUDI_HORA, TIDO_COD, AUDI_COD, AUDI_ENVIO)"
                      " VALUES (" +
                      std::to_string(e.id) + ", '" + day + "', '" + hour + "', " + std::to_string(e.tido) + ", " +
                      (e.cod ? escaped(*e.cod) : "NULL") + ", '" + e.envio + "')");
    }
    return out;
}

// Firebird compares texts of the NONE character set padded with blanks.
std::string unpadded(std::string s)
{
    while (!s.empty() && s.back() == ' ')
        s.pop_back();
    return s;
}

bool startsWith(const std::optional<std::string>& cod, const std::string& prefix)
{
    return cod && unpadded(cod->substr(0, prefix.size())) == unpadded(prefix);
}

bool selected(const Entry& e, const Date& desde, const Date& hasta, const std::vector<std::string>& prefixes)
{
    if (e.envio != "N" || (e.tido != 1 && e.tido != 100 && e.tido != 102) || e.fecha < desde || hasta < e.fecha)
        return false;
    if (prefixes.empty())
        return true;
    return std::any_of(prefixes.begin(), prefixes.end(), [&](const std::string& p) { return startsWith(e.cod, p); });
}

Date anyDate(Input& in)
{
    switch (in.choice(8)) {
    case 0:
        return {1, 1, 1};
    case 1:
        return {9999, 12, 31};
    default:
        return {2026, in.flag() ? 11 : 12, 1 + int(in.choice(30))};
    }
}

std::string anyPrefix(Input& in)
{
    if (in.flag())
        return in.bytes(8);
    const auto& cod = kCodes[in.choice(kCodes.size())];
    std::string prefix = cod ? cod->substr(0, in.choice(cod->size() + 2)) : std::string();
    if (in.flag())
        prefix += char(in.byte());
    return prefix;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::vector<Entry> rows = entries();
    fb::Attachment& db = kalvora::fuzz::scratchDatabase(ddl(rows));
    Input in(data, size);

    const Date desde = anyDate(in);
    const Date hasta = anyDate(in);
    std::vector<std::string> prefixes(in.choice(7));
    for (auto& prefix : prefixes)
        prefix = anyPrefix(in);

    std::vector<int> expected;
    for (const auto& e : rows)
        if (selected(e, desde, hasta, prefixes))
            expected.push_back(e.id);
    std::sort(expected.begin(), expected.end(), [&](int a, int b) {
        const Entry& x = rows[std::size_t(a - 1)];
        const Entry& y = rows[std::size_t(b - 1)];
        return x.fecha != y.fecha ? x.fecha < y.fecha : x.id < y.id;
    });

    const std::string sql = selectionText(desde, hasta, prefixes);
    std::vector<int> got;
    fb::Transaction tr(db);
    try {
        fb::Statement selection(db, tr, sql);
        for (const auto& row : selection.fetchAll(tr).rows)
            got.push_back(int(row[0].asInteger()));
    } catch (const DatabaseError& e) {
        std::fprintf(stderr, "%s\n%s\n", sql.c_str(), e.what());
        require(false, "the selection runs");
    }
    tr.rollback();
    require(got == expected, "exactly the entries the filter keeps, oldest first");
    return 0;
}
