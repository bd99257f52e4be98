#pragma once
// A grid over a row store with a row indicator: the current row follows the store, cells
// are edited in place, Insert and Ctrl+Delete add and remove rows, moving down past the
// last row appends one, and leaving the grid drops a new row nobody typed into.
#include <QTableView>

namespace kalvora {

class CellDelegate;
class RowStoreModel;

class DataGrid : public QTableView {
    Q_OBJECT
public:
    explicit DataGrid(RowStoreModel& model, QWidget* parent = nullptr);

    RowStoreModel& rows() const { return model_; }
    // Hands an open cell editor's text to the store, as a click elsewhere would.
    void commitPendingEdit();
    // Closes an open cell editor and forgets its text.
    void discardPendingEdit();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

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
