#pragma once
// A row store as a Qt table model: one adapter for every grid of the main window, so that
// all views of a store show the same rows, current row and unsaved edits.
#include "ui/dialogs.h"

#include <QAbstractTableModel>

#include <string>
#include <vector>

namespace kalvora {

class RowStore;

struct GridColumn {
    std::string field;
    int width = 64;
    QString title;  // used while the store is closed; then the field's label
};

class RowStoreModel : public QAbstractTableModel {
    Q_OBJECT
public:
    RowStoreModel(RowStore& store, std::vector<GridColumn> columns, Dialogs& dialogs, bool editable,
                  QObject* parent = nullptr);

    RowStore& store() const { return store_; }
    Dialogs& dialogs() const { return dialogs_; }
    const std::vector<GridColumn>& columns() const { return columns_; }
    // Text fields take at most their size in characters; 0 for others.
    int maxLength(int column) const;
    // Whole-number fields take at most this many digits, after an optional sign; 0 for others.
    int integerDigits(int column) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // Makes a grid row current in the store, completing the row being left (which may fail).
    void moveToRow(int row);

signals:
    // Rows, values, the current row or the state changed in the store.
    void storeChanged();

private:
    void refresh();
    int fieldOf(int column) const;

    RowStore& store_;
    std::vector<GridColumn> columns_;
    Dialogs& dialogs_;
    bool editable_;
    int shownRows_ = 0;
    bool open_ = false;
};

}  // namespace kalvora
