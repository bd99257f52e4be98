#pragma once
// A client-side buffer of rows with a change log. Its provider fills it from a query,
// and on apply turns the log into INSERT / UPDATE / DELETE statements that locate rows
// by all their old values, inside one transaction.
#include "data/field.h"
#include "data/resolver.h"
#include "data/row_source.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kalvora {

enum class UpdateKind { Modify, Insert, Delete };
enum class UpdateResponse { Skip, Abort, Merge, Apply, Ignore };
enum class DataAction { Fail, Abort, Retry };

class RowStore;

// What the provider's error hook is told about a row the database refused.
struct UpdateError {
    std::string provider;  // the provider's name
    RowStore& rows;        // the row set being written
    std::string message;
    UpdateKind kind;
};

using UpdateErrorHook = std::function<void(const UpdateError&, UpdateResponse&)>;
using DataErrorHook = std::function<void(RowStore&, const std::string& message, DataAction&)>;

struct ProviderOptions {
    std::string name;                // e.g. "PDestino"
    bool acceptsCommandText = true;  // refused with "CommandText changes are not allowed"
    bool readOnly = false;
    bool queryMayWrite = false;  // its reads need a transaction that can write
};

// A declared field: the store keeps these names, labels and flags instead of deriving them.
struct DeclaredField {
    std::string name;
    std::string label;
};

class RowStore {
public:
    enum class State { Inactive, Browse, Insert, Edit };

    RowStore(std::string name, std::unique_ptr<RowSource> source, ProviderOptions provider);
    ~RowStore();
    RowStore(const RowStore&) = delete;
    RowStore& operator=(const RowStore&) = delete;

    const std::string& name() const { return name_; }
    const std::string& providerName() const { return provider_.name; }

    // A master-detail pair: the query's own text, and the nested rows' query with
    // ":NAME" parameters taken from the master's current row. Declared fields label them.
    void setQueryText(const std::string& sql) { queryText_ = sql; }
    void declareFields(std::vector<DeclaredField> fields) { declared_ = std::move(fields); }
    RowStore& addNested(std::string name, const std::string& detailSql, std::vector<DeclaredField> fields);
    RowStore* nested() const { return nested_.get(); }

    void setCommandText(const std::string& text) { commandText_ = text; }
    const std::string& commandText() const { return commandText_; }

    void open();
    // Opens with the fields the command text yields and no rows, without running it: for a
    // store that only inserts. The statement is prepared once per attachment.
    void openEmpty();
    void close();
    bool active() const { return state_ != State::Inactive; }
    State state() const { return state_; }

    bool isEmpty() const;
    int recordCount() const;
    int recNo() const;  // 0-based; -1 when empty
    void first();
    void next();
    void prior();
    void last();
    void moveTo(int index);
    bool eof() const;
    bool bof() const;

    int fieldCount() const;
    const std::vector<FieldDef>& fields() const;
    Field field(int index);
    Field field(const std::string& name);
    int fieldIndex(const std::string& name) const;  // -1 when absent

    void insert();
    void append();
    void edit();
    void post();
    void cancel();
    void remove();

    // Completes an unfinished insert or edit first; returns the number of errors.
    int applyUpdates(int maxErrors);
    void execute();
    void cancelUpdates();
    // The inserts an apply would write for the rows posted so far, in order, taken out of
    // the change log: for a caller that writes them in a statement of its own. Throws when
    // the log holds anything else.
    std::vector<InsertRow> takeInserts();
    // Rows with an insert, change or delete not yet applied, nested rows included.
    int changeCount() const;

    // For grids: the rows as shown, with the row being inserted at its place among them.
    int shownCount() const;
    int shownCurrent() const;  // -1 when there is no row
    const Value& shownValue(int row, int field) const;
    // Whether a field of the row being inserted or edited was assigned.
    bool modified() const;

    UpdateErrorHook onUpdateError;
    DataErrorHook onPostError;
    DataErrorHook onEditError;
    DataErrorHook onDeleteError;

    // Views (grids) ask to be told when rows, the current row or a state change.
    void addObserver(std::function<void()> observer) { observers_.push_back(std::move(observer)); }

private:
    friend class Field;
    struct Impl;
    struct Record;
    struct Applier;
    RowStore(std::string name, RowStore* parent, std::vector<DeclaredField> fields, std::string detailSql);

    void requireActive() const;
    void notify();
    void openWith(bool describeOnly);
    // The rows this store shows: its own, or the nested rows of the master's current row.
    std::vector<Record>* rows() const;
    std::vector<Record>* deletedRows() const;
    Record* currentRecord() const;
    const Value& currentValue(int index) const;
    void assign(int index, const Value& value);
    // Posts a changed row being edited, drops an untouched one.
    void checkBrowseMode();
    void doPost();
    void loadNested(Record& master, const std::vector<FieldDef>& masterFields);
    // The fields of owner (this store or its nested one) over a result: its declared
    // fields, each of which must be among the columns, or else every column.
    void defineFields(const std::vector<fb::Column>& columns, const RowStore& owner, std::vector<FieldDef>& fields,
                      std::vector<int>& columnOf);
    void setNestedFields(std::vector<FieldDef> fields, std::vector<int> columnOf);
    void markApplied(const std::vector<const Record*>& stored);
    static void renumber(std::vector<Record>& rows, std::vector<Record>& deleted);
    void runHook(const DataErrorHook& hook, const std::function<void()>& operation);

    std::string name_;
    std::unique_ptr<RowSource> source_;
    ProviderOptions provider_;
    std::string queryText_;
    std::string commandText_;
    std::vector<DeclaredField> declared_;
    State state_ = State::Inactive;
    RowStore* parent_ = nullptr;
    std::unique_ptr<RowStore> nested_;
    std::unique_ptr<Impl> impl_;
    std::vector<std::function<void()>> observers_;
};

}  // namespace kalvora
