#pragma once
// The read-only grid of the preview and verification dialogs, worked like a spreadsheet's:
// a header click sorts (a second one reverses), a filter box and a choice of one column's
// values narrow the rows, Ctrl+C and the context menu copy the selected rows as
// tab-separated text with the header line, and the count follows the filter.
#include <QStringList>
#include <QWidget>

#include <string>
#include <vector>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QTableWidget;

namespace kalvora {

struct ReportColumns {
    QStringList titles;
    int choiceColumn;    // the column the choice box offers the values of
    QString allChoices;  // the choice box's first entry, which takes every row
};

class ReportGrid : public QWidget {
    Q_OBJECT
public:
    // rows: Windows-1252 texts, one per title.
    ReportGrid(const ReportColumns& columns, const std::vector<std::vector<std::string>>& rows, QWidget* parent);

    QLineEdit* filter;
    QComboBox* choice;
    QLabel* count;  // "12 de 338"
    QTableWidget* grid;
    QMenu* menu;
    QAction* copyAction;

    int shownRows() const;
    // The selected rows that are shown, in the order shown, header line first.
    QString selectedRowsText() const;
    // The same rows as positions in the rows the grid was given, ascending.
    std::vector<std::size_t> selectedRowPositions() const;
    void copySelectedRows() const;
    // As wide as the columns, within the screen.
    QSize sizeHint() const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applyFilter();
    void fitColumns();

    int choiceColumn_;
};

}  // namespace kalvora
