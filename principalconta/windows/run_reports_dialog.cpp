#include "principalconta/windows/run_reports_dialog.h"

#include "principalconta/transmission/past_runs.h"
#include "principalconta/windows/report_grid.h"
#include "ui/qt/text.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace kalvora {

RunReportsDialog::RunReportsDialog(std::vector<PastRun> runs, const std::string& folderPath, QWidget* parent)
    : QDialog(parent), runs_(std::move(runs))
{
    setWindowTitle(QStringLiteral("Informes de envío"));
    std::vector<std::vector<std::string>> rows;
    for (const auto& run : runs_)
        rows.push_back({run.fecha, run.usuario, run.destino, run.totales});
    auto* report = new ReportGrid(
        {{QStringLiteral("Fecha"), QStringLiteral("Usuario"), QStringLiteral("Destino"), QStringLiteral("Totales")},
         2,
         QStringLiteral("Todos los destinos")},
        rows, this);
    grid = report->grid;
    // Sorting moves the rows: each keeps the index of its run.
    for (int row = 0; row < grid->rowCount(); ++row)
        grid->item(row, 0)->setData(Qt::UserRole, row);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    if (!runs_.empty())
        grid->selectRow(0);
    folder = new QLabel(runs_.empty() ? QStringLiteral("No hay informes en ") + toQString(folderPath)
                                      : QStringLiteral("Carpeta: ") + toQString(folderPath),
                        this);
    folder->setTextInteractionFlags(Qt::TextSelectableByMouse);
    openButton = new QPushButton(QStringLiteral("Abrir"), this);
    openButton->setEnabled(!runs_.empty());
    openButton->setDefault(true);
    closeButton = new QPushButton(QStringLiteral("Cerrar"), this);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(folder, 1);
    buttons->addWidget(openButton);
    buttons->addWidget(closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(report, 1);
    layout->addLayout(buttons);
    resize(720, 360);

    connect(openButton, &QPushButton::clicked, this, &RunReportsDialog::openClick);
    connect(grid, &QTableWidget::cellDoubleClicked, this, &RunReportsDialog::openClick);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::accept);
}

RunReportsDialog::~RunReportsDialog() = default;

void RunReportsDialog::openClick()
{
    const QTableWidgetItem* chosen = grid->currentRow() < 0 ? nullptr : grid->item(grid->currentRow(), 0);
    if (chosen == nullptr)
        return;
    const int run = chosen->data(Qt::UserRole).toInt();
    QDesktopServices::openUrl(QUrl::fromLocalFile(toQString(runs_[std::size_t(run)].path)));
}

}  // namespace kalvora
