// Selections with compared literals of every kind, run on a real table twice: as written,
// and through the statement cache, which lifts the literals into parameters and shares one
// prepared statement between texts of one shape. Both must fail together or return the same
// rows, whatever the values: too long, too large, quoted, high bytes, dates, decimals.
#include "base/errors.h"
#include "data/sql_text.h"
#include "data/statement_cache.h"
#include "fuzz/check.h"
#include "fuzz/input.h"
#include "fuzz/scratch.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

using namespace kalvora;
using kalvora::fuzz::Input;
using kalvora::fuzz::require;

namespace {

const std::vector<std::string> kTable{
    "CREATE TABLE L (ID INTEGER NOT NULL PRIMARY KEY, V3 VARCHAR(3), C3 CHAR(3), S SMALLINT, I INTEGER,"
    " B BIGINT, N NUMERIC(9,2), D DATE, W VARCHAR(3) CHARACTER SET WIN1252, U VARCHAR(2) CHARACTER SET UTF8)",
    "INSERT INTO L VALUES (1, 'A', 'A', 0, 0, 0, 0, '2026-12-09', 'A', 'A')",
    "INSERT INTO L VALUES (2, 'A''B', 'A''B', 7, 7, 7, 7.00, '2026-12-10', 'A''B', 'AB')",
    "INSERT INTO L VALUES (3, 'XYZ', 'XYZ', 32767, 2147483647, 9223372036854775807, 9999999.99, '0001-01-01',"
    " 'XYZ', 'XY')",
    "INSERT INTO L VALUES (4, '', '', -1, -1, -1, -0.01, '9999-12-31', '', '')",
    "INSERT INTO L VALUES (5, 'A ', 'A ', 5, 5, 5, 5.25, '2026-01-31', 'A ', 'A ')",
    "INSERT INTO L VALUES (6, '\xD1\xE9\xFF', '\xD1\xE9\xFF', 10, 10, 10, 10, '2026-12-09', '\xD1\xE9', 'N')",
    "INSERT INTO L (ID) VALUES (7)",
    "INSERT INTO L VALUES (8, '007', '7', 8, 8, 8, 0.07, '2026-12-09', '7', '7')",
};

const char* const kColumns[] = {"ID", "V3", "C3", "S", "I", "B", "N", "D", "W", "U"};
const char* const kComparisons[] = {"=", "<>", "!=", "<", ">", "<=", ">=", "^="};
// clang-format off
const char* const kNumbers[] = {"0",     "5",      "7",          "007",        "32767",
                                "32768", "65535",  "2147483647", "2147483648", "9223372036854775807",
                                "10",    "999999", "99999999999999999999"};
// clang-format on

std::string anyLiteral(Input& in)
{
    switch (in.choice(8)) {
    case 0:
    case 1:
        return quoted(in.bytes(6));
    case 2:
        return quoted(in.flag() ? "2026-12-09" : "2026-12-10");
    case 3:
        return quoted(std::string(in.choice(6), 'A'));
    case 4: {
        std::string digits;
        for (std::size_t n = 1 + in.choice(21); n > 0; --n)
            digits += char('0' + in.choice(10));
        return digits;
    }
    case 5: {
        const char* const others[] = {"-1", "5.25", "1e1", "DATE '2026-12-09'", "NULL", "_WIN1252 'A'", "0x0A"};
        return others[in.choice(std::size(others))];
    }
    default:
        return kNumbers[in.choice(std::size(kNumbers))];
    }
}

std::string anyCondition(Input& in)
{
    std::string condition;
    for (std::size_t n = 1 + in.choice(3); n > 0; --n) {
        if (!condition.empty())
            condition += in.flag() ? " AND " : " OR ";
        std::string comparison = std::string(kColumns[in.choice(std::size(kColumns))]) + " " +
                                 kComparisons[in.choice(std::size(kComparisons))] + " " + anyLiteral(in);
        condition += in.flag() ? "(" + comparison + ")" : comparison;
    }
    return condition;
}

// The ids a text selects, or nothing when the server refuses it.
template <typename Run>
std::optional<std::vector<std::int64_t>> ids(Run&& run)
{
    try {
        std::vector<std::int64_t> out;
        for (const auto& row : run().rows)
            out.push_back(row[0].asInteger());
        return out;
    } catch (const DatabaseError&) {
        return std::nullopt;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fb::Attachment& db = kalvora::fuzz::scratchDatabase(kTable);
    Input in(data, size);
    fb::Transaction tr(db);
    {
        // Several texts per input, so that later ones meet the statements of earlier ones.
        StatementCache cache;
        for (std::size_t n = 1 + in.choice(4); n > 0; --n) {
            const std::string sql = "select id from l where " + anyCondition(in) + " order by id";
            const auto written = ids([&] { return fb::Statement(db, tr, sql).fetchAll(tr); });
            const auto lifted = ids([&] { return cache.get(db, tr, sql).fetchAll(tr); });
            if (written != lifted)
                std::fprintf(stderr, "%s\n", sql.c_str());
            require(written == lifted, "the lifted text answers as the written one");
        }
    }
    tr.rollback();
    return 0;
}
