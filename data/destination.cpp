#include "data/destination.h"

#include "base/errors.h"
#include "base/text.h"

#include <algorithm>
#include <cctype>

namespace kalvora {

namespace {

std::string lowerTrimmed(std::string s)
{
    const auto first = s.find_first_not_of(' ');
    const auto last = s.find_last_not_of(' ');
    s = first == std::string::npos ? std::string() : s.substr(first, last - first + 1);
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return s;
}

}  // namespace

DestinationConnection::DestinationConnection()
    : params_({{"BlobSize", "-1"},
               {"CommitRetain", "False"},
               {"Database", "C:\\kalvora2012\\sop\\kalvora.fdb"},
               {"ErrorResourceFile", ""},
               {"LocaleCode", "0000"},
               {"Password", "qorblatex"},
               {"RoleName", "RoleName"},
               {"ServerCharSet", ""},
               {"SQLDialect", "3"},
               {"Interbase TransIsolation", "ReadCommited"},
               {"User_Name", "sysdba"},
               {"WaitOnLocks", "True"},
               {"Trim Char", "False"}}),
      options_(readOptions())
{
}

void DestinationConnection::setParam(const std::string& name, const std::string& value)
{
    const auto location = params_.get("Database");
    params_.set(name, value);
    locationChosen_ = locationChosen_ || params_.get("Database") != location;
    options_ = readOptions();
    endReader();
}

DestinationConnection::~DestinationConnection()
{
    try {
        close();
    } catch (const Error&) {
        // Closing at the end of the program reports nothing.
    }
}

fb::TransactionOptions DestinationConnection::readOptions() const
{
    fb::TransactionOptions options;
    const std::string isolation = lowerTrimmed(params_.get("Interbase TransIsolation").value_or(""));
    // Firebird has no dirty read; read committed is the nearest it offers.
    options.isolation = isolation == "repeatableread" ? fb::TransactionOptions::Isolation::Snapshot
                                                      : fb::TransactionOptions::Isolation::ReadCommitted;
    options.waitOnLocks = lowerTrimmed(params_.get("WaitOnLocks").value_or("")) == "true";
    return options;
}

void DestinationConnection::open()
{
    if (attachment_)
        return;
    // The initial location is a leftover of the program's design, not a database anybody
    // chose (the client reads its "C:" as a host named C): a read before "Conectar" would
    // otherwise report a server nobody typed.
    if (!locationChosen_)
        throw Error(ansi("No hay una compañía destino conectada: escoja la compañía y pulse \"Conectar\"."));
    fb::AttachParams attach = credentials(params_);
    attach.charset = params_.get("ServerCharSet").value_or("");
    attachment_ = fb::Attachment::attach(params_.get("Database").value_or(""), attach);
}

void DestinationConnection::close()
{
    if (!attachment_)
        return;
    statements_.clear();
    precisions_.clear();
    endReader();
    releaseReservation();
    if (explicit_) {
        auto tr = std::move(explicit_);
        try {
            tr->rollback();
        } catch (const Error&) {
            // Detaching ends it anyway.
        }
    }
    auto attachment = std::move(attachment_);
    attachment->detach();
}

template <typename F>
auto DestinationConnection::run(const std::string& sql, const std::vector<Value>& params, bool readOnly, F&& body)
{
    open();
    if (explicit_)
        return body(statements_.get(*attachment_, *explicit_, sql, params), *explicit_);
    fb::TransactionOptions options = options_;
    options.readOnly = readOnly;
    if (readOnly && readsHeld_ && options.isolation == fb::TransactionOptions::Isolation::ReadCommitted) {
        if (!reader_)
            reader_ = std::make_unique<fb::Transaction>(*attachment_, options);
        try {
            return body(statements_.get(*attachment_, *reader_, sql, params), *reader_);
        } catch (const Error&) {
            // The next read starts afresh, whatever became of this transaction.
            endReader();
            throw;
        }
    }
    fb::Transaction tr(*attachment_, options);
    auto result = body(statements_.get(*attachment_, tr, sql, params), tr);
    tr.commit();
    return result;
}

fb::Rows DestinationConnection::select(const std::string& sql, const std::vector<Value>& params, bool mayWrite)
{
    if (mayWrite && !explicit_) {
        if (fb::Transaction* tr = committing(writingReads_)) {
            try {
                return statements_.get(*attachment_, *tr, sql, params).fetchAll(*tr);
            } catch (const Error&) {
                endReader();
                throw;
            }
        }
    }
    return run(sql, params, !mayWrite, [](BoundStatement s, fb::Transaction& tr) { return s.fetchAll(tr); });
}

void DestinationConnection::executeCommitted(const std::string& sql, const std::vector<Value>& params)
{
    if (!explicit_) {
        if (fb::Transaction* tr = committing(writes_)) {
            try {
                BoundStatement bound = statements_.get(*attachment_, *tr, sql, params);
                bound.statement.run(*tr, bound.params);
            } catch (const Error&) {
                // The failed statement is undone; the next one starts afresh in case the
                // transaction went with the connection.
                endReader();
                throw;
            }
            return;
        }
    }
    run(sql, params, false, [](BoundStatement s, fb::Transaction& tr) {
        s.statement.run(tr, s.params);
        return 0;
    });
}

std::vector<fb::Column> DestinationConnection::describe(const std::string& sql)
{
    return run(sql, {}, true, [](BoundStatement s, fb::Transaction&) { return s.statement.columns(); });
}

fb::Transaction* DestinationConnection::committing(std::unique_ptr<fb::Transaction>& kept)
{
    if (!readsHeld_ || options_.isolation != fb::TransactionOptions::Isolation::ReadCommitted)
        return nullptr;
    open();
    if (!kept) {
        fb::TransactionOptions options = options_;
        options.autocommit = true;
        kept = std::make_unique<fb::Transaction>(*attachment_, options);
    }
    return kept.get();
}

std::uint64_t DestinationConnection::execute(const std::string& sql, const std::vector<Value>& params)
{
    return run(sql, params, false, [](BoundStatement s, fb::Transaction& tr) { return s.execute(tr); });
}

void DestinationConnection::releaseReads()
{
    readsHeld_ = false;
    endReader();
}

void DestinationConnection::endReader()
{
    // The kept transactions hold nothing uncommitted: they only read, or the server committed
    // each of their statements. If the attachment is gone, so are they.
    for (auto* kept : {&reader_, &writingReads_, &writes_}) {
        if (!*kept)
            continue;
        auto tr = std::move(*kept);
        try {
            tr->commit();
        } catch (const Error&) {
        }
    }
}

void DestinationConnection::reserve(const std::string& table)
{
    releaseReservation();
    open();
    fb::TransactionOptions options;
    options.isolation = fb::TransactionOptions::Isolation::ReadCommitted;
    options.waitOnLocks = false;
    options.protectedWrite = {table};
    reservation_ = std::make_unique<fb::Transaction>(*attachment_, options);
}

void DestinationConnection::releaseReservation()
{
    if (!reservation_)
        return;
    auto tr = std::move(reservation_);
    try {
        tr->rollback();
    } catch (const Error&) {
        // It changed nothing; if the attachment is gone, so is the reservation.
    }
}

void DestinationConnection::startTransaction()
{
    if (explicit_)
        throw Error("A transaction is already active");
    open();
    explicit_ = std::make_unique<fb::Transaction>(*attachment_, options_);
}

void DestinationConnection::commit()
{
    if (!explicit_)
        return;
    auto tr = std::move(explicit_);
    tr->commit();
}

void DestinationConnection::rollback()
{
    if (!explicit_)
        return;
    auto tr = std::move(explicit_);
    tr->rollback();
}

}  // namespace kalvora
