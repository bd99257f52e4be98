#include "principalconta/windows/targets_menu.h"

#include "base/text.h"
#include "ctrlaccesoconta/error_messages.h"
#include "principalconta/componentes.h"
#include "principalconta/transmission/past_runs.h"
#include "principalconta/transmission/repair.h"
#include "principalconta/transmission/report_page.h"
#include "principalconta/transmission/verify.h"
#include "principalconta/windows/preview_dialog.h"
#include "principalconta/windows/run_reports_dialog.h"
#include "principalconta/windows/verify_dialog.h"
#include "settings/installation.h"

#include <QAbstractItemView>
#include <QAction>
#include <QKeyEvent>
#include <QMenu>

namespace kalvora {

TargetsMenu::TargetsMenu(QWidget& grid, Componentes& c, Dialogs& dialogs, Progress& progress,
                         std::function<RunInput()> input)
    : QObject(&grid), grid_(grid), c_(c), dialogs_(dialogs), progress_(progress), input_(std::move(input))
{
    menu = new QMenu(&grid);
    previewAction = menu->addAction(QStringLiteral("Vista previa…"), this, &TargetsMenu::previewClick);
    verifyAction = menu->addAction(QStringLiteral("Verificar…"), this, &TargetsMenu::verifyClick);
    menu->setToolTipsVisible(true);
    runReportsAction = menu->addAction(QStringLiteral("Informes de envío…"), this, &TargetsMenu::runReportsClick);
    grid.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&grid, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        update();
        auto* area = qobject_cast<QAbstractScrollArea*>(&grid_);
        menu->popup((area ? area->viewport() : &grid_)->mapToGlobal(at));
    });
    grid.installEventFilter(this);
    update();
}

void TargetsMenu::update()
{
    const bool connected = allowed_ && c_.DBEnvio.connected() && c_.Creplicac.active();
    for (QAction* action : menu->actions()) {
        action->setEnabled(connected);
        action->setToolTip(connected ? action->text() : whyNot_);
    }
}

void TargetsMenu::allow(bool allowed, const QString& whyNot)
{
    allowed_ = allowed;
    whyNot_ = whyNot;
    update();
}

void TargetsMenu::popupAtCurrentCell()
{
    update();
    QPoint at;
    QWidget* area = &grid_;
    if (auto* view = qobject_cast<QAbstractItemView*>(&grid_)) {
        area = view->viewport();
        at = view->visualRect(view->currentIndex()).bottomLeft();
    }
    menu->popup(area->mapToGlobal(at));
}

bool TargetsMenu::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &grid_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const auto modifiers = key->modifiers() & ~Qt::KeypadModifier;
        if ((key->key() == Qt::Key_F10 && modifiers == Qt::ShiftModifier) ||
            (key->key() == Qt::Key_Menu && modifiers == Qt::NoModifier)) {
            popupAtCurrentCell();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
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
            showVerification(report);
    });
}

void TargetsMenu::showVerification(const VerifyReport& report)
{
    auto* dialog = new VerifyDialog(report, writeVerifyDetail(dialogs_, report), dialogs_, grid_.window());
    dialog->offerRepair(
        [this, dialog](const std::vector<std::size_t>& differences) { repairClick(*dialog, differences); });
    show(dialog);
}

void TargetsMenu::repairClick(VerifyDialog& shown, const std::vector<std::size_t>& differences)
{
    runGuarded(dialogs_, [&] {
        const RunInput in = input_();
        RepairPlan plan = planRepair(shown.report(), false, differences);
        const int extra = plan.count(RepairItem::Action::KeepExtra);
        if (extra > 0 && dialogs_.ask(ansi("Entre lo elegido hay ") + std::to_string(extra) +
                                      ansi(extra == 1 ? " comprobante que solo tiene el destino"
                                                      : " comprobantes que solo tiene el destino") +
                                      ansi(" (\"Sobra en destino\"). ¿Borrarlos también? Si responde No, se dejan.")))
            plan = planRepair(shown.report(), true, differences);
        if (plan.changes() == 0) {
            dialogs_.message(ansi("No hay nada que reparar en lo elegido: ") + planCounts(plan) + ".");
            return;
        }
        if (!dialogs_.ask(ansi("Se va a reparar la compañía ") + in.compania + ": " + planCounts(plan) +
                          ansi(". No se escribe nada en las compañías de origen. ¿Reparar?")))
            return;
        shown.hide();
        RepairOutcome outcome;
        try {
            outcome = repararPlan(c_, dialogs_, progress_, in.compania, in.desde, in.hasta, plan);
        } catch (...) {
            // What it shows is no longer what the destination holds.
            shown.close();
            throw;
        }
        if (!outcome.verified) {
            shown.show();
            return;
        }
        shown.close();
        dialogs_.concluded(ansi(outcome.completed ? "Reparación concluida." : "Reparación interrumpida."),
                           repairClosingDetails(outcome), outcome.reportPath);
        if (outcome.completed)
            showVerification(outcome.after);
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
