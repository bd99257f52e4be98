#include "principalconta/windows/preview_dialog.h"

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

QString countsText(const PreviewReport& report)
{
    QStringList lines;
    for (const auto& t : report.targets)
        lines << toQString(previewCounts(t.name, t.counts));
    lines << toQString(previewCounts("Total", previewTotals(report)));
    return lines.join(QLatin1Char('\n'));
}

std::vector<std::vector<std::string>> rowsOf(const PreviewReport& report)
{
    std::vector<std::vector<std::string>> rows;
    for (const auto& l : report.lines)
        rows.push_back({l.target, l.fecha, l.hora, l.tipo, l.codigo, actionText(l.action)});
    return rows;
}

}  // namespace

PreviewDialog::PreviewDialog(PreviewReport report, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), report_(std::move(report)), dialogs_(dialogs)
{
    setWindowTitle(QStringLiteral("Vista previa del envío"));
    auto* intro =
        new QLabel(QStringLiteral("Lo que haría «Enviar» con las mismas fechas. No se ha escrito nada."), this);
    table = new ReportGrid({{QStringLiteral("Compañía de origen"), QStringLiteral("Fecha"), QStringLiteral("Hora"),
                             QStringLiteral("Tipo"), QStringLiteral("Código"), QStringLiteral("Acción")},
                            5,
                            QStringLiteral("Todas las acciones")},
                           rowsOf(report_), this);
    grid = table->grid;
    grid->setAccessibleName(QStringLiteral("Entradas de la vista previa"));
    grid->setAccessibleDescription(QStringLiteral("Cada entrada que tomaría el envío y lo que haría con ella"));
    counts = new QLabel(countsText(report_), this);
    counts->setTextInteractionFlags(Qt::TextSelectableByMouse);
    counts->setAccessibleName(QStringLiteral("Totales por compañía de origen"));
    counts->setAccessibleDescription(QStringLiteral("Cuántas entradas tendría cada acción"));
    saveButton = new QPushButton(QStringLiteral("&Guardar CSV…"), this);
    saveButton->setAccessibleDescription(QStringLiteral("Guarda la vista previa en un archivo CSV"));
    closeButton = new QPushButton(QStringLiteral("Cerrar"), this);
    closeButton->setAccessibleDescription(QStringLiteral("Cierra la vista previa"));
    saveButton->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(saveButton);
    buttons->addStretch();
    buttons->addWidget(closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(table, 1);
    layout->addWidget(counts);
    layout->addLayout(buttons);
    const int margins = layout->contentsMargins().left() + layout->contentsMargins().right();
    resize(std::max(760, table->sizeHint().width() + margins), 420);

    connect(saveButton, &QPushButton::clicked, this, &PreviewDialog::save);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::accept);
}

void PreviewDialog::save()
{
    const QString path =
        askCsvPath(this, QStringLiteral("Guardar la vista previa"), QStringLiteral("VISTA_PREVIA.CSV"));
    if (!path.isEmpty())
        saveTo(path);
}

bool PreviewDialog::saveTo(const QString& path)
{
    return writeCsvFile(path, previewCsv(report_, listSeparator()), dialogs_);
}

}  // namespace kalvora
