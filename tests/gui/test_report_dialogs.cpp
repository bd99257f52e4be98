#include "main_window_fixture.h"

#include "principalconta/windows/data_grid.h"
#include "principalconta/windows/preview_dialog.h"
#include "principalconta/windows/targets_menu.h"
#include "principalconta/windows/verify_dialog.h"
#include "support/consolidation.h"

#include <QAction>
#include <QDateEdit>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

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

}  // namespace
}  // namespace kalvora::test
