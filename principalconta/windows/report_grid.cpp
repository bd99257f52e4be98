#include "principalconta/windows/report_grid.h"

#include "ui/qt/text.h"

#include <QHeaderView>

namespace kalvora {

QTableWidget* reportGrid(const QStringList& titles, const std::vector<std::vector<std::string>>& rows, QWidget* parent)
{
    auto* grid = new QTableWidget(int(rows.size()), int(titles.size()), parent);
    grid->setHorizontalHeaderLabels(titles);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setAlternatingRowColors(true);
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
    for (int r = 0; r < int(rows.size()); ++r)
        for (int col = 0; col < int(rows[std::size_t(r)].size()) && col < int(titles.size()); ++col)
            grid->setItem(r, col, new QTableWidgetItem(toQString(rows[std::size_t(r)][std::size_t(col)])));
    grid->resizeColumnsToContents();
    grid->horizontalHeader()->setStretchLastSection(true);
    return grid;
}

}  // namespace kalvora
