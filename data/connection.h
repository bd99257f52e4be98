#pragma once
// Direct connections (general database, source company): explicit transactions that
// start with the first statement needing them and end only at disconnect, by a commit.
#include "data/declared_precision.h"
#include "data/firebird.h"
#include "data/parameters.h"
#include "data/statement_cache.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kalvora {

class Query;
class DirectTransaction;

// The user name and password entries of a parameter list, as the client takes them.
fb::AttachParams credentials(const ParameterList& params);

class Connection {
public:
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    void setDatabase(const std::string& location) { database_ = location; }
    const std::string& database() const { return database_; }
    // "User_Name" and "password" (see ParameterList::set for the matching rules).
    void setParam(const std::string& name, const std::string& value) { params_.set(name, value); }
    const ParameterList& params() const { return params_; }

    void connect();
    // Commits every active transaction (a failed commit is rolled back silently), closes
    // the queries, then detaches. Nothing happens when not connected.
    void disconnect();
    // The same, but a commit that failed is raised once the connection is closed: the
    // caller must not report that work as stored. Raises nothing else.
    void commitAndDisconnect();
    bool connected() const { return attachment_ != nullptr; }

    // Connects first when needed.
    fb::Attachment& attachment();
    // Reused by text (or by shape, see StatementCache) while the attachment lives.
    BoundStatement statement(fb::Transaction& tr, const std::string& sql, std::vector<Value> params = {});
    // Read once per table while attached; forgotten at disconnect.
    DeclaredPrecisions& declaredPrecisions() { return precisions_; }

private:
    friend class DirectTransaction;
    friend class Query;
    // The server's text of the first commit that failed, if one did.
    std::optional<std::string> close(bool raiseDetachError);

    std::string database_;
    ParameterList params_;
    std::unique_ptr<fb::Attachment> attachment_;
    StatementCache statements_;
    DeclaredPrecisions precisions_;
    std::vector<DirectTransaction*> transactions_;
    std::vector<Query*> queries_;
};

class DirectTransaction {
public:
    explicit DirectTransaction(Connection& connection);
    ~DirectTransaction();
    DirectTransaction(const DirectTransaction&) = delete;
    DirectTransaction& operator=(const DirectTransaction&) = delete;

    bool active() const { return tr_ != nullptr; }
    // Starts the transaction when it is not active.
    fb::Transaction& ensureStarted();
    Connection& connection() { return connection_; }

private:
    friend class Connection;
    // Commit, or roll back when the commit fails; gives the commit's error then.
    std::optional<std::string> end();

    Connection& connection_;
    std::unique_ptr<fb::Transaction> tr_;
};

class Query {
public:
    Query(Connection& connection, DirectTransaction& transaction);
    ~Query();
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    // Changing the text closes the query, so the next open reads afresh.
    void clearSql();
    void addSql(const std::string& line);
    const std::string& sql() const { return sql_; }

    // Runs the select inside the query's transaction (started when not active) and reads
    // every row into the buffer; the current row is the first.
    void open();
    // Runs the select and holds only its current row and up to `ahead` rows after it: next()
    // takes the following one from the batches the client fetches, so a long selection costs
    // no more memory than a short one. recordCount() is not known then; last() ends the
    // reading on the last row held.
    void openForward(std::size_t ahead = 0);
    // Takes the rows of its text that another query read in the same transaction, as open()
    // would have read them there; nothing goes to the server.
    void openWith(fb::Rows rows);
    bool isOpen() const { return open_; }
    // Every row is read at open already; kept for the callers that ask for it.
    void fetchAll() {}
    void close();

    void first();
    void next();
    void last();
    bool eof() const { return eof_; }
    bool isEmpty() const { return rows_.rows.empty(); }
    std::size_t recordCount() const { return rows_.rows.size(); }
    // Rows already read after the current one: the rest of an open's, or those a forward
    // open holds ahead; fieldAhead(0, ...) is of the next row.
    std::size_t rowsAhead() const;
    const Value& fieldAhead(std::size_t ahead, const std::string& name) const;

    std::size_t fieldCount() const { return rows_.columns.size(); }
    const fb::Column& column(std::size_t index) const;
    // The current row's value; null when there is no row.
    const Value& field(std::size_t index) const;
    const Value& field(const std::string& name) const;

    // Runs a statement without result set inside the query's transaction, which stays active.
    void execSql();

private:
    friend class Connection;
    std::size_t fieldIndex(const std::string& name) const;
    // Reads from the cursor until count rows are held or it ends.
    void fill(std::size_t count);

    Connection& connection_;
    DirectTransaction& transaction_;
    std::string sql_;
    fb::Rows rows_;
    // Prepared for this query alone, so that no other use of the text meets its open cursor.
    std::unique_ptr<fb::Statement> forwardStatement_;
    std::unique_ptr<fb::Cursor> cursor_;
    std::size_t current_ = 0;  // always 0 in a forward open, whose rows start at the current one
    std::size_t ahead_ = 0;
    bool open_ = false;
    bool eof_ = true;
};

}  // namespace kalvora
