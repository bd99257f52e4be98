#include "principalconta/windows/targets_menu.h"

#include "ctrlaccesoconta/error_messages.h"
#include "principalconta/componentes.h"
#include "principalconta/transmission/past_runs.h"
#include "principalconta/transmission/report_page.h"
#include "principalconta/transmission/verify.h"
#include "principalconta/windows/preview_dialog.h"
#include "principalconta/windows/run_reports_dialog.h"
#include "principalconta/windows/verify_dialog.h"
#include "settings/installation.h"

#include <QAbstractScrollArea>
#include <QAction>
#include <QMenu>

namespace kalvora {

TargetsMenu::TargetsMenu(QWidget& grid, Componentes& c, Dialogs& dialogs, Progress& progress,
                         std::function<RunInput()> input)
    : QObject(&grid), grid_(grid), c_(c), dialogs_(dialogs), progress_(progress), input_(std::move(input))
{
    menu = new QMenu(&grid);
    previewAction = menu->addAction(QStringLiteral("Vista previa…"), this, &TargetsMenu::previewClick);
    verifyAction = menu->addAction(QStringLiteral("Verificar…"), this, &TargetsMenu::verifyClick);
    runReportsAction = menu->addAction(QStringLiteral("Informes de envío…"), this, &TargetsMenu::runReportsClick);
    grid.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&grid, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        update();
        auto* area = qobject_cast<QAbstractScrollArea*>(&grid_);
        menu->popup((area ? area->viewport() : &grid_)->mapToGlobal(at));
    });
    update();
}

void TargetsMenu::update()
{
    const bool connected = c_.DBEnvio.connected() && c_.Creplicac.active();
    previewAction->setEnabled(connected);
    verifyAction->setEnabled(connected);
}

void TargetsMenu::previewClick()
{
    runGuarded(dialogs_, [this] {
        const RunInput in = input_();
        PreviewReport report = vistaPrevia(c_, dialogs_, progress_, in.compania, in.desde, in.hasta);
        if (report.completed)
            show(new PreviewDialog(std::move(report), dialogs_, grid_.window()));
    });
}

void TargetsMenu::verifyClick()
{
    runGuarded(dialogs_, [this] {
        const RunInput in = input_();
        const VerifyReport report = verificar(c_, dialogs_, progress_, in.compania, in.desde, in.hasta);
        if (report.completed)
            show(new VerifyDialog(report, writeVerifyDetail(dialogs_, report), grid_.window()));
    });
}

void TargetsMenu::runReportsClick()
{
    runGuarded(dialogs_, [this] {
        const std::string directory = diraplicacion(dialogs_);
        show(new RunReportsDialog(pastRuns(directory), reportsFolder(directory), grid_.window()));
    });
}

void TargetsMenu::show(QDialog* dialog)
{
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setModal(true);
    report_ = dialog;
    dialog->show();
}

}  // namespace kalvora
