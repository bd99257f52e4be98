#include "data/statement_cache.h"

#include "base/errors.h"
#include "data/literal_lifting.h"

namespace kalvora {

BoundStatement StatementCache::get(fb::Attachment& attachment, fb::Transaction& tr, const std::string& sql,
                                   std::vector<Value> params)
{
    if (params.empty()) {
        if (auto lifted = liftLiterals(sql)) {
            fb::Statement* statement = shape(attachment, tr, lifted->text);
            if (statement && liftedValuesFit(statement->parameters(), lifted->values))
                return {*statement, std::move(lifted->values)};
        }
    }
    return {prepared(attachment, tr, sql), std::move(params)};
}

void StatementCache::clear()
{
    index_.clear();
    entries_.clear();
}

StatementCache::Entry* StatementCache::find(const std::string& sql)
{
    const auto it = index_.find(sql);
    if (it == index_.end())
        return nullptr;
    entries_.splice(entries_.begin(), entries_, it->second);
    return &entries_.front();
}

StatementCache::Entry& StatementCache::add(const std::string& sql, std::unique_ptr<fb::Statement> statement)
{
    if (entries_.size() >= capacity_) {
        index_.erase(entries_.back().first);
        entries_.pop_back();
    }
    entries_.emplace_front(sql, std::move(statement));
    index_[sql] = entries_.begin();
    return entries_.front();
}

fb::Statement& StatementCache::prepared(fb::Attachment& attachment, fb::Transaction& tr, const std::string& sql)
{
    Entry* entry = find(sql);
    if (entry && entry->second)
        return *entry->second;
    auto statement = std::make_unique<fb::Statement>(attachment, tr, sql);
    // A text with parameters of its own may be known as a lifted text the server refused.
    if (entry)
        entry->second = std::move(statement);
    else
        entry = &add(sql, std::move(statement));
    return *entry->second;
}

fb::Statement* StatementCache::shape(fb::Attachment& attachment, fb::Transaction& tr, const std::string& text)
{
    if (Entry* entry = find(text))
        return entry->second.get();
    std::unique_ptr<fb::Statement> statement;
    try {
        statement = std::make_unique<fb::Statement>(attachment, tr, text);
    } catch (const DatabaseError&) {
        // A parameter whose type the server cannot tell, or a text it refuses anyway: the
        // text runs as written and reports its own error.
    }
    return add(text, std::move(statement)).second.get();
}

}  // namespace kalvora
