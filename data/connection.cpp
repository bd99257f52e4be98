#include "data/connection.h"

#include "base/errors.h"

#include <algorithm>
#include <cctype>

namespace kalvora {

fb::AttachParams credentials(const ParameterList& params)
{
    fb::AttachParams out;
    if (auto user = params.get("User_Name")) {
        out.user = *user;
        out.hasUser = true;
    }
    if (auto password = params.get("password")) {
        out.password = *password;
        out.hasPassword = true;
    }
    return out;
}

namespace {

bool sameText(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::toupper(x) == std::toupper(y);
           });
}

const Value& nullValue()
{
    static const Value null;
    return null;
}

}  // namespace

// ---------------------------------------------------------------------------- Connection

Connection::Connection() = default;

Connection::~Connection()
{
    try {
        disconnect();
    } catch (const Error&) {
        // Closing at the end of the program reports nothing.
    }
}

void Connection::connect()
{
    if (attachment_)
        return;
    attachment_ = fb::Attachment::attach(database_, credentials(params_));
}

void Connection::disconnect() { close(true); }

void Connection::commitAndDisconnect()
{
    if (auto failure = close(false))
        throw DatabaseError(*failure);
}

std::optional<std::string> Connection::close(bool raiseDetachError)
{
    if (!attachment_)
        return std::nullopt;
    for (Query* q : queries_)
        q->close();
    std::optional<std::string> failure;
    for (DirectTransaction* t : transactions_) {
        auto ended = t->end();
        if (!failure)
            failure = std::move(ended);
    }
    statements_.clear();
    precisions_.clear();
    auto attachment = std::move(attachment_);
    try {
        attachment->detach();
    } catch (const Error&) {
        // A lost commit says more than the detach that failed after it, and after commits
        // that all went through the detach's failure loses nothing.
        if (!failure && raiseDetachError)
            throw;
    }
    return failure;
}

fb::Attachment& Connection::attachment()
{
    connect();
    return *attachment_;
}

BoundStatement Connection::statement(fb::Transaction& tr, const std::string& sql, std::vector<Value> params)
{
    return statements_.get(attachment(), tr, sql, std::move(params));
}

// ---------------------------------------------------------------------------- DirectTransaction

DirectTransaction::DirectTransaction(Connection& connection) : connection_(connection)
{
    connection_.transactions_.push_back(this);
}

DirectTransaction::~DirectTransaction()
{
    end();
    std::erase(connection_.transactions_, this);
}

fb::Transaction& DirectTransaction::ensureStarted()
{
    if (!tr_)
        tr_ = std::make_unique<fb::Transaction>(connection_.attachment());
    return *tr_;
}

std::optional<std::string> DirectTransaction::end()
{
    if (!tr_)
        return std::nullopt;
    auto tr = std::move(tr_);
    try {
        tr->commit();
        return std::nullopt;
    } catch (const Error& e) {
        try {
            tr->rollback();
        } catch (const Error&) {
            // The transaction is gone with the attachment; nothing more to undo.
        }
        return e.what();
    }
}

// ---------------------------------------------------------------------------- Query

Query::Query(Connection& connection, DirectTransaction& transaction)
    : connection_(connection), transaction_(transaction)
{
    connection_.queries_.push_back(this);
}

Query::~Query() { std::erase(connection_.queries_, this); }

void Query::clearSql()
{
    close();
    sql_.clear();
}

void Query::addSql(const std::string& line)
{
    close();
    if (!sql_.empty())
        sql_ += '\n';
    sql_ += line;
}

void Query::open()
{
    if (open_)
        return;
    auto& tr = transaction_.ensureStarted();
    rows_ = connection_.statement(tr, sql_).fetchAll(tr);
    open_ = true;
    current_ = 0;
    eof_ = rows_.rows.empty();
}

void Query::openForward(std::size_t ahead)
{
    if (open_)
        return;
    auto& tr = transaction_.ensureStarted();
    forwardStatement_ = std::make_unique<fb::Statement>(connection_.attachment(), tr, sql_);
    cursor_ = forwardStatement_->openCursor(tr);
    rows_ = {forwardStatement_->columns(), {}};
    open_ = true;
    current_ = 0;
    ahead_ = ahead;
    fill(ahead_ + 1);
    eof_ = rows_.rows.empty();
}

void Query::fill(std::size_t count)
{
    while (cursor_ && rows_.rows.size() < count) {
        fb::Row row;
        if (!cursor_->fetch(row)) {
            cursor_.reset();
            return;
        }
        rows_.rows.push_back(std::move(row));
    }
}

void Query::openWith(fb::Rows rows)
{
    close();
    rows_ = std::move(rows);
    open_ = true;
    eof_ = rows_.rows.empty();
}

void Query::close()
{
    cursor_.reset();
    forwardStatement_.reset();
    open_ = false;
    rows_ = {};
    current_ = 0;
    ahead_ = 0;
    eof_ = true;
}

void Query::first()
{
    current_ = 0;
    eof_ = rows_.rows.empty();
}

void Query::next()
{
    if (forwardStatement_) {
        fill(2);
        // The last row stays current at the end, as it does after open().
        if (rows_.rows.size() < 2) {
            eof_ = true;
            return;
        }
        rows_.rows.erase(rows_.rows.begin());
        fill(ahead_ + 1);
        return;
    }
    if (current_ + 1 < rows_.rows.size())
        ++current_;
    else
        eof_ = true;
}

void Query::last()
{
    cursor_.reset();
    if (forwardStatement_ && rows_.rows.size() > 1)
        rows_.rows.erase(rows_.rows.begin(), rows_.rows.end() - 1);
    current_ = rows_.rows.empty() ? 0 : rows_.rows.size() - 1;
    eof_ = rows_.rows.empty();
}

std::size_t Query::rowsAhead() const { return eof_ ? 0 : rows_.rows.size() - current_ - 1; }

const Value& Query::fieldAhead(std::size_t ahead, const std::string& name) const
{
    const std::size_t index = fieldIndex(name);
    if (ahead >= rowsAhead())
        throw Error("List index out of bounds (" + std::to_string(ahead) + ")");
    return rows_.rows[current_ + 1 + ahead][index];
}

const fb::Column& Query::column(std::size_t index) const
{
    if (index >= rows_.columns.size())
        throw Error("List index out of bounds (" + std::to_string(index) + ")");
    return rows_.columns[index];
}

const Value& Query::field(std::size_t index) const
{
    column(index);
    if (rows_.rows.empty())
        return nullValue();
    return rows_.rows[current_][index];
}

const Value& Query::field(const std::string& name) const { return field(fieldIndex(name)); }

std::size_t Query::fieldIndex(const std::string& name) const
{
    for (std::size_t i = 0; i < rows_.columns.size(); ++i)
        if (sameText(rows_.columns[i].name, name))
            return i;
    throw Error("Field '" + name + "' not found");
}

void Query::execSql()
{
    if (sql_.find_first_not_of(" \t\r\n") == std::string::npos)
        throw Error("Empty SQL Statement");
    auto& tr = transaction_.ensureStarted();
    BoundStatement bound = connection_.statement(tr, sql_);
    bound.statement.run(tr, bound.params);
}

}  // namespace kalvora
