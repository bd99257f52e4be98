#pragma once
// Prepared statements of one attachment, reused by their text. Bounded, because most
// texts carry literals and are seen once.
#include "data/firebird.h"

#include <list>
#include <memory>
#include <string>
#include <unordered_map>

namespace kalvora {

class StatementCache {
public:
    explicit StatementCache(std::size_t capacity = 64) : capacity_(capacity) {}

    fb::Statement& get(fb::Attachment& attachment, fb::Transaction& tr, const std::string& sql);
    void clear();

private:
    using Entry = std::pair<std::string, std::unique_ptr<fb::Statement>>;
    std::size_t capacity_;
    std::list<Entry> entries_;  // most recently used first
    std::unordered_map<std::string, std::list<Entry>::iterator> index_;
};

}  // namespace kalvora
