#pragma once
// Where a provider reads and writes: the destination connection, or a direct connection
// with its transaction (read only).
#include "data/connection.h"
#include "data/declared_precision.h"
#include "data/destination.h"

namespace kalvora {

class RowSource {
public:
    virtual ~RowSource() = default;
    // mayWrite: the query may change data (a procedure handing out keys) and needs a
    // transaction that can.
    virtual fb::Rows read(const std::string& sql, const std::vector<Value>& params, bool mayWrite) = 0;
    virtual std::uint64_t execute(const std::string& sql, const std::vector<Value>& params) = 0;
    // A statement whose row count nobody needs (it costs a round trip at a distance).
    virtual void executeCommitted(const std::string& sql, const std::vector<Value>& params) { execute(sql, params); }
    // The columns a select yields, without running it.
    virtual std::vector<fb::Column> describe(const std::string& sql) = 0;
    // The connection whose explicit transaction an apply uses; null when writes are not possible.
    virtual DestinationConnection* destination() = 0;

    // The precision a NUMERIC or DECIMAL column was declared with; 0 when none is recorded.
    int declaredPrecision(const fb::Column& column)
    {
        return precisions().of(column, [this](const std::string& sql, const std::vector<Value>& params) {
            return read(sql, params, false);
        });
    }

private:
    // Kept by the connection, so that every row store on it shares what was read.
    virtual DeclaredPrecisions& precisions() = 0;
};

class DestinationSource : public RowSource {
public:
    explicit DestinationSource(DestinationConnection& connection) : connection_(connection) {}
    fb::Rows read(const std::string& sql, const std::vector<Value>& params, bool mayWrite) override
    {
        return connection_.select(sql, params, mayWrite);
    }
    std::uint64_t execute(const std::string& sql, const std::vector<Value>& params) override
    {
        return connection_.execute(sql, params);
    }
    void executeCommitted(const std::string& sql, const std::vector<Value>& params) override
    {
        connection_.executeCommitted(sql, params);
    }
    std::vector<fb::Column> describe(const std::string& sql) override { return connection_.describe(sql); }
    DestinationConnection* destination() override { return &connection_; }

private:
    DeclaredPrecisions& precisions() override { return connection_.declaredPrecisions(); }

    DestinationConnection& connection_;
};

class DirectSource : public RowSource {
public:
    DirectSource(Connection& connection, DirectTransaction& transaction)
        : connection_(connection), transaction_(transaction)
    {
    }
    fb::Rows read(const std::string& sql, const std::vector<Value>& params, bool) override
    {
        auto& tr = transaction_.ensureStarted();
        return connection_.statement(tr, sql, params).fetchAll(tr);
    }
    std::uint64_t execute(const std::string& sql, const std::vector<Value>& params) override
    {
        auto& tr = transaction_.ensureStarted();
        return connection_.statement(tr, sql, params).execute(tr);
    }
    std::vector<fb::Column> describe(const std::string& sql) override
    {
        auto& tr = transaction_.ensureStarted();
        return connection_.statement(tr, sql).statement.columns();
    }
    DestinationConnection* destination() override { return nullptr; }

private:
    DeclaredPrecisions& precisions() override { return connection_.declaredPrecisions(); }

    Connection& connection_;
    DirectTransaction& transaction_;
};

}  // namespace kalvora
