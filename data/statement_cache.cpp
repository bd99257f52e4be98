#include "data/statement_cache.h"

namespace kalvora {

fb::Statement& StatementCache::get(fb::Attachment& attachment, fb::Transaction& tr, const std::string& sql)
{
    if (auto it = index_.find(sql); it != index_.end()) {
        entries_.splice(entries_.begin(), entries_, it->second);
        return *entries_.front().second;
    }
    auto statement = std::make_unique<fb::Statement>(attachment, tr, sql);
    if (entries_.size() >= capacity_) {
        index_.erase(entries_.back().first);
        entries_.pop_back();
    }
    entries_.emplace_front(sql, std::move(statement));
    index_[sql] = entries_.begin();
    return *entries_.front().second;
}

void StatementCache::clear()
{
    index_.clear();
    entries_.clear();
}

}  // namespace kalvora
