#pragma once
// A thin owning layer over the Firebird OO API: attachments, transactions and prepared
// statements as C++ objects; every failure becomes a DatabaseError with the server's text
// and codes.
#include "data/value.h"

#include <firebird/Interface.h>

#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

namespace kalvora::fb {

// Ends an interface the way its kind ends: release() when it counts references, dispose()
// otherwise. Neither takes a status, so neither reports a failure.
struct EndInterface {
    template <typename T>
    void operator()(T* p) const noexcept
    {
        if constexpr (std::is_base_of_v<Firebird::IReferenceCounted, T>)
            p->release();
        else
            p->dispose();
    }
};

// The one way this layer holds a Firebird interface.
template <typename T>
using Handle = std::unique_ptr<T, EndInterface>;

// What a result column or statement parameter is, as the server describes it.
struct Column {
    std::string name;      // alias in the select list
    std::string field;     // column of the table, when there is one
    std::string relation;  // table, when there is one
    unsigned type = 0;     // SQL_* without the null bit
    int subType = 0;
    int scale = 0;
    unsigned length = 0;  // bytes
    int charSet = 0;      // Firebird's number of the character set; 0 (NONE) for non-text
    bool nullable = true;
};

using Row = std::vector<Value>;

struct Rows {
    std::vector<Column> columns;
    std::vector<Row> rows;
};

// One database parameter block: the names the program knows, built for attach/create.
struct AttachParams {
    std::string user;
    std::string password;
    std::string role;
    std::string charset;
    // Only for databases being created: scratch databases skip the wait for the disk.
    bool forcedWrites = true;
    bool hasUser = false;
    bool hasPassword = false;
};

// An empty parameter block gives the server's default: snapshot, wait, read-write.
struct TransactionOptions {
    enum class Isolation { ServerDefault, ReadCommitted, Snapshot };
    Isolation isolation = Isolation::ServerDefault;
    bool waitOnLocks = true;
    // A read-only read-committed transaction costs the server no write at its end.
    bool readOnly = false;
    // The server commits (retaining) after every statement that changed something, so a
    // statement costs no round trip to start or end a transaction of its own.
    bool autocommit = false;
    // Tables reserved at the start for protected write: until this transaction ends, others
    // may read them but neither write them nor reserve them so.
    std::vector<std::string> protectedWrite{};
};

class Attachment;
class Cursor;

class Transaction {
public:
    Transaction(Attachment& attachment, const TransactionOptions& options = {});
    // Rolls back a transaction still active; a failure there only releases the interface.
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    // Both end the transaction; commit fails on one that has ended, rollback does nothing.
    void commit();
    void rollback();
    Firebird::ITransaction* get() const { return tr_.get(); }

private:
    Handle<Firebird::ITransaction> tr_;
};

class Statement {
public:
    Statement(Attachment& attachment, Transaction& tr, const std::string& sql);
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    const std::vector<Column>& columns() const { return columns_; }
    // The parameters as the server expects them.
    const std::vector<Column>& parameters() const { return parameters_; }
    std::size_t parameterCount() const { return paramCount_; }
    bool returnsRows() const { return hasCursor_; }

    // Runs a select and reads every row; BLOBs are read whole.
    Rows fetchAll(Transaction& tr, const std::vector<Value>& params = {});
    // Runs a statement without result set; returns the rows it affected.
    std::uint64_t execute(Transaction& tr, const std::vector<Value>& params = {});
    // The same without asking for the rows affected, which costs a round trip of its own.
    void run(Transaction& tr, const std::vector<Value>& params = {});
    // Runs a select whose rows are read one at a time (the client fetches them in batches).
    // The cursor must go before the statement and the transaction.
    std::unique_ptr<Cursor> openCursor(Transaction& tr, const std::vector<Value>& params = {});

private:
    friend class Cursor;
    struct Input;
    struct Slot {
        unsigned type;
        unsigned length;
        int scale;
        bool operator==(const Slot&) const = default;
    };
    struct InputLayout {
        unsigned length = 0;
        std::vector<std::pair<unsigned, unsigned>> offsets;  // value, null indicator
    };
    Slot slotFor(unsigned index, const Value& value) const;
    void useLayout(const std::vector<Slot>& slots);
    Input bindInput(Transaction& tr, const std::vector<Value>& params);
    Value readColumn(Transaction& tr, const unsigned char* buffer, unsigned index);

    Attachment& attachment_;
    Handle<Firebird::IStatement> stmt_;
    Handle<Firebird::IMessageMetadata> out_;
    Handle<Firebird::IMessageMetadata> in_;
    std::vector<Column> columns_;
    std::vector<Column> parameters_;
    Handle<Firebird::IMessageMetadata> inputMeta_;
    std::vector<Slot> inputSlots_;
    InputLayout inputLayout_;
    std::size_t paramCount_ = 0;
    bool hasCursor_ = false;
};

class Cursor {
public:
    Cursor(Statement& statement, Transaction& tr, Handle<Firebird::IResultSet> results);
    ~Cursor();
    Cursor(const Cursor&) = delete;
    Cursor& operator=(const Cursor&) = delete;

    // The next row into row; false at the end.
    bool fetch(Row& row);

private:
    Statement& statement_;
    Transaction& tr_;
    Handle<Firebird::IResultSet> results_;
    std::vector<unsigned char> buffer_;
};

class Attachment {
public:
    static std::unique_ptr<Attachment> attach(const std::string& location, const AttachParams& params);
    static std::unique_ptr<Attachment> create(const std::string& location, const AttachParams& params);
    // Detaches; a failure there only releases the interface.
    ~Attachment();
    Attachment(const Attachment&) = delete;
    Attachment& operator=(const Attachment&) = delete;

    void detach();
    Firebird::IAttachment* get() const { return att_.get(); }

    // Runs one statement in its own transaction and commits it (DDL, scripts, tests).
    void executeImmediate(const std::string& sql);

private:
    explicit Attachment(Handle<Firebird::IAttachment> att) : att_(std::move(att)) {}
    Handle<Firebird::IAttachment> att_;
};

}  // namespace kalvora::fb
