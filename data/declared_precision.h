#pragma once
// The precision each NUMERIC or DECIMAL column was declared with. The server reports only
// the storage type with a result, yet the declared precision decides how a row store
// holds the column, so it is read from the system tables, once per table for as long as
// the connection stays attached.
#include "data/firebird.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace kalvora {

class DeclaredPrecisions {
public:
    // Runs a read on the connection the cache belongs to.
    using Reader = std::function<fb::Rows(const std::string& sql, const std::vector<Value>& params)>;

    // 0 when the column has no table, or its table records no precision for it.
    int of(const fb::Column& column, const Reader& read);
    // The connection detached: the next attachment may be another database.
    void clear() { tables_.clear(); }

private:
    std::map<std::string, std::map<std::string, int>> tables_;
};

}  // namespace kalvora
