#include "principalconta/windows/verify_dialog.h"

#include "principalconta/windows/csv_file.h"
#include "principalconta/windows/report_grid.h"
#include "settings/regional_formats.h"
#include "ui/qt/text.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace kalvora {

namespace {

std::vector<std::vector<std::string>> rowsOf(const VerifyReport& report)
{
    std::vector<std::vector<std::string>> rows;
    for (const auto& d : report.differences)
        rows.push_back({d.target, d.kind, d.key, d.column, d.source, d.destination, d.fecha, d.total, d.nombre});
    return rows;
}

}  // namespace

VerifyDialog::VerifyDialog(VerifyReport report, const std::string& detailPath, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), report_(std::move(report)), dialogs_(dialogs)
{
    setWindowTitle(QStringLiteral("Verificación"));
    QStringList lines;
    for (const auto& line : verifySummary(report_))
        lines << toQString(line);
    summary = new QLabel(lines.join(QLatin1Char('\n')), this);
    summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    summary->setAccessibleName(QStringLiteral("Resumen por compañía de origen"));
    summary->setAccessibleDescription(QStringLiteral("Lo comparado y las diferencias de cada compañía de origen"));
    table = new ReportGrid(
        {{QStringLiteral("Compañía de origen"), QStringLiteral("Diferencia"), QStringLiteral("Clave"),
          QStringLiteral("Columna"), QStringLiteral("Valor en origen"), QStringLiteral("Valor en destino"),
          QStringLiteral("Fecha"), QStringLiteral("Total"), QStringLiteral("Nombre")},
         1,
         QStringLiteral("Todas las diferencias")},
        rowsOf(report_), this);
    grid = table->grid;
    grid->setAccessibleName(QStringLiteral("Diferencias de la verificación"));
    grid->setAccessibleDescription(QStringLiteral("Cada diferencia entre el destino y sus compañías de origen"));
    detail = new QLabel(detailPath.empty() ? QStringLiteral("No se pudo escribir el detalle.")
                                           : QStringLiteral("Detalle: ") + toQString(detailPath),
                        this);
    detail->setTextInteractionFlags(Qt::TextSelectableByMouse);
    detail->setAccessibleName(QStringLiteral("Archivo del detalle"));
    detail->setAccessibleDescription(QStringLiteral("Dónde quedó el archivo con cada diferencia"));
    repairButton = new QPushButton(QStringLiteral("&Reparar…"), this);
    repairButton->setAccessibleDescription(
        QStringLiteral("Copia otra vez desde su origen lo que falta o es distinto en las filas seleccionadas, o en "
                       "todas si no hay ninguna seleccionada"));
    repairButton->setAutoDefault(false);
    repairButton->setVisible(false);
    const bool anything = !report_.differences.empty();
    repairButton->setEnabled(anything);
    repairButton->setToolTip(anything ? QStringLiteral("Repara las filas seleccionadas, o todas")
                                      : QStringLiteral("No hay diferencias que reparar"));
    saveButton = new QPushButton(QStringLiteral("&Guardar CSV…"), this);
    saveButton->setAccessibleDescription(QStringLiteral("Guarda las diferencias en un archivo CSV"));
    saveButton->setAutoDefault(false);
    closeButton = new QPushButton(QStringLiteral("Cerrar"), this);
    closeButton->setAccessibleDescription(QStringLiteral("Cierra la verificación"));

    buttons = new QHBoxLayout;
    buttons->addWidget(detail, 1);
    buttons->addWidget(repairButton);
    buttons->addWidget(saveButton);
    buttons->addWidget(closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(summary);
    layout->addWidget(table, 1);
    layout->addLayout(buttons);
    const int margins = layout->contentsMargins().left() + layout->contentsMargins().right();
    resize(std::max(820, table->sizeHint().width() + margins), 420);

    connect(saveButton, &QPushButton::clicked, this, &VerifyDialog::save);
    connect(repairButton, &QPushButton::clicked, this, [this] {
        if (repair_)
            repair_(table->selectedRowPositions());
    });
    connect(closeButton, &QPushButton::clicked, this, &QDialog::accept);
}

void VerifyDialog::offerRepair(std::function<void(const std::vector<std::size_t>&)> repair)
{
    repair_ = std::move(repair);
    repairButton->setVisible(bool(repair_));
}

void VerifyDialog::save()
{
    const QString path = askCsvPath(this, QStringLiteral("Guardar la verificación"), toQString(kVerifyDetailFile));
    if (!path.isEmpty())
        saveTo(path);
}

bool VerifyDialog::saveTo(const QString& path)
{
    return writeCsvFile(path, verifyCsv(report_, listSeparator()), dialogs_);
}

}  // namespace kalvora
