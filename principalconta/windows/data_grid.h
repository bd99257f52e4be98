#pragma once
// A grid over a row store with a row indicator: the current row follows the store and is
// kept in sight, cells are edited in place, Insert and Ctrl+Delete add and remove rows,
// moving down past the last row appends one, and leaving the grid drops a new row nobody
// typed into. Tab leaves the grid; inside a cell editor it goes to the next cell. The
// columns share the grid's width in the proportions of their designed widths.
#include <QTableView>

namespace kalvora {

class CellDelegate;
class RowStoreModel;

class DataGrid : public QTableView {
    Q_OBJECT
public:
    explicit DataGrid(RowStoreModel& model, QWidget* parent = nullptr);

    RowStoreModel& rows() const { return model_; }
    // The height that shows the titles and that many whole rows.
    int heightForRows(int rows) const;
    // Hands an open cell editor's text to the store, as a click elsewhere would.
    void commitPendingEdit();
    // Closes an open cell editor and forgets its text.
    void discardPendingEdit();
    // commitPendingEdit for every grid inside scope.
    static void commitPendingEdits(QWidget* scope);
    bool hasPendingEdit() const { return state() == QAbstractItemView::EditingState; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void followStore();
    void applyColumnWidths();
    void focusLeft(QWidget* old, QWidget* now);
    void closePendingEdit(bool keep);

    RowStoreModel& model_;
    CellDelegate* delegate_;
    bool following_ = false;
};

}  // namespace kalvora
