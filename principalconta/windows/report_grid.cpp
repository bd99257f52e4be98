#include "principalconta/windows/report_grid.h"

#include "ui/qt/text.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace kalvora {

namespace {

QRect screenArea(const QWidget* widget)
{
    const QScreen* screen = widget->screen() ? widget->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

// A cell as one field of a tab-separated line.
QString field(const QTableWidgetItem* item)
{
    QString text = item ? item->text() : QString();
    text.replace(QLatin1Char('\t'), QLatin1Char(' '));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

}  // namespace

ReportGrid::ReportGrid(const ReportColumns& columns, const std::vector<std::vector<std::string>>& rows, QWidget* parent)
    : QWidget(parent), choiceColumn_(columns.choiceColumn)
{
    filter = new QLineEdit(this);
    filter->setPlaceholderText(QStringLiteral("Filtrar…"));
    filter->setClearButtonEnabled(true);
    filter->setAccessibleName(QStringLiteral("Filtro"));
    filter->setAccessibleDescription(QStringLiteral("Muestra solo las filas que contienen este texto"));
    choice = new QComboBox(this);
    choice->addItem(columns.allChoices);
    choice->setAccessibleName(columns.titles.value(choiceColumn_));
    choice->setAccessibleDescription(QStringLiteral("Muestra solo las filas con este valor de ") +
                                     columns.titles.value(choiceColumn_));
    count = new QLabel(this);
    count->setAccessibleName(QStringLiteral("Filas mostradas"));
    count->setAccessibleDescription(QStringLiteral("Filas que deja el filtro, de todas las del informe"));

    grid = new QTableWidget(int(rows.size()), int(columns.titles.size()), this);
    grid->setHorizontalHeaderLabels(columns.titles);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::ExtendedSelection);
    grid->setAlternatingRowColors(true);
    grid->setWordWrap(false);
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
    QStringList choices;
    for (int r = 0; r < int(rows.size()); ++r) {
        const auto& row = rows[std::size_t(r)];
        for (int col = 0; col < int(row.size()) && col < int(columns.titles.size()); ++col) {
            auto* item = new QTableWidgetItem(toQString(row[std::size_t(col)]));
            // The whole text of a cell the column cuts.
            item->setToolTip(item->text());
            // Where the row came from, whatever order the user sorts it into.
            if (col == 0)
                item->setData(Qt::UserRole, r);
            grid->setItem(r, col, item);
            if (col == choiceColumn_ && !choices.contains(item->text()))
                choices << item->text();
        }
    }
    choices.sort(Qt::CaseInsensitive);
    choice->addItems(choices);
    // In the report's own order until the user asks for another.
    grid->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    grid->setSortingEnabled(true);
    fitColumns();

    copyAction = new QAction(QStringLiteral("Copiar las filas seleccionadas"), grid);
    copyAction->setShortcut(QKeySequence::Copy);
    copyAction->setShortcutContext(Qt::WidgetShortcut);
    grid->addAction(copyAction);
    menu = new QMenu(grid);
    menu->addAction(copyAction);
    grid->setContextMenuPolicy(Qt::CustomContextMenu);
    grid->installEventFilter(this);

    auto* bar = new QHBoxLayout;
    bar->addWidget(filter, 1);
    bar->addWidget(choice);
    bar->addWidget(count);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(bar);
    layout->addWidget(grid, 1);

    connect(copyAction, &QAction::triggered, this, &ReportGrid::copySelectedRows);
    connect(grid, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { menu->popup(grid->viewport()->mapToGlobal(at)); });
    connect(filter, &QLineEdit::textChanged, this, &ReportGrid::applyFilter);
    connect(choice, &QComboBox::currentIndexChanged, this, &ReportGrid::applyFilter);
    // Sorting moves the rows; the filter is asked again of their new places.
    connect(grid->horizontalHeader(), &QHeaderView::sortIndicatorChanged, this, &ReportGrid::applyFilter);
    applyFilter();
}

void ReportGrid::applyFilter()
{
    const QString text = filter->text().trimmed();
    const bool anyChoice = choice->currentIndex() <= 0;
    const QString chosen = choice->currentText();
    for (int r = 0; r < grid->rowCount(); ++r) {
        const QTableWidgetItem* chosenItem = grid->item(r, choiceColumn_);
        bool shown = anyChoice || (chosenItem && chosenItem->text() == chosen);
        if (shown && !text.isEmpty()) {
            shown = false;
            for (int col = 0; col < grid->columnCount() && !shown; ++col)
                shown = grid->item(r, col) && grid->item(r, col)->text().contains(text, Qt::CaseInsensitive);
        }
        grid->setRowHidden(r, !shown);
    }
    count->setText(QStringLiteral("%1 de %2").arg(shownRows()).arg(grid->rowCount()));
}

int ReportGrid::shownRows() const
{
    int shown = 0;
    for (int r = 0; r < grid->rowCount(); ++r)
        shown += grid->isRowHidden(r) ? 0 : 1;
    return shown;
}

QString ReportGrid::selectedRowsText() const
{
    QStringList header;
    for (int col = 0; col < grid->columnCount(); ++col)
        header << field(grid->horizontalHeaderItem(col));
    QStringList lines{header.join(QLatin1Char('\t'))};
    std::vector<int> selected;
    for (const QModelIndex& index : grid->selectionModel()->selectedRows())
        if (!grid->isRowHidden(index.row()))
            selected.push_back(index.row());
    std::sort(selected.begin(), selected.end());
    for (const int r : selected) {
        QStringList cells;
        for (int col = 0; col < grid->columnCount(); ++col)
            cells << field(grid->item(r, col));
        lines << cells.join(QLatin1Char('\t'));
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

std::vector<std::size_t> ReportGrid::selectedRowPositions() const
{
    std::vector<std::size_t> positions;
    for (const QModelIndex& index : grid->selectionModel()->selectedRows())
        if (!grid->isRowHidden(index.row()) && grid->item(index.row(), 0))
            positions.push_back(std::size_t(grid->item(index.row(), 0)->data(Qt::UserRole).toInt()));
    std::sort(positions.begin(), positions.end());
    return positions;
}

void ReportGrid::copySelectedRows() const { QGuiApplication::clipboard()->setText(selectedRowsText()); }

bool ReportGrid::eventFilter(QObject* watched, QEvent* event)
{
    // The grid's own Ctrl+C would copy one cell.
    if (watched == grid && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
        copySelectedRows();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void ReportGrid::fitColumns()
{
    grid->resizeColumnsToContents();
    const int widest = screenArea(this).width() / 2;
    for (int col = 0; col < grid->columnCount(); ++col)
        grid->setColumnWidth(col, std::min(grid->columnWidth(col), widest));
}

QSize ReportGrid::sizeHint() const
{
    int width = 2 * grid->frameWidth() + grid->verticalHeader()->sizeHint().width() +
                grid->verticalScrollBar()->sizeHint().width();
    for (int col = 0; col < grid->columnCount(); ++col)
        width += grid->columnWidth(col);
    const QRect screen = screenArea(this);
    return {std::min(width, screen.width() * 9 / 10), QWidget::sizeHint().height()};
}

}  // namespace kalvora
