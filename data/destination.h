#pragma once
// The destination company connection: every statement outside an explicit transaction
// commits by itself; an apply runs in the one explicit transaction it starts.
#include "data/connection.h"
#include "data/declared_precision.h"
#include "data/firebird.h"
#include "data/parameters.h"
#include "data/statement_cache.h"

#include <memory>
#include <string>

namespace kalvora {

class DestinationConnection {
public:
    // Starts with the parameter list and initial values the program always had.
    DestinationConnection();
    ~DestinationConnection();
    DestinationConnection(const DestinationConnection&) = delete;
    DestinationConnection& operator=(const DestinationConnection&) = delete;

    void setParam(const std::string& name, const std::string& value);
    const ParameterList& params() const { return params_; }

    // Fails until a location has been set: the initial one names no chosen database.
    void open();
    // Rolls back an explicit transaction left active, then detaches.
    void close();
    bool connected() const { return attachment_ != nullptr; }

    // Both connect first when needed.
    // Outside an explicit transaction a select runs read only unless it may write (a
    // selectable procedure handing out keys, for one).
    fb::Rows select(const std::string& sql, const std::vector<Value>& params = {}, bool mayWrite = true);
    std::uint64_t execute(const std::string& sql, const std::vector<Value>& params = {});
    // A statement committed by itself as soon as it succeeds, without its row count. While
    // reads are held under read committed, it runs in a transaction kept for such statements,
    // which the server commits after each one: no round trip to start or end one.
    void executeCommitted(const std::string& sql, const std::vector<Value>& params = {});
    // The columns of a select, from its prepared statement; nothing is run.
    std::vector<fb::Column> describe(const std::string& sql);

    // While held, the read-only selects share one read-committed transaction instead of
    // starting and committing one each; they see the same commits. Repeatable read keeps
    // one transaction per select, so that each still sees the latest commits. Selects that
    // may write (a procedure handing out keys) get a kept transaction of their own that the
    // server commits after each one, apart from the one of executeCommitted.
    void holdReads() { readsHeld_ = true; }
    void releaseReads();

    // Reserves a table for protected write in a no-wait transaction of its own, held until
    // releaseReservation or close. Raises the server's "lock conflict on no wait transaction"
    // at once when another attachment, anywhere, holds the same reservation or is writing the
    // table; the reservation dies with this attachment, however the process ends.
    void reserve(const std::string& table);
    void releaseReservation();

    void startTransaction();
    void commit();
    void rollback();
    bool inTransaction() const { return explicit_ != nullptr; }

    // Read once per table while attached; forgotten at close.
    DeclaredPrecisions& declaredPrecisions() { return precisions_; }

    // Identifier quote of dialect 3.
    static constexpr char quoteChar() { return '"'; }

private:
    // Read from the parameters when they change, not at every statement.
    fb::TransactionOptions readOptions() const;
    void endReader();
    // The kept transactions that commit by themselves: those of the selects that may write
    // and of executeCommitted. Null when the reads are not held.
    fb::Transaction* committing(std::unique_ptr<fb::Transaction>& kept);
    template <typename F>
    auto run(const std::string& sql, const std::vector<Value>& params, bool readOnly, F&& body);

    ParameterList params_;
    fb::TransactionOptions options_;
    std::unique_ptr<fb::Attachment> attachment_;
    std::unique_ptr<fb::Transaction> explicit_;
    std::unique_ptr<fb::Transaction> reader_;
    std::unique_ptr<fb::Transaction> writingReads_;
    std::unique_ptr<fb::Transaction> writes_;
    std::unique_ptr<fb::Transaction> reservation_;
    bool readsHeld_ = false;
    bool locationChosen_ = false;
    StatementCache statements_;
    DeclaredPrecisions precisions_;
};

// Holds the destination's reads for a scope, such as one transmission run.
class HeldReads {
public:
    explicit HeldReads(DestinationConnection& connection) : connection_(connection) { connection_.holdReads(); }
    ~HeldReads() { connection_.releaseReads(); }
    HeldReads(const HeldReads&) = delete;
    HeldReads& operator=(const HeldReads&) = delete;

private:
    DestinationConnection& connection_;
};

}  // namespace kalvora
