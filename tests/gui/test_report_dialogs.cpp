#include "main_window_fixture.h"
#include "opened_files.h"

#include "base/text.h"
#include "principalconta/windows/data_grid.h"
#include "principalconta/windows/preview_dialog.h"
#include "principalconta/windows/run_reports_dialog.h"
#include "principalconta/windows/targets_menu.h"
#include "principalconta/windows/verify_dialog.h"
#include "support/consolidation.h"
#include "support/report_pages.h"
#include "ui/qt/message_boxes.h"

#include <QAction>
#include <QApplication>
#include <QDateEdit>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

#include <filesystem>

namespace kalvora::test {
namespace {

class ReportDialogs : public MainWindowTest {
protected:
    ReportDialogs()
    {
        execute(site.destination(), {"delete from replica_conta_detalle", "delete from replica_conta"});
        Consolidation::build(site.root(), site.destination(), embeddedUser());
    }

    void connectOnTheDay()
    {
        open();
        signIn(QStringLiteral("SYSDBA"));
        connectTo("DES");
        const QDate day(Consolidation::kDay.year, Consolidation::kDay.month, Consolidation::kDay.day);
        window->Fecini->setDate(day);
        window->Fecfin->setDate(day);
    }
};

TEST_F(ReportDialogs, TheTargetsMenuOffersThemOnlyOnceConnected)
{
    open();
    signIn(QStringLiteral("SYSDBA"));
    TargetsMenu& menu = *window->targetsMenu;
    menu.update();
    EXPECT_FALSE(menu.previewAction->isEnabled());
    EXPECT_FALSE(menu.verifyAction->isEnabled());
    EXPECT_EQ(menu.previewAction->text(), QStringLiteral("Vista previa…"));
    EXPECT_EQ(menu.verifyAction->text(), QStringLiteral("Verificar…"));
    EXPECT_EQ(window->DBGridEh1->contextMenuPolicy(), Qt::CustomContextMenu);

    connectTo("DES");
    menu.update();
    EXPECT_TRUE(menu.previewAction->isEnabled());
    EXPECT_TRUE(menu.verifyAction->isEnabled());
}

TEST_F(ReportDialogs, ThePreviewShowsEveryEntryReadOnlyAndSavesThemAsCsv)
{
    connectOnTheDay();
    window->targetsMenu->previewClick();
    auto* dialog = qobject_cast<PreviewDialog*>(window->targetsMenu->report());
    ASSERT_NE(dialog, nullptr) << (messages().empty() ? "" : messages().back());
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(dialog->isModal());
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Vista previa del envío"));
    EXPECT_EQ(dialog->grid->rowCount(), 14);
    EXPECT_EQ(dialog->grid->columnCount(), 6);
    EXPECT_EQ(dialog->grid->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_EQ(dialog->grid->item(0, 4)->text(), QStringLiteral("CEG CE000001"));
    EXPECT_EQ(dialog->grid->item(0, 5)->text(), QStringLiteral("omitir: protegido por la fecha de bloqueo"));
    EXPECT_TRUE(dialog->counts->text().contains(QStringLiteral("Total: 14 entradas")))
        << dialog->counts->text().toStdString();
    EXPECT_FALSE(window->Panel4->isVisible()) << "the progress panel is hidden again";

    const std::string csv = site.root() + "/vista.csv";
    EXPECT_TRUE(dialog->saveTo(QString::fromStdString(csv)));
    EXPECT_EQ(site.site().journalLines("vista.csv").size(), 15u);
    EXPECT_FALSE(dialog->saveTo(QString::fromStdString(site.root() + "/no/existe.csv")));
    EXPECT_EQ(dialogs.texts(ScriptedDialogs::Kind::Error).size(), 1u);

    dialog->closeButton->click();
    settle();
    EXPECT_EQ(window->targetsMenu->report(), nullptr);
    EXPECT_TRUE(window->isVisible()) << "unlike \"Enviar\", the window stays";
}

TEST_F(ReportDialogs, TheVerificationShowsItsDifferencesAndWhereTheDetailWent)
{
    connectOnTheDay();
    window->targetsMenu->verifyClick();
    auto* dialog = qobject_cast<VerifyDialog*>(window->targetsMenu->report());
    ASSERT_NE(dialog, nullptr) << (messages().empty() ? "" : messages().back());
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Verificación"));
    EXPECT_GT(dialog->grid->rowCount(), 5) << "nothing is transmitted yet";
    EXPECT_EQ(dialog->grid->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_TRUE(dialog->summary->text().contains(QStringLiteral("S01 Sucursal Norte: ")));
    const std::string detail = site.root() + "/VERIFICACION.CSV";
    EXPECT_EQ(dialog->detail->text(), QStringLiteral("Detalle: ") + QString::fromStdString(detail));
    EXPECT_EQ(site.site().journalLines("VERIFICACION.CSV").size(), std::size_t(dialog->grid->rowCount()) + 1);
}

TEST_F(ReportDialogs, TheClosingBoxOffersTheReportAndThePastRunsListOpensIt)
{
    connectOnTheDay();
    window->SpeedButton1Click();
    const auto pages = reportPages(site.root(), "envio");
    ASSERT_EQ(pages.size(), 1u);
    ASSERT_EQ(dialogs.conclusions().size(), 1u);
    EXPECT_EQ(dialogs.conclusions()[0].reportPath, pages[0]);

    OpenedFiles opened;
    MessageBoxes boxes(QStringLiteral("Kalvora"));
    QString informative;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        informative = box->informativeText();
        for (QAbstractButton* button : box->buttons())
            if (button->text() == QStringLiteral("Abrir informe"))
                button->click();
    });
    boxes.concluded(ansi("Proceso de envio de información concluído."), dialogs.conclusions()[0].details, pages[0]);
    EXPECT_TRUE(informative.endsWith(QStringLiteral("Informe: ") + QString::fromStdString(pages[0])))
        << informative.toStdString();
    EXPECT_EQ(opened.paths, QStringList{QString::fromStdString(pages[0])});

    TargetsMenu& menu = *window->targetsMenu;
    EXPECT_EQ(menu.runReportsAction->text(), QStringLiteral("Informes de envío…"));
    menu.runReportsClick();
    auto* dialog = qobject_cast<RunReportsDialog*>(menu.report());
    ASSERT_NE(dialog, nullptr);
    ASSERT_EQ(dialog->grid->rowCount(), 1);
    EXPECT_EQ(dialog->grid->item(0, 1)->text(), QStringLiteral("SYSDBA"));
    EXPECT_EQ(dialog->grid->item(0, 2)->text(), QStringLiteral("Contabilidad Consolidada S.A."))
        << "as the window names it";
    EXPECT_TRUE(dialog->grid->item(0, 3)->text().startsWith(QStringLiteral("enviadas ")));
    opened.paths.clear();
    dialog->openClick();
    EXPECT_EQ(opened.paths, QStringList{QString::fromStdString(pages[0])});
}

}  // namespace
}  // namespace kalvora::test
