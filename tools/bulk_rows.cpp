#include "tools/bulk_rows.h"

namespace kalvora::tools {

BulkRows::BulkRows(const std::string& location, const fb::AttachParams& params)
    : attachment_(fb::Attachment::attach(location, params)),
      transaction_(std::make_unique<fb::Transaction>(*attachment_))
{
}

BulkRows::~BulkRows() = default;

void BulkRows::insert(const std::string& table, const Columns& columns)
{
    std::string names;
    std::string marks;
    std::vector<Value> values;
    values.reserve(columns.size());
    for (const auto& [name, value] : columns) {
        names += (names.empty() ? "" : ", ") + name;
        marks += marks.empty() ? "?" : ", ?";
        values.push_back(value);
    }
    const std::string sql = "INSERT INTO " + table + " (" + names + ") VALUES (" + marks + ")";
    auto& statement = statements_[sql];
    if (!statement)
        statement = std::make_unique<fb::Statement>(*attachment_, *transaction_, sql);
    statement->execute(*transaction_, values);
}

void BulkRows::execute(const std::string& sql)
{
    fb::Statement statement(*attachment_, *transaction_, sql);
    statement.execute(*transaction_);
}

void BulkRows::commit()
{
    statements_.clear();
    transaction_->commit();
    transaction_.reset();
    auto attachment = std::move(attachment_);
    attachment->detach();
}

}  // namespace kalvora::tools
