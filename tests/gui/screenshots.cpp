#include "screenshots.h"

#include "base/text.h"
#include "ctrlaccesoconta/windows/tfacceso.h"
#include "principalconta/componentes.h"
#include "principalconta/transmission/past_runs.h"
#include "principalconta/windows/lookup_combo_box.h"
#include "principalconta/windows/report_grid.h"
#include "principalconta/windows/run_reports_dialog.h"
#include "principalconta/windows/targets_menu.h"
#include "principalconta/windows/tfprincipalconta.h"
#include "settings/clock.h"
#include "support/consolidation.h"
#include "ui/qt/message_boxes.h"
#include "ui/qt/panel_progress.h"
#include "ui/scripted_dialogs.h"
#include "window_site.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmap>
#include <QProgressBar>
#include <QTableWidget>
#include <QTextStream>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace kalvora::test {

namespace {

bool save(QWidget& widget, const QString& path)
{
    QApplication::processEvents();
    const bool saved = widget.grab().save(path);
    QTextStream(stdout) << (saved ? "wrote " : "could not write ") << path << "\n";
    return saved;
}

// The preview and the verification of a consolidation, sorted by the code and narrowed.
bool renderReports(const QString& folder, ScriptedDialogs& dialogs)
{
    WindowSite site;
    execute(site.destination(), {"delete from replica_conta_detalle", "delete from replica_conta"});
    Consolidation::build(site.root(), site.destination(), embeddedUser());
    Componentes componentes;
    Tfprincipalconta window(componentes, dialogs, {});
    window.show();
    window.FormActivate();
    Tfacceso& acceso = *window.acceso();
    acceso.TUsuades->setText(QStringLiteral("SYSDBA"));
    acceso.TClavedes->setText(QStringLiteral("masterkey"));
    acceso.SpeedButton1Click();
    QApplication::processEvents();
    window.LCiaDes->setKeyValue("DES");
    window.AdvGlowButton2Click();
    const QDate day(Consolidation::kDay.year, Consolidation::kDay.month, Consolidation::kDay.day);
    window.Fecini->setDate(day);
    window.Fecfin->setDate(day);

    struct Report {
        const char* file;
        void (TargetsMenu::*open)();
        const char* filter;
    };
    bool saved = true;
    for (const Report& r : {Report{"/preview.png", &TargetsMenu::previewClick, "CE0000"},
                            Report{"/verification.png", &TargetsMenu::verifyClick, "Comprobante"}}) {
        (window.targetsMenu->*r.open)();
        QWidget* dialog = window.targetsMenu->report();
        if (!dialog)
            return false;
        ReportGrid& report = *dialog->findChild<ReportGrid*>();
        report.grid->sortByColumn(2, Qt::DescendingOrder);
        report.filter->setText(QString::fromUtf8(r.filter));
        saved = save(*dialog, folder + r.file) && saved;
        dialog->close();
        QApplication::processEvents();
    }
    return saved;
}

}  // namespace

int renderScreenshots(const QString& folder)
{
    QDir().mkpath(folder);
    const ScopedClock clock(Timestamp{{2026, 12, 9}, {10, 30, 0, 0}});
    WindowSite site;
    ScriptedDialogs dialogs;
    Componentes componentes;
    Tfprincipalconta window(componentes, dialogs, {});
    window.show();
    window.FormActivate();

    Tfacceso& acceso = *window.acceso();
    acceso.TUsuades->setText(QStringLiteral("contador"));
    acceso.TClavedes->setText(QStringLiteral("secreto"));
    bool saved = save(acceso, folder + "/sign-in.png");
    acceso.Panel2->setText(QStringLiteral("Conectando con el servidor Destino"));
    acceso.Panel2->show();
    saved = save(acceso, folder + "/sign-in-connecting.png") && saved;
    acceso.Panel2->hide();
    acceso.SpeedButton1Click();
    QApplication::processEvents();

    // Before "Conectar": only "Conectar" and "Salir" are offered.
    window.LCiaDes->setKeyValue("DES");
    saved = save(window, folder + "/main-window-before-conectar.png") && saved;
    window.AdvGlowButton2Click();
    saved = save(window, folder + "/main-window.png") && saved;

    window.AdvGlowButton1Click();
    saved = save(window, folder + "/targets-editor.png") && saved;
    window.AdvGlowButton4Click();

    // A third target, and the editor on it: every row whole, none under a navigator.
    CompanyRows(site.destination()).target(3, "Bodega Sur", "/srv/kalvora", "BSU", {"RC", "NC", "ND"});
    componentes.Creplicac.close();
    window.AdvGlowButton2Click();
    window.AdvGlowButton1Click();
    componentes.Creplicac.last();
    saved = save(window, folder + "/targets-editor-three.png") && saved;
    window.AdvGlowButton4Click();

    // The progress panel as a run leaves it between two entries.
    PanelProgress& progress = window.progress();
    progress.show();
    progress.setCaption(ansi("Transmitiendo información de Almacén Central"));
    progress.reset(10);
    for (int i = 0; i < 6; ++i)
        progress.step();
    saved = save(window, folder + "/progress.png") && saved;
    progress.hide();
    saved = renderReports(folder, dialogs) && saved;

    progress.hide();

    // Boxes drawn while they wait for their answer: the closing box of a run, the repair's
    // question and its closing box.
    MessageBoxes boxes(QStringLiteral("Kalvora"));
    QString boxFile;
    QTimer waiter;
    QObject::connect(&waiter, &QTimer::timeout, [&] {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(top); box && box->isVisible()) {
                waiter.stop();
                saved = save(*box, folder + boxFile) && saved;
                box->done(QMessageBox::No);
            }
    });
    const auto drawBox = [&](const char* file, const std::function<void()>& open) {
        boxFile = QString::fromUtf8(file);
        waiter.start(50);
        open();
    };
    drawBox("/run-concluded.png", [&] {
        boxes.concluded(ansi("Proceso de envio de información concluído."),
                        ansi("Enviadas 318, con error 1, omitidas por la fecha de bloqueo 1.\nInforme: "
                             "/srv/kalvora/informes/envio-20261209-103000.html"),
                        "/srv/kalvora/informes/envio-20261209-103000.html");
    });
    drawBox("/repair-question.png", [&] {
        boxes.ask(ansi("Se va a reparar la compañía Contabilidad Consolidada S.A.: copiar 1, reemplazar 1, igualar 1, "
                       "borrar 0; se dejan por sobrar en destino 0; protegidos 0. No se escribe nada en las "
                       "compañías de origen. ¿Reparar?"));
    });
    drawBox("/repair-concluded.png", [&] {
        boxes.concluded(ansi("Reparación concluida."),
                        ansi("Reparados 2, con error 1, protegidos por la fecha de bloqueo 0.\nInforme: "
                             "/srv/kalvora/informes/reparacion-20261209-103512.html"),
                        "/srv/kalvora/informes/reparacion-20261209-103512.html");
    });

    RunReportsDialog reports({{"/srv/kalvora/informes/envio-20261209-103000.html", "2026/12/09 10:30:00", "contador",
                               "DES", "enviadas 318, con error 1, omitidas 1"},
                              {"/srv/kalvora/informes/envio-20261208-180512.html", "2026/12/08 18:05:12", "contador",
                               "DES", ansi("incompleto (la transmisión no terminó)")},
                              {"/srv/kalvora/informes/envio-20261207-174401.html", "2026/12/07 17:44:01", "auxiliar",
                               "DES", "enviadas 204, con error 0, omitidas 0"}},
                             "/srv/kalvora/informes", &window);
    reports.show();
    saved = save(reports, folder + "/run-reports.png") && saved;

    for (const auto& e : dialogs.events())
        QTextStream(stderr) << "box: " << QString::fromStdString(e.text) << "\n";
    return saved && dialogs.events().empty() ? 0 : 1;
}

}  // namespace kalvora::test
