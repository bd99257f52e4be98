#include "data/firebird.h"

#include "base/errors.h"
#include "base/text.h"
#include "data/client_library.h"
#include "data/wire_encryption.h"

#include <cstring>

using Firebird::IStatus;

namespace kalvora::fb {

namespace {

Firebird::IMaster* master()
{
    static Firebird::IMaster* const m = [] {
        requireClientLibrary();
        return Firebird::fb_get_master_interface();
    }();
    return m;
}

// The program's error for a failed status vector: the engine's text, every line as
// IUtil::formatStatus writes it without the final line break, its first code and SQLSTATE.
DatabaseError databaseError(IStatus* status)
{
    char buffer[4096];
    master()->getUtilInterface()->formatStatus(buffer, sizeof buffer, status);
    std::string text(buffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    const intptr_t* vector = status->getErrors();
    const std::intptr_t code = vector[0] == isc_arg_gds ? vector[1] : 0;
    char sqlState[FB_SQLSTATE_SIZE] = {};
    fb_sqlstate(sqlState, vector);
    std::vector<std::intptr_t> codes;
    std::vector<std::string> arguments;
    for (const intptr_t* v = vector; *v != isc_arg_end;) {
        switch (v[0]) {
        case isc_arg_gds:
            codes.push_back(v[1]);
            break;
        case isc_arg_string:
        case isc_arg_interpreted:
            arguments.emplace_back(reinterpret_cast<const char*>(v[1]));
            break;
        case isc_arg_cstring:
            arguments.emplace_back(reinterpret_cast<const char*>(v[2]), std::size_t(v[1]));
            ++v;
            break;
        default:
            break;
        }
        v += 2;
    }
    return DatabaseError(text, code, sqlState, std::move(codes), std::move(arguments));
}

// The status of the calls of one operation. A call that fails throws DatabaseError from
// here, the one place a failed status turns into the program's error.
class Status : public Firebird::BaseStatusWrapper<Status> {
public:
    Status() : BaseStatusWrapper(master()->getStatus()) {}
    ~Status() { status->dispose(); }
    Status(const Status&) = delete;
    Status& operator=(const Status&) = delete;

    static void checkException(Status* s)
    {
        if (s->dirty && (s->status->getState() & IStatus::STATE_ERRORS))
            throw databaseError(s->status);
    }
};

// Lets go of an interface that a successful detach, commit, rollback or close has freed.
template <typename T>
void freed(Handle<T>& handle)
{
    static_cast<void>(handle.release());
}

Firebird::IProvider* dispatcher()
{
    static Firebird::IProvider* const p = master()->getDispatcher();
    return p;
}

// The client takes the location as a C string: the program's Windows-1252 bytes go as
// UTF-8 (flagged in the parameter block), which the client turns into the system's file
// names, and a NUL would silently name another file.
std::string clientLocation(const std::string& location)
{
    const std::size_t nul = location.find('\0');
    if (nul != std::string::npos)
        throw Error(ansi("La ubicación de la base de datos contiene un carácter nulo después de ") +
                    location.substr(0, nul));
    return toUtf8(location);
}

std::vector<unsigned char> buildDpb(const AttachParams& params, bool creating)
{
    Status st;
    auto* util = master()->getUtilInterface();
    const Handle<Firebird::IXpbBuilder> dpb(util->getXpbBuilder(&st, Firebird::IXpbBuilder::DPB, nullptr, 0));
    dpb->insertTag(&st, isc_dpb_utf8_filename);
    // The embedded engine has no wire and ignores it.
    dpb->insertString(&st, isc_dpb_config, wireCryptConfig().c_str());
    if (params.hasUser)
        dpb->insertBytes(&st, isc_dpb_user_name, params.user.data(), unsigned(params.user.size()));
    if (params.hasPassword)
        dpb->insertBytes(&st, isc_dpb_password, params.password.data(), unsigned(params.password.size()));
    if (!params.role.empty())
        dpb->insertBytes(&st, isc_dpb_sql_role_name, params.role.data(), unsigned(params.role.size()));
    if (!params.charset.empty())
        dpb->insertBytes(&st, isc_dpb_lc_ctype, params.charset.data(), unsigned(params.charset.size()));
    if (creating) {
        dpb->insertInt(&st, isc_dpb_sql_dialect, 3);
        if (!params.forcedWrites)
            dpb->insertInt(&st, isc_dpb_force_write, 0);
    }
    const unsigned char* buffer = dpb->getBuffer(&st);
    return std::vector<unsigned char>(buffer, buffer + dpb->getBufferLength(&st));
}

std::vector<unsigned char> buildTpb(const TransactionOptions& options)
{
    using Isolation = TransactionOptions::Isolation;
    if (options.isolation == Isolation::ServerDefault && options.protectedWrite.empty())
        return {};
    Status st;
    const Handle<Firebird::IXpbBuilder> tpb(
        master()->getUtilInterface()->getXpbBuilder(&st, Firebird::IXpbBuilder::TPB, nullptr, 0));
    tpb->insertTag(&st, options.readOnly ? isc_tpb_read : isc_tpb_write);
    if (options.isolation == Isolation::ReadCommitted) {
        tpb->insertTag(&st, isc_tpb_read_committed);
        tpb->insertTag(&st, isc_tpb_rec_version);
    } else {
        tpb->insertTag(&st, isc_tpb_concurrency);
    }
    tpb->insertTag(&st, options.waitOnLocks ? isc_tpb_wait : isc_tpb_nowait);
    if (options.autocommit)
        tpb->insertTag(&st, isc_tpb_autocommit);
    for (const auto& table : options.protectedWrite) {
        tpb->insertString(&st, isc_tpb_lock_write, table.c_str());
        tpb->insertTag(&st, isc_tpb_protected);
    }
    const unsigned char* buffer = tpb->getBuffer(&st);
    return std::vector<unsigned char>(buffer, buffer + tpb->getBufferLength(&st));
}

template <typename T>
T readAs(const unsigned char* p)
{
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

template <typename T>
void writeAs(unsigned char* p, T v)
{
    std::memcpy(p, &v, sizeof v);
}

std::string readBlob(Attachment& att, Transaction& tr, ISC_QUAD id)
{
    Status st;
    Handle<Firebird::IBlob> blob(att.get()->openBlob(&st, tr.get(), &id, 0, nullptr));
    std::string out;
    char chunk[32768];
    for (;;) {
        unsigned got = 0;
        const int rc = blob->getSegment(&st, sizeof chunk, chunk, &got);
        if (rc != Firebird::IStatus::RESULT_OK && rc != Firebird::IStatus::RESULT_SEGMENT)
            break;
        out.append(chunk, got);
    }
    blob->close(&st);
    freed(blob);
    return out;
}

ISC_QUAD writeBlob(Attachment& att, Transaction& tr, const std::string& bytes)
{
    Status st;
    ISC_QUAD id{};
    Handle<Firebird::IBlob> blob(att.get()->createBlob(&st, tr.get(), &id, 0, nullptr));
    constexpr std::size_t kSegment = 32768;
    for (std::size_t at = 0; at < bytes.size(); at += kSegment) {
        const std::size_t n = std::min(kSegment, bytes.size() - at);
        blob->putSegment(&st, unsigned(n), bytes.data() + at);
    }
    blob->close(&st);
    freed(blob);
    return id;
}

// Text sent for a BLOB is converted into the column's sub-type and character set. Only a
// binary BLOB and a text BLOB without a character set (NONE, OCTETS) keep its bytes for
// sure: other sub-types take text only through a filter, other character sets by conversion.
bool takesTextAsIs(const Column& blob)
{
    constexpr int kNone = 0;
    constexpr int kOctets = 1;
    return blob.subType == 0 || (blob.subType == 1 && (blob.charSet == kNone || blob.charSet == kOctets));
}

std::vector<Column> describe(Firebird::IMessageMetadata* meta)
{
    Status st;
    std::vector<Column> out;
    const unsigned count = meta->getCount(&st);
    for (unsigned i = 0; i < count; ++i) {
        Column c;
        c.name = meta->getAlias(&st, i);
        c.field = meta->getField(&st, i);
        c.relation = meta->getRelation(&st, i);
        c.type = meta->getType(&st, i) & ~1u;
        c.subType = meta->getSubType(&st, i);
        c.scale = meta->getScale(&st, i);
        c.length = meta->getLength(&st, i);
        c.charSet = int(meta->getCharSet(&st, i));
        c.nullable = meta->isNullable(&st, i);
        out.push_back(std::move(c));
    }
    return out;
}

}  // namespace

// ---------------------------------------------------------------------------- Attachment

namespace {

// The engine's text names neither the server nor a way out.
[[noreturn]] void rethrowAttachFailure(const DatabaseError& e, const std::string& location)
{
    if (!e.has(isc_wirecrypt_incompatible))
        throw e;
    throw DatabaseError(unencryptedWireRefusal(location), e.code(), e.sqlState());
}

}  // namespace

std::unique_ptr<Attachment> Attachment::attach(const std::string& location, const AttachParams& params)
{
    Status st;
    const auto dpb = buildDpb(params, false);
    const std::string path = clientLocation(location);
    try {
        Handle<Firebird::IAttachment> att(
            dispatcher()->attachDatabase(&st, path.c_str(), unsigned(dpb.size()), dpb.data()));
        return std::unique_ptr<Attachment>(new Attachment(std::move(att)));
    } catch (const DatabaseError& e) {
        rethrowAttachFailure(e, location);
    }
}

std::unique_ptr<Attachment> Attachment::create(const std::string& location, const AttachParams& params)
{
    Status st;
    const auto dpb = buildDpb(params, true);
    const std::string path = clientLocation(location);
    try {
        Handle<Firebird::IAttachment> att(
            dispatcher()->createDatabase(&st, path.c_str(), unsigned(dpb.size()), dpb.data()));
        return std::unique_ptr<Attachment>(new Attachment(std::move(att)));
    } catch (const DatabaseError& e) {
        rethrowAttachFailure(e, location);
    }
}

Attachment::~Attachment()
{
    try {
        detach();
    } catch (...) {
        // The handle still holds the attachment and releases it.
    }
}

void Attachment::detach()
{
    if (!att_)
        return;
    Status st;
    att_->detach(&st);
    freed(att_);
}

void Attachment::executeImmediate(const std::string& sql)
{
    Transaction tr(*this);
    Status st;
    att_->execute(&st, tr.get(), unsigned(sql.size()), sql.data(), 3, nullptr, nullptr, nullptr, nullptr);
    tr.commit();
}

// ---------------------------------------------------------------------------- Transaction

Transaction::Transaction(Attachment& attachment, const TransactionOptions& options)
{
    Status st;
    const auto tpb = buildTpb(options);
    tr_.reset(attachment.get()->startTransaction(&st, unsigned(tpb.size()), tpb.empty() ? nullptr : tpb.data()));
}

Transaction::~Transaction()
{
    try {
        rollback();
    } catch (...) {
        // The handle still holds the transaction and releases it.
    }
}

void Transaction::commit()
{
    // An ended transaction has no interface left to call.
    if (!tr_)
        throw Error("The transaction is not active");
    Status st;
    tr_->commit(&st);
    freed(tr_);
}

void Transaction::rollback()
{
    if (!tr_)
        return;
    Status st;
    tr_->rollback(&st);
    freed(tr_);
}

// ---------------------------------------------------------------------------- Statement

struct Statement::Input {
    Firebird::IMessageMetadata* meta = nullptr;  // owned by the statement
    std::vector<unsigned char> buffer;
};

Statement::Statement(Attachment& attachment, Transaction& tr, const std::string& sql) : attachment_(attachment)
{
    Status st;
    stmt_.reset(attachment.get()->prepare(&st, tr.get(), unsigned(sql.size()), sql.data(), 3,
                                          Firebird::IStatement::PREPARE_PREFETCH_METADATA));
    out_.reset(stmt_->getOutputMetadata(&st));
    in_.reset(stmt_->getInputMetadata(&st));
    columns_ = describe(out_.get());
    parameters_ = describe(in_.get());
    paramCount_ = parameters_.size();
    hasCursor_ = (stmt_->getFlags(&st) & Firebird::IStatement::FLAG_HAS_CURSOR) != 0;
}

// How one value travels: as the server declared the parameter for nulls, as its own type
// otherwise. Text is sent at least as long as the parameter, so that rows of one statement
// share one message layout.
Statement::Slot Statement::slotFor(unsigned index, const Value& value) const
{
    const Column& declared = parameters_[index];
    Slot slot{declared.type, declared.length, declared.scale};
    auto text = [&](std::size_t size) {
        if (size > 32765)
            throw Error("A text parameter is longer than 32765 bytes");
        const bool textual = declared.type == SQL_TEXT || declared.type == SQL_VARYING;
        const std::size_t least = textual ? declared.length : 1;
        slot = {SQL_VARYING, unsigned(std::max(size, std::max<std::size_t>(least, 1))), 0};
    };
    std::visit(
        [&](const auto& x) {
            using T = std::decay_t<decltype(x)>;
            if constexpr (std::is_same_v<T, std::int64_t>) {
                slot = {SQL_INT64, 8, 0};
            } else if constexpr (std::is_same_v<T, Scaled>) {
                slot = {SQL_INT64, 8, x.scale};
            } else if constexpr (std::is_same_v<T, double>) {
                slot = {SQL_DOUBLE, 8, 0};
            } else if constexpr (std::is_same_v<T, std::string> || std::is_same_v<T, BlobBytes>) {
                const std::size_t size = [&] {
                    if constexpr (std::is_same_v<T, std::string>)
                        return x.size();
                    else
                        return x.bytes.size();
                }();
                // A value that fits a text parameter goes with the statement where the
                // server stores its bytes as they are; any other is written in segments first.
                if (declared.type == SQL_BLOB && (size > 32765 || !takesTextAsIs(declared)))
                    slot = {SQL_BLOB, unsigned(sizeof(ISC_QUAD)), 0};
                else
                    text(size);
            } else if constexpr (std::is_same_v<T, Date>) {
                slot = {SQL_TYPE_DATE, unsigned(sizeof(ISC_DATE)), 0};
            } else if constexpr (std::is_same_v<T, TimeOfDay>) {
                slot = {SQL_TYPE_TIME, unsigned(sizeof(ISC_TIME)), 0};
            } else if constexpr (std::is_same_v<T, Timestamp>) {
                slot = {SQL_TIMESTAMP, unsigned(sizeof(ISC_TIMESTAMP)), 0};
            } else if constexpr (std::is_same_v<T, bool>) {
                slot = {SQL_BOOLEAN, 1, 0};
            }
        },
        value.storage());
    return slot;
}

// The message layout for these slots; the last one is kept, as most calls repeat it.
void Statement::useLayout(const std::vector<Slot>& slots)
{
    if (inputMeta_ && slots == inputSlots_)
        return;
    Status st;
    const Handle<Firebird::IMetadataBuilder> builder(in_->getBuilder(&st));
    for (unsigned i = 0; i < slots.size(); ++i) {
        builder->setType(&st, i, slots[i].type | 1);
        builder->setLength(&st, i, slots[i].length);
        builder->setScale(&st, i, slots[i].scale);
        if (slots[i].type == SQL_VARYING)
            builder->setCharSet(&st, i, 0);
    }
    Handle<Firebird::IMessageMetadata> meta(builder->getMetadata(&st));
    InputLayout layout;
    layout.length = meta->getMessageLength(&st);
    for (unsigned i = 0; i < slots.size(); ++i)
        layout.offsets.emplace_back(meta->getOffset(&st, i), meta->getNullOffset(&st, i));
    inputMeta_ = std::move(meta);
    inputSlots_ = slots;
    inputLayout_ = std::move(layout);
}

Statement::Input Statement::bindInput(Transaction& tr, const std::vector<Value>& params)
{
    if (params.size() != paramCount_)
        throw Error("The statement takes " + std::to_string(paramCount_) + " parameters, " +
                    std::to_string(params.size()) + " were given");
    Input input;
    if (paramCount_ == 0)
        return input;
    std::vector<Slot> slots;
    slots.reserve(paramCount_);
    for (unsigned i = 0; i < paramCount_; ++i)
        slots.push_back(slotFor(i, params[i]));
    useLayout(slots);
    input.meta = inputMeta_.get();
    input.buffer.assign(inputLayout_.length, 0);
    for (unsigned i = 0; i < paramCount_; ++i) {
        unsigned char* p = input.buffer.data() + inputLayout_.offsets[i].first;
        writeAs<short>(input.buffer.data() + inputLayout_.offsets[i].second, params[i].isNull() ? -1 : 0);
        const bool blob = slots[i].type == SQL_BLOB;
        std::visit(
            [&](const auto& x) {
                using T = std::decay_t<decltype(x)>;
                if constexpr (std::is_same_v<T, std::int64_t>) {
                    writeAs<std::int64_t>(p, x);
                } else if constexpr (std::is_same_v<T, Scaled>) {
                    writeAs<std::int64_t>(p, x.value);
                } else if constexpr (std::is_same_v<T, double>) {
                    writeAs<double>(p, x);
                } else if constexpr (std::is_same_v<T, std::string> || std::is_same_v<T, BlobBytes>) {
                    const std::string* bytes;
                    if constexpr (std::is_same_v<T, std::string>)
                        bytes = &x;
                    else
                        bytes = &x.bytes;
                    if (blob) {
                        writeAs<ISC_QUAD>(p, writeBlob(attachment_, tr, *bytes));
                    } else {
                        writeAs<std::uint16_t>(p, std::uint16_t(bytes->size()));
                        std::memcpy(p + 2, bytes->data(), bytes->size());
                    }
                } else if constexpr (std::is_same_v<T, Date>) {
                    writeAs<ISC_DATE>(p, toDayNumber(x));
                } else if constexpr (std::is_same_v<T, TimeOfDay>) {
                    writeAs<ISC_TIME>(p, toTimeNumber(x));
                } else if constexpr (std::is_same_v<T, Timestamp>) {
                    writeAs<ISC_TIMESTAMP>(p, ISC_TIMESTAMP{toDayNumber(x.date), toTimeNumber(x.time)});
                } else if constexpr (std::is_same_v<T, bool>) {
                    *p = x ? 1 : 0;
                }
            },
            params[i].storage());
    }
    return input;
}

Value Statement::readColumn(Transaction& tr, const unsigned char* buffer, unsigned index)
{
    Status st;
    if (readAs<short>(buffer + out_->getNullOffset(&st, index)) != 0)
        return {};
    const unsigned char* p = buffer + out_->getOffset(&st, index);
    const Column& c = columns_[index];
    auto integer = [&](std::int64_t v) -> Value {
        if (c.scale == 0)
            return v;
        return Scaled{v, c.scale};
    };
    switch (c.type) {
    case SQL_TEXT:
        return std::string(reinterpret_cast<const char*>(p), c.length);
    case SQL_VARYING:
        return std::string(reinterpret_cast<const char*>(p + 2), readAs<std::uint16_t>(p));
    case SQL_SHORT:
        return integer(readAs<std::int16_t>(p));
    case SQL_LONG:
        return integer(readAs<std::int32_t>(p));
    case SQL_INT64:
        return integer(readAs<std::int64_t>(p));
    case SQL_FLOAT:
        return double(readAs<float>(p));
    case SQL_DOUBLE:
    case SQL_D_FLOAT:
        return readAs<double>(p);
    case SQL_TYPE_DATE:
        return fromDayNumber(readAs<ISC_DATE>(p));
    case SQL_TYPE_TIME:
        return fromTimeNumber(readAs<ISC_TIME>(p));
    case SQL_TIMESTAMP: {
        const auto ts = readAs<ISC_TIMESTAMP>(p);
        return Timestamp{fromDayNumber(ts.timestamp_date), fromTimeNumber(ts.timestamp_time)};
    }
    case SQL_BLOB:
        return BlobBytes{readBlob(attachment_, tr, readAs<ISC_QUAD>(p))};
    case SQL_BOOLEAN:
        return *p != 0;
    case SQL_NULL:
        return {};
    default:
        throw Error("Unsupported column type " + std::to_string(c.type) + " for '" + c.name + "'");
    }
}

Rows Statement::fetchAll(Transaction& tr, const std::vector<Value>& params)
{
    Rows out;
    out.columns = columns_;
    Input input = bindInput(tr, params);
    Status st;
    Handle<Firebird::IResultSet> rs(stmt_->openCursor(&st, tr.get(), input.meta, input.buffer.data(), out_.get(), 0));
    std::vector<unsigned char> buffer(out_->getMessageLength(&st));
    while (rs->fetchNext(&st, buffer.data()) == Firebird::IStatus::RESULT_OK) {
        Row row;
        row.reserve(columns_.size());
        for (unsigned i = 0; i < columns_.size(); ++i)
            row.push_back(readColumn(tr, buffer.data(), i));
        out.rows.push_back(std::move(row));
    }
    rs->close(&st);
    freed(rs);
    return out;
}

std::uint64_t Statement::execute(Transaction& tr, const std::vector<Value>& params)
{
    Input input = bindInput(tr, params);
    Status st;
    stmt_->execute(&st, tr.get(), input.meta, input.buffer.data(), nullptr, nullptr);
    return stmt_->getAffectedRecords(&st);
}

void Statement::run(Transaction& tr, const std::vector<Value>& params)
{
    Input input = bindInput(tr, params);
    Status st;
    stmt_->execute(&st, tr.get(), input.meta, input.buffer.data(), nullptr, nullptr);
}

std::unique_ptr<Cursor> Statement::openCursor(Transaction& tr, const std::vector<Value>& params)
{
    Input input = bindInput(tr, params);
    Status st;
    Handle<Firebird::IResultSet> results(
        stmt_->openCursor(&st, tr.get(), input.meta, input.buffer.data(), out_.get(), 0));
    return std::make_unique<Cursor>(*this, tr, std::move(results));
}

// ---------------------------------------------------------------------------- Cursor

Cursor::Cursor(Statement& statement, Transaction& tr, Handle<Firebird::IResultSet> results)
    : statement_(statement), tr_(tr), results_(std::move(results))
{
    Status st;
    buffer_.resize(statement_.out_->getMessageLength(&st));
}

Cursor::~Cursor()
{
    try {
        Status st;
        results_->close(&st);
        freed(results_);
    } catch (...) {
        // Its transaction or attachment has ended already, and the cursor with it: the
        // handle only lets go of the interface.
    }
}

bool Cursor::fetch(Row& row)
{
    Status st;
    if (results_->fetchNext(&st, buffer_.data()) != Firebird::IStatus::RESULT_OK)
        return false;
    row.clear();
    row.reserve(statement_.columns_.size());
    for (unsigned i = 0; i < statement_.columns_.size(); ++i)
        row.push_back(statement_.readColumn(tr_, buffer_.data(), i));
    return true;
}

}  // namespace kalvora::fb
