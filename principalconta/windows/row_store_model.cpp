#include "principalconta/windows/row_store_model.h"

#include "ctrlaccesoconta/error_messages.h"
#include "data/row_store.h"
#include "ui/qt/text.h"

#include <QPointer>

namespace kalvora {

namespace {

bool isNumeric(FieldType type)
{
    switch (type) {
    case FieldType::SmallInt:
    case FieldType::Integer:
    case FieldType::LargeInt:
    case FieldType::Float:
    case FieldType::Bcd:
    case FieldType::FmtBcd:
        return true;
    default:
        return false;
    }
}

bool isEditing(const RowStore& store)
{
    return store.state() == RowStore::State::Insert || store.state() == RowStore::State::Edit;
}

}  // namespace

RowStoreModel::RowStoreModel(RowStore& store, std::vector<GridColumn> columns, Dialogs& dialogs, bool editable,
                             QObject* parent)
    : QAbstractTableModel(parent), store_(store), columns_(std::move(columns)), dialogs_(dialogs), editable_(editable),
      shownRows_(store.shownCount()), open_(store.active())
{
    // The store outlives no window but may outlive this model: a dead model is skipped.
    store_.addObserver([self = QPointer<RowStoreModel>(this)] {
        if (self)
            self->refresh();
    });
}

int RowStoreModel::fieldOf(int column) const
{
    if (!store_.active() || column < 0 || column >= int(columns_.size()))
        return -1;
    return store_.fieldIndex(columns_[std::size_t(column)].field);
}

int RowStoreModel::maxLength(int column) const
{
    const int field = fieldOf(column);
    if (field < 0)
        return 0;
    const FieldDef& def = store_.fields()[std::size_t(field)];
    return def.type == FieldType::String || def.type == FieldType::FixedChar ? int(def.size) : 0;
}

int RowStoreModel::integerDigits(int column) const
{
    const int field = fieldOf(column);
    if (field < 0)
        return 0;
    switch (store_.fields()[std::size_t(field)].type) {
    case FieldType::SmallInt:
        return 5;
    case FieldType::Integer:
        return 10;
    case FieldType::LargeInt:
        return 19;
    default:
        return 0;
    }
}

int RowStoreModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : shownRows_; }

int RowStoreModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(columns_.size()); }

QVariant RowStoreModel::data(const QModelIndex& index, int role) const
{
    const int field = fieldOf(index.column());
    if (field < 0 || index.row() >= store_.shownCount())
        return {};
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return toQString(store_.shownValue(index.row(), field).asText());
    // The whole text of a cell its column cuts.
    if (role == Qt::ToolTipRole) {
        const QString text = toQString(store_.shownValue(index.row(), field).asText());
        return text.isEmpty() ? QVariant() : QVariant(text);
    }
    if (role == Qt::TextAlignmentRole)
        return isNumeric(store_.fields()[std::size_t(field)].type) ? int(Qt::AlignRight | Qt::AlignVCenter)
                                                                   : int(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

QVariant RowStoreModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal) {
        if (role != Qt::DisplayRole || section < 0 || section >= int(columns_.size()))
            return {};
        const int field = fieldOf(section);
        return field < 0 ? columns_[std::size_t(section)].title : toQString(store_.fields()[std::size_t(field)].label);
    }
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    if (role != Qt::DisplayRole || section != store_.shownCurrent())
        return {};
    switch (store_.state()) {
    case RowStore::State::Insert:
        return QStringLiteral("*");
    case RowStore::State::Edit:
        return QStringLiteral("I");
    default:
        return QStringLiteral("▶");
    }
}

Qt::ItemFlags RowStoreModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (editable_ && fieldOf(index.column()) >= 0)
        f |= Qt::ItemIsEditable;
    return f;
}

bool RowStoreModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !editable_)
        return false;
    return runGuarded(dialogs_, [&] {
        const int field = fieldOf(index.column());
        if (field < 0 || index.row() != store_.shownCurrent())
            return;
        const std::string text = fromQString(value.toString());
        Field target = store_.field(field);
        if (text == target.asText())
            return;
        if (!isEditing(store_))
            store_.edit();
        if (text.empty())
            target.clear();
        else
            target.setText(text);
    });
}

void RowStoreModel::moveToRow(int row)
{
    runGuarded(dialogs_, [&] {
        if (!store_.active() || row == store_.shownCurrent())
            return;
        int target = row;
        if (store_.state() == RowStore::State::Insert) {
            // The row being inserted sits among the shown rows until it is posted or dropped.
            const int inserting = store_.shownCurrent();
            if (store_.modified()) {
                store_.post();
            } else {
                store_.cancel();
                if (row > inserting)
                    --target;
            }
        }
        store_.moveTo(target);
    });
    // A row that could not be completed keeps the cursor on it.
    emit storeChanged();
}

void RowStoreModel::refresh()
{
    const int rows = store_.shownCount();
    const bool open = store_.active();
    if (rows != shownRows_ || open != open_) {
        beginResetModel();
        shownRows_ = rows;
        open_ = open;
        endResetModel();
    } else if (rows > 0) {
        emit dataChanged(index(0, 0), index(rows - 1, columnCount() - 1));
        emit headerDataChanged(Qt::Vertical, 0, rows - 1);
    }
    emit storeChanged();
}

}  // namespace kalvora
