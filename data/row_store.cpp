#include "data/row_store.h"

#include "base/errors.h"
#include "data/resolver.h"

#include <algorithm>
#include <cctype>

namespace kalvora {

namespace {

bool sameName(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::toupper(x) == std::toupper(y);
           });
}

// ":NAME" parameters become "?"; the names are returned in order.
std::string positionalParameters(const std::string& sql, std::vector<std::string>& names)
{
    std::string out;
    for (std::size_t i = 0; i < sql.size(); ++i) {
        const char c = sql[i];
        if (c == '\'' || c == '"') {
            const auto close = sql.find(c, i + 1);
            const auto end = close == std::string::npos ? sql.size() : close + 1;
            out += sql.substr(i, end - i);
            i = end - 1;
        } else if (c == ':' && i + 1 < sql.size() &&
                   (std::isalpha(static_cast<unsigned char>(sql[i + 1])) || sql[i + 1] == '_')) {
            std::size_t j = i + 1;
            while (j < sql.size() && (std::isalnum(static_cast<unsigned char>(sql[j])) || sql[j] == '_'))
                ++j;
            names.push_back(sql.substr(i + 1, j - i - 1));
            out += '?';
            i = j - 1;
        } else {
            out += c;
        }
    }
    return out;
}

// Text enters a row store without its trailing blanks.
Value loaded(const FieldDef& def, Value v)
{
    if ((def.type == FieldType::String || def.type == FieldType::FixedChar) &&
        std::holds_alternative<std::string>(v.storage()))
        return convertForField(def, v);
    return v;
}

// A hook answering "retry" for ever must not hang the program.
constexpr int kMaxRetries = 100;

}  // namespace

struct RowStore::Record {
    enum class Status { Unchanged, Inserted, Modified };
    std::vector<Value> values;
    std::vector<Value> old;
    std::vector<bool> assigned;
    Status status = Status::Unchanged;
    std::uint64_t seq = 0;  // place in the change log; 0 while the row has no change
    // Place among the rows as loaded or last applied, which a cancel of updates restores.
    std::size_t ordinal = 0;
    std::vector<Record> nested;
    std::vector<Record> nestedDeleted;

    bool hasNestedChanges() const
    {
        return !nestedDeleted.empty() ||
               std::any_of(nested.begin(), nested.end(), [](const Record& r) { return r.status != Status::Unchanged; });
    }
};

struct RowStore::Impl {
    std::vector<FieldDef> fields;
    std::vector<Record> rows;  // top-level stores only
    std::vector<Record> deleted;
    int current = 0;
    bool eof = true;
    bool bof = true;
    Record buffer;  // the row being inserted or edited
    int insertAt = 0;
    bool modified = false;
    std::uint64_t seq = 0;
    std::string lastSent;   // the text of the last open or execute, which names the table
    std::string detailSql;  // nested store: its query with positional parameters
    std::vector<std::string> linkNames;
    std::vector<int> columnOf;  // nested store: result column of each declared field
};

RowStore::RowStore(std::string name, std::unique_ptr<RowSource> source, ProviderOptions provider)
    : name_(std::move(name)), source_(std::move(source)), provider_(std::move(provider)),
      impl_(std::make_unique<Impl>())
{
}

RowStore::RowStore(std::string name, RowStore* parent, std::vector<DeclaredField> fields, std::string detailSql)
    : name_(std::move(name)), declared_(std::move(fields)), parent_(parent), impl_(std::make_unique<Impl>())
{
    queryText_ = detailSql;
    impl_->detailSql = positionalParameters(detailSql, impl_->linkNames);
}

RowStore::~RowStore() = default;

RowStore& RowStore::addNested(std::string name, const std::string& detailSql, std::vector<DeclaredField> fields)
{
    nested_.reset(new RowStore(std::move(name), this, std::move(fields), detailSql));
    return *nested_;
}

// ---------------------------------------------------------------------------- basics

void RowStore::requireActive() const
{
    if (!active())
        throw Error(name_ + ": Cannot perform this operation on a closed dataset");
}

void RowStore::notify()
{
    for (const auto& observer : observers_)
        observer();
    if (nested_)
        nested_->notify();
}

std::vector<RowStore::Record>* RowStore::rows() const
{
    if (!parent_)
        return &impl_->rows;
    // A master being inserted has nested rows of its own: none, until it is posted.
    if (parent_->state_ == State::Insert)
        return &parent_->impl_->buffer.nested;
    Record* master = parent_->currentRecord();
    return master ? &master->nested : nullptr;
}

std::vector<RowStore::Record>* RowStore::deletedRows() const
{
    if (!parent_)
        return &impl_->deleted;
    if (parent_->state_ == State::Insert)
        return &parent_->impl_->buffer.nestedDeleted;
    Record* master = parent_->currentRecord();
    return master ? &master->nestedDeleted : nullptr;
}

RowStore::Record* RowStore::currentRecord() const
{
    auto* list = rows();
    if (!list || list->empty())
        return nullptr;
    const int i = std::clamp(impl_->current, 0, int(list->size()) - 1);
    return &(*list)[std::size_t(i)];
}

const Value& RowStore::currentValue(int index) const
{
    static const Value null;
    if (state_ == State::Insert || state_ == State::Edit)
        return impl_->buffer.values[std::size_t(index)];
    const Record* r = currentRecord();
    return r ? r->values[std::size_t(index)] : null;
}

void RowStore::runHook(const DataErrorHook& hook, const std::function<void()>& operation)
{
    for (int attempt = 0;; ++attempt) {
        try {
            operation();
            return;
        } catch (const Error& e) {
            DataAction action = DataAction::Fail;
            if (hook)
                hook(*this, e.what(), action);
            if (action == DataAction::Abort)
                throw SilentAbort();
            if (action == DataAction::Fail || attempt >= kMaxRetries)
                throw;
        }
    }
}

// ---------------------------------------------------------------------------- open / close

void RowStore::open() { openWith(false); }

void RowStore::openEmpty() { openWith(true); }

void RowStore::openWith(bool describeOnly)
{
    if (parent_) {
        parent_->openWith(describeOnly);
        return;
    }
    if (active())
        return;
    if (!commandText_.empty() && !provider_.acceptsCommandText)
        throw Error("CommandText changes are not allowed");
    const std::string sql = commandText_.empty() ? queryText_ : commandText_;
    fb::Rows result;
    if (describeOnly)
        result.columns = source_->describe(sql);
    else
        result = source_->read(sql, {}, provider_.queryMayWrite);

    Impl fresh;
    std::vector<int> columnOf;
    defineFields(result.columns, *this, fresh.fields, columnOf);
    for (auto& row : result.rows) {
        Record r;
        for (std::size_t f = 0; f < fresh.fields.size(); ++f)
            r.values.push_back(loaded(fresh.fields[f], std::move(row[std::size_t(columnOf[f])])));
        r.old = r.values;
        r.assigned.assign(r.values.size(), false);
        r.ordinal = fresh.rows.size();
        fresh.rows.push_back(std::move(r));
    }
    if (nested_) {
        // Learn the nested fields even when there is no master row to ask for.
        std::vector<Value> noMaster(nested_->impl_->linkNames.size());
        fb::Rows shape = source_->read(nested_->impl_->detailSql, noMaster, provider_.queryMayWrite);
        std::vector<FieldDef> nestedFields;
        std::vector<int> nestedColumns;
        defineFields(shape.columns, *nested_, nestedFields, nestedColumns);
        nested_->setNestedFields(std::move(nestedFields), std::move(nestedColumns));
        for (auto& r : fresh.rows)
            loadNested(r, fresh.fields);
    }
    fresh.lastSent = sql;
    fresh.eof = fresh.rows.empty();
    fresh.bof = true;
    fresh.detailSql = impl_->detailSql;
    fresh.linkNames = impl_->linkNames;
    *impl_ = std::move(fresh);
    state_ = State::Browse;
    if (nested_)
        nested_->state_ = State::Browse;
    notify();
}

void RowStore::defineFields(const std::vector<fb::Column>& columns, const RowStore& owner,
                            std::vector<FieldDef>& fields, std::vector<int>& columnOf)
{
    auto define = [&](const fb::Column& c) {
        return fieldDefFor(c, isExactDecimal(c) ? source_->declaredPrecision(c) : 0);
    };
    if (owner.declared_.empty()) {
        for (std::size_t i = 0; i < columns.size(); ++i) {
            fields.push_back(define(columns[i]));
            columnOf.push_back(int(i));
        }
        return;
    }
    for (const auto& d : owner.declared_) {
        auto it =
            std::find_if(columns.begin(), columns.end(), [&](const fb::Column& c) { return sameName(c.name, d.name); });
        if (it == columns.end())
            throw Error(owner.name_ + ": Field '" + d.name + "' not found");
        FieldDef def = define(*it);
        def.label = d.label;
        fields.push_back(def);
        columnOf.push_back(int(it - columns.begin()));
    }
}

void RowStore::setNestedFields(std::vector<FieldDef> fields, std::vector<int> columnOf)
{
    impl_->fields = std::move(fields);
    impl_->columnOf = std::move(columnOf);
    impl_->current = 0;
}

void RowStore::loadNested(Record& master, const std::vector<FieldDef>& masterFields)
{
    std::vector<Value> params;
    for (const auto& link : nested_->impl_->linkNames) {
        auto it = std::find_if(masterFields.begin(), masterFields.end(),
                               [&](const FieldDef& f) { return sameName(f.name, link); });
        params.push_back(it == masterFields.end() ? Value() : master.values[std::size_t(it - masterFields.begin())]);
    }
    fb::Rows result = source_->read(nested_->impl_->detailSql, params, provider_.queryMayWrite);
    const auto& fields = nested_->impl_->fields;
    for (auto& row : result.rows) {
        Record r;
        for (std::size_t f = 0; f < fields.size(); ++f)
            r.values.push_back(loaded(fields[f], std::move(row[std::size_t(nested_->impl_->columnOf[f])])));
        r.old = r.values;
        r.assigned.assign(r.values.size(), false);
        r.ordinal = master.nested.size();
        master.nested.push_back(std::move(r));
    }
}

void RowStore::close()
{
    if (parent_) {
        parent_->close();
        return;
    }
    const std::string lastSent = impl_->lastSent;
    const std::string detailSql = impl_->detailSql;
    const auto linkNames = impl_->linkNames;
    *impl_ = Impl{};
    impl_->lastSent = lastSent;
    impl_->detailSql = detailSql;
    impl_->linkNames = linkNames;
    state_ = State::Inactive;
    if (nested_) {
        nested_->state_ = State::Inactive;
        nested_->impl_->current = 0;
    }
    notify();
}

// ---------------------------------------------------------------------------- navigation

bool RowStore::isEmpty() const
{
    requireActive();
    auto* list = rows();
    return !list || list->empty();
}

int RowStore::recordCount() const
{
    if (!active())
        return 0;
    auto* list = rows();
    return list ? int(list->size()) : 0;
}

int RowStore::recNo() const { return recordCount() == 0 ? -1 : std::min(impl_->current, recordCount() - 1); }

bool RowStore::eof() const { return !active() || recordCount() == 0 || impl_->eof; }

bool RowStore::bof() const { return !active() || recordCount() == 0 || impl_->bof; }

void RowStore::first() { moveTo(0); }

void RowStore::last() { moveTo(recordCount() - 1); }

void RowStore::next()
{
    requireActive();
    checkBrowseMode();
    if (impl_->current + 1 < recordCount()) {
        moveTo(impl_->current + 1);
    } else {
        impl_->eof = true;
        notify();
    }
}

void RowStore::prior()
{
    requireActive();
    checkBrowseMode();
    if (impl_->current > 0) {
        moveTo(impl_->current - 1);
    } else {
        impl_->bof = true;
        notify();
    }
}

void RowStore::moveTo(int index)
{
    requireActive();
    checkBrowseMode();
    if (nested_ && nested_->active())
        nested_->checkBrowseMode();
    const int count = recordCount();
    impl_->current = count == 0 ? 0 : std::clamp(index, 0, count - 1);
    impl_->eof = count == 0;
    impl_->bof = impl_->current == 0;
    if (nested_) {
        nested_->impl_->current = 0;
        nested_->impl_->eof = nested_->recordCount() == 0;
        nested_->impl_->bof = true;
    }
    notify();
}

// ---------------------------------------------------------------------------- fields

int RowStore::fieldCount() const
{
    requireActive();
    return int(impl_->fields.size());
}

const std::vector<FieldDef>& RowStore::fields() const
{
    requireActive();
    return impl_->fields;
}

int RowStore::fieldIndex(const std::string& fieldName) const
{
    const auto& defs = impl_->fields;
    for (std::size_t i = 0; i < defs.size(); ++i)
        if (sameName(defs[i].name, fieldName))
            return int(i);
    return -1;
}

Field RowStore::field(int index)
{
    requireActive();
    if (index < 0 || index >= int(impl_->fields.size()))
        throw Error(name_ + ": List index out of bounds (" + std::to_string(index) + ")");
    return Field(*this, index);
}

Field RowStore::field(const std::string& fieldName)
{
    requireActive();
    const int i = fieldIndex(fieldName);
    if (i < 0)
        throw Error(name_ + ": Field '" + fieldName + "' not found");
    return Field(*this, i);
}

void RowStore::assign(int index, const Value& value)
{
    requireActive();
    if (state_ != State::Insert && state_ != State::Edit)
        throw Error("Dataset not in edit or insert mode");
    const FieldDef& def = impl_->fields[std::size_t(index)];
    if (def.readOnly)
        throw Error("Field '" + def.label + "' cannot be modified");
    impl_->buffer.values[std::size_t(index)] = convertForField(def, value);
    impl_->buffer.assigned[std::size_t(index)] = true;
    impl_->modified = true;
    notify();
}

const FieldDef& Field::def() const { return store_->impl_->fields[std::size_t(index_)]; }

const Value& Field::value() const { return store_->currentValue(index_); }

void Field::setValue(const Value& value) { store_->assign(index_, value); }

// ---------------------------------------------------------------------------- editing

void RowStore::insert()
{
    requireActive();
    checkBrowseMode();
    if (nested_ && nested_->active())
        nested_->checkBrowseMode();
    if (parent_) {
        parent_->checkBrowseMode();
        if (!parent_->currentRecord())
            throw Error(name_ + ": Cannot perform this operation on an empty dataset");
    }
    const std::size_t n = impl_->fields.size();
    impl_->buffer = Record{};
    impl_->buffer.values.assign(n, Value());
    impl_->buffer.assigned.assign(n, false);
    impl_->buffer.status = Record::Status::Inserted;
    impl_->insertAt = recordCount() == 0 ? 0 : impl_->current;
    impl_->modified = false;
    state_ = State::Insert;
    if (nested_)
        nested_->impl_->current = 0;
    if (parent_) {
        // A new nested row belongs to its master: it takes the linking values.
        const Record* master = parent_->currentRecord();
        for (const auto& link : impl_->linkNames) {
            const int mine = fieldIndex(link);
            const int theirs = parent_->fieldIndex(link);
            if (mine >= 0 && theirs >= 0) {
                impl_->buffer.values[std::size_t(mine)] = master->values[std::size_t(theirs)];
                impl_->buffer.assigned[std::size_t(mine)] = true;
            }
        }
    }
    notify();
}

void RowStore::append()
{
    insert();
    impl_->insertAt = recordCount();
    notify();
}

void RowStore::edit()
{
    requireActive();
    if (state_ == State::Insert || state_ == State::Edit)
        return;
    if (recordCount() == 0) {
        insert();
        return;
    }
    runHook(onEditError, [&] {
        if (provider_.readOnly)
            throw Error("Cannot modify a read-only dataset");
    });
    impl_->buffer = *currentRecord();
    impl_->buffer.nested.clear();
    impl_->buffer.nestedDeleted.clear();
    impl_->modified = false;
    state_ = State::Edit;
    notify();
}

void RowStore::post()
{
    requireActive();
    if (state_ != State::Insert && state_ != State::Edit)
        return;
    if (nested_ && nested_->active())
        nested_->checkBrowseMode();
    runHook(onPostError, [&] { doPost(); });
}

void RowStore::doPost()
{
    const auto& defs = impl_->fields;
    for (std::size_t i = 0; i < defs.size(); ++i)
        if (defs[i].required && impl_->buffer.values[i].isNull())
            throw Error("Field '" + defs[i].label + "' must have a value");

    // Every change takes its place in the log when first made.
    std::uint64_t& seq = parent_ ? parent_->impl_->seq : impl_->seq;
    auto* list = rows();
    if (state_ == State::Insert) {
        Record r = std::move(impl_->buffer);
        r.seq = ++seq;
        const int at = std::clamp(impl_->insertAt, 0, int(list->size()));
        list->insert(list->begin() + at, std::move(r));
        impl_->current = at;
    } else {
        Record& r = *currentRecord();
        r.values = std::move(impl_->buffer.values);
        for (std::size_t i = 0; i < r.assigned.size(); ++i)
            r.assigned[i] = r.assigned[i] || impl_->buffer.assigned[i];
        if (r.status == Record::Status::Unchanged)
            r.status = Record::Status::Modified;
        if (r.seq == 0)
            r.seq = ++seq;
    }
    if (parent_) {
        Record* master = parent_->currentRecord();
        if (master->seq == 0)
            master->seq = ++seq;
    }
    impl_->buffer = Record{};
    impl_->modified = false;
    state_ = State::Browse;
    impl_->eof = false;
    notify();
}

void RowStore::cancel()
{
    if (state_ != State::Insert && state_ != State::Edit)
        return;
    if (nested_ && state_ == State::Insert)
        nested_->impl_->current = 0;
    impl_->buffer = Record{};
    impl_->modified = false;
    state_ = State::Browse;
    notify();
}

void RowStore::checkBrowseMode()
{
    if (state_ != State::Insert && state_ != State::Edit)
        return;
    if (impl_->modified)
        post();
    else
        cancel();
}

void RowStore::remove()
{
    requireActive();
    if (state_ == State::Insert) {
        cancel();
        return;
    }
    checkBrowseMode();
    runHook(onDeleteError, [&] {
        if (provider_.readOnly)
            throw Error("Cannot modify a read-only dataset");
        if (!currentRecord())
            throw Error(name_ + ": Cannot perform this operation on an empty dataset");
    });
    std::uint64_t& seq = parent_ ? parent_->impl_->seq : impl_->seq;
    auto* list = rows();
    const int at = std::clamp(impl_->current, 0, int(list->size()) - 1);
    Record r = std::move((*list)[std::size_t(at)]);
    list->erase(list->begin() + at);
    if (r.status != Record::Status::Inserted) {
        // Its nested rows go with it, deleted before it.
        for (auto& n : r.nested)
            if (n.status != Record::Status::Inserted)
                r.nestedDeleted.push_back(std::move(n));
        r.nested.clear();
        r.seq = ++seq;
        deletedRows()->push_back(std::move(r));
    }
    if (parent_) {
        Record* master = parent_->currentRecord();
        if (master->seq == 0)
            master->seq = ++seq;
    }
    impl_->current = std::clamp(at, 0, std::max(0, int(list->size()) - 1));
    impl_->eof = list->empty();
    notify();
}

void RowStore::cancelUpdates()
{
    if (parent_) {
        parent_->cancelUpdates();
        return;
    }
    requireActive();
    if (nested_)
        nested_->cancel();
    cancel();
    // Back to what the database holds: the log is undone rather than a copy kept, so an
    // apply never has to copy every row. Deleted rows go back to their places.
    auto revert = [](std::vector<Record>& list, std::vector<Record>& deleted) {
        std::erase_if(list, [](const Record& r) { return r.status == Record::Status::Inserted; });
        for (auto& d : deleted)
            list.push_back(std::move(d));
        deleted.clear();
        std::stable_sort(list.begin(), list.end(),
                         [](const Record& a, const Record& b) { return a.ordinal < b.ordinal; });
        for (auto& r : list) {
            r.values = r.old;
            r.assigned.assign(r.values.size(), false);
            r.status = Record::Status::Unchanged;
            r.seq = 0;
        }
    };
    revert(impl_->rows, impl_->deleted);
    for (auto& r : impl_->rows)
        revert(r.nested, r.nestedDeleted);
    impl_->current = std::clamp(impl_->current, 0, std::max(0, int(impl_->rows.size()) - 1));
    impl_->eof = impl_->rows.empty();
    if (nested_)
        nested_->impl_->current = 0;
    notify();
}

int RowStore::changeCount() const
{
    if (parent_)
        return parent_->changeCount();
    if (!active())
        return 0;
    int count = int(impl_->deleted.size());
    for (const auto& d : impl_->deleted)
        count += int(d.nestedDeleted.size());
    for (const auto& r : impl_->rows) {
        count += r.status != Record::Status::Unchanged ? 1 : 0;
        count += int(r.nestedDeleted.size());
        for (const auto& n : r.nested)
            count += n.status != Record::Status::Unchanged ? 1 : 0;
    }
    return count;
}

// ---------------------------------------------------------------------------- views

int RowStore::shownCount() const { return recordCount() + (state_ == State::Insert ? 1 : 0); }

int RowStore::shownCurrent() const
{
    if (state_ == State::Insert)
        return std::clamp(impl_->insertAt, 0, recordCount());
    return recNo();
}

const Value& RowStore::shownValue(int row, int index) const
{
    static const Value null;
    const int current = shownCurrent();
    if (index < 0 || index >= int(impl_->fields.size()))
        return null;
    if (row == current && (state_ == State::Insert || state_ == State::Edit))
        return impl_->buffer.values[std::size_t(index)];
    const int held = state_ == State::Insert && row > current ? row - 1 : row;
    const auto* list = rows();
    if (!active() || !list || held < 0 || held >= int(list->size()))
        return null;
    return (*list)[std::size_t(held)].values[std::size_t(index)];
}

bool RowStore::modified() const { return impl_->modified; }

// ---------------------------------------------------------------------------- apply

// Walks the change log in order and writes each change; stops as the hook answers.
struct RowStore::Applier {
    RowStore& store;
    DestinationConnection& db;
    int maxErrors;
    int errors = 0;
    int workingMax;
    // The apply is this one insert, committed by itself as it is written.
    bool alone = false;
    bool stopped = false;
    std::vector<const Record*> stored;

    void writeOne(RowStore& rowsOf, const std::string& table, const Record& r, UpdateKind kind)
    {
        if (write(rowsOf, table, r, kind))
            stored.push_back(&r);
    }

    static RowChange changeOf(const Record& r, UpdateKind kind)
    {
        RowChange change{kind, r.old, {}};
        change.newValues.resize(r.values.size());
        if (kind != UpdateKind::Delete)
            for (std::size_t i = 0; i < r.values.size(); ++i)
                if (r.assigned[i])
                    change.newValues[i] = r.values[i];
        return change;
    }

    bool write(RowStore& rowsOf, const std::string& table, const Record& r, UpdateKind kind)
    {
        const RowChange change = changeOf(r, kind);
        for (int attempt = 0;; ++attempt) {
            std::string failure;
            bool rollbackNow = false;
            try {
                if (table.empty())
                    throw Error("Unable to resolve records.  Table name not found.");
                const auto quoted = quoteTableName(table, DestinationConnection::quoteChar());
                const auto statement =
                    buildStatement(quoted, rowsOf.impl_->fields, change, DestinationConnection::quoteChar());
                if (!statement)
                    return true;
                // An insert stores one row or fails: its row count tells nothing.
                if (alone) {
                    db.executeCommitted(statement->text, statement->params);
                    return true;
                }
                const auto affected = db.execute(statement->text, statement->params);
                if (affected == 1)
                    return true;
                if (affected > 1) {
                    failure = "Update affected more than 1 record.";
                    rollbackNow = true;
                } else {
                    failure = "Record not found or changed by another user";
                }
            } catch (const Error& e) {
                failure = e.what();
            }
            if (rollbackNow)
                db.rollback();
            UpdateResponse response =
                maxErrors != -1 && errors >= maxErrors ? UpdateResponse::Abort : UpdateResponse::Skip;
            if (store.onUpdateError)
                store.onUpdateError(UpdateError{store.provider_.name, rowsOf, failure, kind}, response);
            if (rollbackNow)
                response = UpdateResponse::Abort;
            if ((response == UpdateResponse::Merge || response == UpdateResponse::Apply) && attempt < kMaxRetries)
                continue;
            if (response == UpdateResponse::Ignore)
                return false;
            ++errors;
            if (workingMax != -1 && errors > workingMax)
                response = UpdateResponse::Abort;
            if (response == UpdateResponse::Abort) {
                workingMax = errors - 1;
                stopped = true;
            }
            return false;
        }
    }
};

int RowStore::applyUpdates(int maxErrors)
{
    if (parent_) {
        checkBrowseMode();
        return parent_->applyUpdates(maxErrors);
    }
    requireActive();
    if (nested_)
        nested_->checkBrowseMode();
    checkBrowseMode();
    if (changeCount() == 0)
        return 0;

    DestinationConnection* db = source_->destination();
    if (!db || provider_.readOnly)
        throw Error(name_ + ": Cannot modify a read-only dataset");

    // The log in the order changes were first made: live rows and deleted ones together.
    struct Entry {
        Record* record;
        bool deleted;
    };
    std::vector<Entry> log;
    for (auto& r : impl_->rows)
        if (r.status != Record::Status::Unchanged || r.hasNestedChanges())
            log.push_back({&r, false});
    for (auto& r : impl_->deleted)
        log.push_back({&r, true});
    std::stable_sort(log.begin(), log.end(),
                     [](const Entry& a, const Entry& b) { return a.record->seq < b.record->seq; });

    const std::string table = tableFromCommandText(impl_->lastSent);
    const std::string nestedTable = nested_ ? tableFromCommandText(nested_->queryText_) : std::string();

    const bool started = !db->inTransaction();
    const bool alone = started && log.size() == 1 && !log.front().deleted &&
                       log.front().record->status == Record::Status::Inserted &&
                       !log.front().record->hasNestedChanges();
    if (started && !alone)
        db->startTransaction();
    Applier applier{*this, *db, maxErrors, 0, maxErrors, alone, false, {}};

    auto writeNested = [&](Record& master) {
        std::vector<std::pair<Record*, UpdateKind>> changes;
        for (auto& n : master.nestedDeleted)
            changes.push_back({&n, UpdateKind::Delete});
        for (auto& n : master.nested)
            if (n.status != Record::Status::Unchanged)
                changes.push_back({&n, n.status == Record::Status::Inserted ? UpdateKind::Insert : UpdateKind::Modify});
        std::stable_sort(changes.begin(), changes.end(),
                         [](const auto& a, const auto& b) { return a.first->seq < b.first->seq; });
        for (auto& [record, kind] : changes) {
            if (applier.stopped)
                return;
            applier.writeOne(*nested_, nestedTable, *record, kind);
        }
    };

    try {
        for (auto& entry : log) {
            if (applier.stopped)
                break;
            Record& r = *entry.record;
            if (entry.deleted) {
                if (nested_)
                    writeNested(r);
                if (!applier.stopped)
                    applier.writeOne(*this, table, r, UpdateKind::Delete);
            } else if (r.status == Record::Status::Inserted) {
                applier.writeOne(*this, table, r, UpdateKind::Insert);
                if (nested_ && !applier.stopped)
                    writeNested(r);
            } else {
                if (nested_)
                    writeNested(r);
                if (!applier.stopped && r.status == Record::Status::Modified)
                    applier.writeOne(*this, table, r, UpdateKind::Modify);
            }
        }
    } catch (...) {
        if (started)
            db->rollback();
        throw;
    }

    const bool success = maxErrors == -1 || applier.errors <= maxErrors;
    if (started && db->inTransaction()) {
        if (success)
            db->commit();
        else
            db->rollback();
    }
    // Nothing of a rolled-back apply was stored, so every change stays pending.
    if (success && (started || !db->inTransaction()))
        markApplied(applier.stored);
    notify();
    return applier.errors;
}

std::vector<InsertRow> RowStore::takeInserts()
{
    requireActive();
    checkBrowseMode();
    const std::string table = tableFromCommandText(impl_->lastSent);
    std::vector<const Record*> log;
    for (const auto& r : impl_->rows)
        if (r.status == Record::Status::Inserted)
            log.push_back(&r);
    if (table.empty() || nested_ || !impl_->deleted.empty() || log.size() != std::size_t(changeCount()))
        throw Error(name_ + ": only inserted rows can be taken");
    std::stable_sort(log.begin(), log.end(), [](const Record* a, const Record* b) { return a->seq < b->seq; });
    std::vector<InsertRow> inserts;
    const std::string quoted = quoteTableName(table, DestinationConnection::quoteChar());
    for (const Record* r : log)
        if (auto row = insertRow(quoted, impl_->fields, Applier::changeOf(*r, UpdateKind::Insert),
                                 DestinationConnection::quoteChar()))
            inserts.push_back(std::move(*row));
    cancelUpdates();
    return inserts;
}

// The rows as they now stand become the order that a cancel of updates returns to. Rows
// still pending deletion keep their places among the rows that were there before.
void RowStore::renumber(std::vector<Record>& rows, std::vector<Record>& deleted)
{
    std::vector<Record*> gone;
    for (auto& d : deleted)
        gone.push_back(&d);
    std::sort(gone.begin(), gone.end(), [](const Record* a, const Record* b) { return a->ordinal < b->ordinal; });
    std::size_t g = 0;
    std::size_t place = 0;
    for (auto& r : rows) {
        if (r.status != Record::Status::Inserted)
            while (g < gone.size() && gone[g]->ordinal < r.ordinal)
                gone[g++]->ordinal = place++;
        r.ordinal = place++;
    }
    while (g < gone.size())
        gone[g++]->ordinal = place++;
}

void RowStore::markApplied(const std::vector<const Record*>& stored)
{
    auto wasStored = [&](const Record& r) { return std::find(stored.begin(), stored.end(), &r) != stored.end(); };
    auto settle = [&](Record& r) {
        if (!wasStored(r))
            return;
        r.old = r.values;
        r.assigned.assign(r.values.size(), false);
        r.status = Record::Status::Unchanged;
        r.seq = 0;
    };
    renumber(impl_->rows, impl_->deleted);
    for (auto& r : impl_->rows)
        renumber(r.nested, r.nestedDeleted);
    for (auto& r : impl_->rows) {
        settle(r);
        std::erase_if(r.nestedDeleted, wasStored);
        for (auto& n : r.nested)
            settle(n);
        if (r.status == Record::Status::Unchanged && !r.hasNestedChanges())
            r.seq = 0;
    }
    for (auto& d : impl_->deleted)
        std::erase_if(d.nestedDeleted, wasStored);
    std::erase_if(impl_->deleted, [&](const Record& r) { return wasStored(r) && r.nestedDeleted.empty(); });
}

void RowStore::execute()
{
    if (!commandText_.empty() && !provider_.acceptsCommandText)
        throw Error("CommandText changes are not allowed");
    impl_->lastSent = commandText_;
    source_->executeCommitted(commandText_, {});
}

}  // namespace kalvora
