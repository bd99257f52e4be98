#pragma once
// Rows inserted by one EXECUTE BLOCK: one round trip, and one statement, so the destination
// stores every row or none of them.
#include "data/firebird.h"
#include "data/resolver.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kalvora {

// Whether one block may carry these rows: a message is bounded, and a block of many rows is
// prepared for those rows alone.
bool fitsOneBlock(const std::vector<InsertRow>& rows);

struct KeyedInserts {
    // Keys come from the first column of "select * from <keySource>"; every row it gives is
    // read, as a client reading that select would, and the first one is the key.
    std::string keySource;
    std::string keyName;    // that first column, quoted
    std::string keyColumn;  // the column of the rows that receives the key, quoted
    std::vector<InsertRow> rows;
};

// A selectable block that returns one row: 1 when it took a key and stored every row under
// it, 0 when the select gave no key (nothing stored). The key is taken in a transaction of
// its own, which commits as a select of its own would have, so a refused row fails the whole
// statement but leaves the key taken; lostKeyRead then tells which it was.
SqlStatement keyedInsertBlock(const KeyedInserts& inserts);

// Run after keyedInsertBlock failed on the same attachment: a selectable block returning the
// key that block took, null when it took none, and forgetting it.
const std::string& lostKeyRead();

// The key lostKeyRead returned; nullopt when the failed block took none.
std::optional<std::int64_t> lostKey(const fb::Rows& returned);

// A selectable block that returns one row: 1 when it inserted row, 0 when the table held a
// row whose keyColumn (quoted) equals key already (nothing stored). key is compared as a
// value of keyColumn's type.
SqlStatement insertIfAbsentBlock(const InsertRow& row, const std::string& keyColumn, const Value& key);

}  // namespace kalvora
