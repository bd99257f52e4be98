#include "principalconta/windows/verify_dialog.h"

#include "principalconta/transmission/verify.h"
#include "principalconta/windows/report_grid.h"
#include "ui/qt/text.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace kalvora {

namespace {

std::vector<std::vector<std::string>> rowsOf(const VerifyReport& report)
{
    std::vector<std::vector<std::string>> rows;
    for (const auto& d : report.differences)
        rows.push_back({d.target, d.kind, d.key, d.column, d.source, d.destination});
    return rows;
}

}  // namespace

VerifyDialog::VerifyDialog(const VerifyReport& report, const std::string& detailPath, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Verificación"));
    QStringList lines;
    for (const auto& line : verifySummary(report))
        lines << toQString(line);
    summary = new QLabel(lines.join(QLatin1Char('\n')), this);
    summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    grid =
        reportGrid({QStringLiteral("Compañía de origen"), QStringLiteral("Diferencia"), QStringLiteral("Clave"),
                    QStringLiteral("Columna"), QStringLiteral("Valor en origen"), QStringLiteral("Valor en destino")},
                   rowsOf(report), this);
    detail = new QLabel(detailPath.empty() ? QStringLiteral("No se pudo escribir el detalle.")
                                           : QStringLiteral("Detalle: ") + toQString(detailPath),
                        this);
    detail->setTextInteractionFlags(Qt::TextSelectableByMouse);
    closeButton = new QPushButton(QStringLiteral("Cerrar"), this);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(detail, 1);
    buttons->addWidget(closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(summary);
    layout->addWidget(grid, 1);
    layout->addLayout(buttons);
    resize(820, 420);

    connect(closeButton, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace kalvora
