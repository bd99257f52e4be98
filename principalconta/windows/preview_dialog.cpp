#include "principalconta/windows/preview_dialog.h"

#include "base/text.h"
#include "principalconta/windows/report_grid.h"
#include "ui/dialogs.h"
#include "ui/qt/text.h"

#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

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
    grid = reportGrid({QStringLiteral("Compañía de origen"), QStringLiteral("Fecha"), QStringLiteral("Hora"),
                       QStringLiteral("Tipo"), QStringLiteral("Código"), QStringLiteral("Acción")},
                      rowsOf(report_), this);
    counts = new QLabel(countsText(report_), this);
    counts->setTextInteractionFlags(Qt::TextSelectableByMouse);
    saveButton = new QPushButton(QStringLiteral("Guardar CSV…"), this);
    closeButton = new QPushButton(QStringLiteral("Cerrar"), this);
    saveButton->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(saveButton);
    buttons->addStretch();
    buttons->addWidget(closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(grid, 1);
    layout->addWidget(counts);
    layout->addLayout(buttons);
    resize(760, 420);

    connect(saveButton, &QPushButton::clicked, this, &PreviewDialog::save);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::accept);
}

void PreviewDialog::save()
{
    const QString path =
        QFileDialog::getSaveFileName(this, QStringLiteral("Guardar la vista previa"),
                                     QStringLiteral("VISTA_PREVIA.CSV"), QStringLiteral("Archivos CSV (*.csv)"));
    if (!path.isEmpty())
        saveTo(path);
}

bool PreviewDialog::saveTo(const QString& path)
{
    QFile file(path);
    const std::string text = previewCsv(report_);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
        file.write(text.data(), qint64(text.size())) == qint64(text.size()) && file.flush())
        return true;
    dialogs_.error(ansi("No se pudo guardar ") + fromQString(path) + ": " + fromQString(file.errorString()));
    return false;
}

}  // namespace kalvora
