#pragma once
// Prepared statements of one attachment, reused by their text. Texts that differ only in
// the values they compare share one prepared statement (see literal_lifting.h). Bounded,
// because some texts are still seen once.
#include "data/firebird.h"

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <unordered_map>

namespace kalvora {

// A prepared statement and the values to run it with.
struct BoundStatement {
    fb::Statement& statement;
    std::vector<Value> params;

    fb::Rows fetchAll(fb::Transaction& tr) { return statement.fetchAll(tr, params); }
    std::uint64_t execute(fb::Transaction& tr) { return statement.execute(tr, params); }
};

class StatementCache {
public:
    explicit StatementCache(std::size_t capacity = 64) : capacity_(capacity) {}

    BoundStatement get(fb::Attachment& attachment, fb::Transaction& tr, const std::string& sql,
                       std::vector<Value> params = {});
    void clear();

private:
    using Entry = std::pair<std::string, std::unique_ptr<fb::Statement>>;
    // The entry of a text, made the most recent; null when there is none.
    Entry* find(const std::string& sql);
    Entry& add(const std::string& sql, std::unique_ptr<fb::Statement> statement);
    fb::Statement& prepared(fb::Attachment& attachment, fb::Transaction& tr, const std::string& sql);
    // The statement of a lifted text; null when the server will not prepare it.
    fb::Statement* shape(fb::Attachment& attachment, fb::Transaction& tr, const std::string& text);

    std::size_t capacity_;
    std::list<Entry> entries_;  // most recently used first
    std::unordered_map<std::string, std::list<Entry>::iterator> index_;
};

}  // namespace kalvora
