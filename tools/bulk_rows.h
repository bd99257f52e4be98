#pragma once
// Fills a company database the way the suite would have left it before a transmission:
// many rows in one transaction, each table's insert prepared once. For the demo and the
// benchmarks, not for the program itself.
#include "data/firebird.h"

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace kalvora::tools {

using Columns = std::vector<std::pair<std::string, Value>>;

class BulkRows {
public:
    BulkRows(const std::string& location, const fb::AttachParams& params);
    // Without commit() nothing stays.
    ~BulkRows();
    BulkRows(const BulkRows&) = delete;
    BulkRows& operator=(const BulkRows&) = delete;

    void insert(const std::string& table, const Columns& columns);
    // A statement in the same transaction.
    void execute(const std::string& sql);
    void commit();

private:
    std::unique_ptr<fb::Attachment> attachment_;
    std::unique_ptr<fb::Transaction> transaction_;
    // By statement text; they go before the transaction and the attachment.
    std::map<std::string, std::unique_ptr<fb::Statement>> statements_;
};

}  // namespace kalvora::tools
