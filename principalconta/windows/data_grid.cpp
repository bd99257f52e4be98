#include "principalconta/windows/data_grid.h"

#include "ctrlaccesoconta/error_messages.h"
#include "data/row_store.h"
#include "principalconta/windows/row_store_model.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QRegularExpressionValidator>
#include <QStyledItemDelegate>

#include <algorithm>
#include <vector>

namespace kalvora {

// Text cells take no more characters than their column holds, whole-number cells only
// digits; the open editor is kept so that the grid can finish it when a button acts.
class CellDelegate : public QStyledItemDelegate {
public:
    CellDelegate(RowStoreModel& model, QObject* parent) : QStyledItemDelegate(parent), model_(model) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* line = qobject_cast<QLineEdit*>(editor)) {
            if (model_.maxLength(index.column()) > 0)
                line->setMaxLength(model_.maxLength(index.column()));
            if (const int digits = model_.integerDigits(index.column()); digits > 0)
                line->setValidator(new QRegularExpressionValidator(
                    QRegularExpression(QStringLiteral("-?[0-9]{0,%1}").arg(digits)), line));
        }
        open_ = editor;
        return editor;
    }

    QWidget* openEditor() const { return open_; }

private:
    RowStoreModel& model_;
    mutable QPointer<QWidget> open_;
};

namespace {

bool isEditing(const RowStore& store)
{
    return store.state() == RowStore::State::Insert || store.state() == RowStore::State::Edit;
}

}  // namespace

DataGrid::DataGrid(RowStoreModel& model, QWidget* parent) : QTableView(parent), model_(model), delegate_(nullptr)
{
    setModel(&model_);
    delegate_ = new CellDelegate(model_, this);
    setItemDelegate(delegate_);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setAlternatingRowColors(true);
    setTabKeyNavigation(false);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setFixedWidth(fontMetrics().height() + 4);
    verticalHeader()->setHighlightSections(false);
    applyColumnWidths();

    connect(&model_, &QAbstractItemModel::modelReset, this, &DataGrid::applyColumnWidths);
    connect(&model_, &RowStoreModel::storeChanged, this, &DataGrid::followStore);
    connect(qApp, &QApplication::focusChanged, this, &DataGrid::focusLeft);
    followStore();
}

void DataGrid::applyColumnWidths()
{
    // The designed widths, grown or shrunk to the room there is; a column is never
    // narrower than its title and its texts need (up to its designed width), and what does
    // not fit then scrolls.
    const auto& columns = model_.columns();
    int designed = 0;
    int least = 0;
    std::vector<int> minimum;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        designed += columns[i].width;
        const int whole = std::max(horizontalHeader()->sectionSizeHint(int(i)), sizeHintForColumn(int(i)));
        minimum.push_back(std::min(columns[i].width, whole));
        least += minimum.back();
    }
    const int room = viewport()->width();
    if (designed <= 0 || room <= 0)
        return;
    int given = 0;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        int width = columns[i].width;
        if (room >= designed)
            width = columns[i].width * room / designed;
        else if (room > least)
            width = minimum[i] + (columns[i].width - minimum[i]) * (room - least) / (designed - least);
        else
            width = minimum[i];
        // The last column takes what rounding left over.
        if (i + 1 == columns.size() && room >= least)
            width = std::max(minimum[i], room - given);
        setColumnWidth(int(i), width);
        given += width;
    }
}

void DataGrid::resizeEvent(QResizeEvent* event)
{
    QTableView::resizeEvent(event);
    applyColumnWidths();
}

int DataGrid::heightForRows(int rows) const
{
    return 2 * frameWidth() + horizontalHeader()->sizeHint().height() + rows * verticalHeader()->defaultSectionSize();
}

void DataGrid::followStore()
{
    const int row = model_.store().shownCurrent();
    const QModelIndex current = currentIndex();
    if (row < 0)
        return;
    if (!current.isValid() || current.row() != row) {
        following_ = true;
        setCurrentIndex(model_.index(row, current.isValid() ? current.column() : 0));
        following_ = false;
    }
    // The row a button acts on, or a question asks about, is always in sight.
    scrollTo(currentIndex());
}

void DataGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    if (!following_ && current.isValid() && current.row() != previous.row())
        model_.moveToRow(current.row());
}

void DataGrid::commitPendingEdit() { closePendingEdit(true); }

void DataGrid::commitPendingEdits(QWidget* scope)
{
    for (DataGrid* grid : scope->findChildren<DataGrid*>())
        grid->commitPendingEdit();
}

void DataGrid::discardPendingEdit() { closePendingEdit(false); }

void DataGrid::closePendingEdit(bool keep)
{
    if (state() != QAbstractItemView::EditingState)
        return;
    QWidget* editor = delegate_->openEditor();
    if (!editor)
        return;
    if (keep)
        commitData(editor);
    closeEditor(editor, QAbstractItemDelegate::NoHint);
}

void DataGrid::keyPressEvent(QKeyEvent* event)
{
    RowStore& store = model_.store();
    const auto modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const bool atLastRow = store.shownCurrent() == store.shownCount() - 1;
    if (event->key() == Qt::Key_Down && modifiers == Qt::NoModifier && atLastRow && store.active() &&
        !(store.state() == RowStore::State::Insert && !store.modified())) {
        runGuarded(model_.dialogs(), [&] { store.append(); });
        return;
    }
    if (event->key() == Qt::Key_Insert && modifiers == Qt::NoModifier && store.active()) {
        runGuarded(model_.dialogs(), [&] { store.insert(); });
        return;
    }
    if (event->key() == Qt::Key_Delete && modifiers == Qt::ControlModifier && store.shownCount() > 0) {
        runGuarded(model_.dialogs(), [&] {
            if (model_.dialogs().ask("Delete record?"))
                store.remove();
        });
        return;
    }
    if (event->key() == Qt::Key_Escape && modifiers == Qt::NoModifier && isEditing(store)) {
        runGuarded(model_.dialogs(), [&] { store.cancel(); });
        return;
    }
    QTableView::keyPressEvent(event);
}

void DataGrid::focusLeft(QWidget* old, QWidget* now)
{
    if (!old || !now || (old != this && !isAncestorOf(old)) || now == this || isAncestorOf(now))
        return;
    RowStore& store = model_.store();
    if (store.state() == RowStore::State::Insert && !store.modified())
        runGuarded(model_.dialogs(), [&] { store.cancel(); });
}

}  // namespace kalvora
