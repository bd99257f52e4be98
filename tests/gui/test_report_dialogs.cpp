#include "main_window_fixture.h"
#include "opened_files.h"

#include "base/text.h"
#include "principalconta/windows/data_grid.h"
#include "principalconta/windows/preview_dialog.h"
#include "principalconta/windows/report_grid.h"
#include "principalconta/windows/run_reports_dialog.h"
#include "principalconta/windows/targets_menu.h"
#include "principalconta/windows/verify_dialog.h"
#include "support/consolidation.h"
#include "support/report_pages.h"
#include "ui/qt/message_boxes.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <functional>

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

    // What names each item, in the last columns: "Fecha", "Total", "Nombre".
    const std::pair<QString, QString> items[] = {
        {QStringLiteral("Comprobante CEG CE000006"), QStringLiteral("Fecha=2026/12/09 | Total=600.00 | Nombre=")},
        {QStringLiteral("Cuenta 110505"), QStringLiteral("Fecha= | Total= | Nombre=Caja general")}};
    for (const auto& [key, described] : items) {
        SCOPED_TRACE(key.toStdString());
        const auto found = dialog->grid->findItems(key, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1);
        const int row = found.front()->row();
        QStringList texts;
        for (int column = 6; column <= 8; ++column)
            texts << dialog->grid->horizontalHeaderItem(column)->text() + QLatin1Char('=') +
                         dialog->grid->item(row, column)->text();
        EXPECT_EQ(texts.join(QStringLiteral(" | ")), described);
    }
}

std::vector<QString> columnTexts(const QTableWidget& grid, int column)
{
    std::vector<QString> texts;
    for (int r = 0; r < grid.rowCount(); ++r)
        if (!grid.isRowHidden(r))
            texts.push_back(grid.item(r, column)->text());
    return texts;
}

// Both reports, through the same grid: sorting, filtering, copying, saving.
TEST_F(ReportDialogs, BothReportsWorkLikeASpreadsheet)
{
    site.site().setListSeparator(";");
    connectOnTheDay();
    struct Case {
        const char* name;
        int choiceColumn;  // the action, the kind of difference
        int keyColumn;     // the entry's code, the difference's key
        std::function<void()> open;
        std::function<bool(const QString&)> save;
    };
    QDialog* dialog = nullptr;
    const std::vector<Case> cases{
        {"preview", 5, 4, [&] { window->targetsMenu->previewClick(); },
         [&](const QString& path) { return qobject_cast<PreviewDialog*>(dialog)->saveTo(path); }},
        {"verification", 1, 2, [&] { window->targetsMenu->verifyClick(); },
         [&](const QString& path) { return qobject_cast<VerifyDialog*>(dialog)->saveTo(path); }},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        k.open();
        dialog = window->targetsMenu->report();
        ASSERT_NE(dialog, nullptr) << (messages().empty() ? "" : messages().back());
        ReportGrid& report = *dialog->findChild<ReportGrid*>();
        QTableWidget& grid = *report.grid;
        const int total = grid.rowCount();
        ASSERT_GT(total, 3);
        EXPECT_EQ(report.count->text(), QStringLiteral("%1 de %1").arg(total));

        // Titles whole, and every cell's text in its tooltip.
        for (int col = 0; col < grid.columnCount(); ++col)
            EXPECT_GE(grid.columnWidth(col), grid.horizontalHeader()->sectionSizeHint(col)) << "column " << col;
        EXPECT_EQ(grid.item(0, k.keyColumn)->toolTip(), grid.item(0, k.keyColumn)->text());

        // A header click sorts, a second one reverses.
        const int code = k.keyColumn;
        const QHeaderView& header = *grid.horizontalHeader();
        const QPoint title(header.sectionViewportPosition(code) + 4, header.height() / 2);
        QTest::mouseClick(header.viewport(), Qt::LeftButton, {}, title);
        auto up = columnTexts(grid, code);
        EXPECT_TRUE(std::is_sorted(up.begin(), up.end()));
        QTest::mouseClick(header.viewport(), Qt::LeftButton, {}, title);
        auto down = columnTexts(grid, code);
        EXPECT_TRUE(std::is_sorted(down.rbegin(), down.rend()));
        EXPECT_NE(up, down);

        // The choice of one value, then a text: the count follows.
        report.choice->setCurrentIndex(1);
        const QString chosen = report.choice->currentText();
        const auto kept = columnTexts(grid, k.choiceColumn);
        EXPECT_FALSE(kept.empty());
        EXPECT_EQ(std::count(kept.begin(), kept.end(), chosen), std::ptrdiff_t(kept.size()));
        EXPECT_EQ(report.count->text(), QStringLiteral("%1 de %2").arg(kept.size()).arg(total));
        report.choice->setCurrentIndex(0);
        const QString needle = grid.item(0, code)->text();
        QTest::keyClicks(report.filter, needle);
        const int shown = report.shownRows();
        EXPECT_GT(shown, 0);
        EXPECT_LT(shown, total);
        EXPECT_EQ(report.count->text(), QStringLiteral("%1 de %2").arg(shown).arg(total));

        // Ctrl+C: the selected rows that are shown, header first, tab-separated.
        grid.selectAll();
        QTest::keyClick(&grid, Qt::Key_C, Qt::ControlModifier);
        const QStringList lines = QApplication::clipboard()->text().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        ASSERT_EQ(lines.size(), shown + 1);
        EXPECT_EQ(lines[0].split(QLatin1Char('\t')).size(), grid.columnCount());
        EXPECT_TRUE(lines[0].startsWith(QStringLiteral("Compañía de origen\t")));
        EXPECT_TRUE(lines[1].contains(needle, Qt::CaseInsensitive));
        EXPECT_TRUE(report.menu->actions().contains(report.copyAction));

        // Saved with the regional list separator.
        const std::string file = std::string(k.name) + ".csv";
        EXPECT_TRUE(k.save(QString::fromStdString(site.root() + "/" + file)));
        const auto saved = site.site().journalLines(file);
        ASSERT_EQ(saved.size(), std::size_t(total) + 1);
        EXPECT_EQ(saved[0].rfind(ansi("Compañía de origen;"), 0), 0u) << saved[0];
        dialog->close();
        settle();
    }
    EXPECT_TRUE(dialogs.texts(ScriptedDialogs::Kind::Error).empty());
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

// "Reparar…" sets right the rows chosen, after the user saw the plan's counts and agreed.
TEST_F(ReportDialogs, RepairSetsRightTheChosenRowsAndShowsTheVerificationAfter)
{
    connectOnTheDay();
    window->targetsMenu->verifyClick();
    auto* shown = qobject_cast<VerifyDialog*>(window->targetsMenu->report());
    ASSERT_NE(shown, nullptr) << (messages().empty() ? "" : messages().back());
    ASSERT_TRUE(shown->repairButton->isVisible());
    EXPECT_EQ(shown->repairButton->text(), QStringLiteral("&Reparar…"));
    const QString chosen[] = {QStringLiteral("Comprobante CEG CE000006"), QStringLiteral("Tercero 800123")};
    shown->grid->sortByColumn(2, Qt::DescendingOrder);
    for (const QString& key : chosen) {
        const auto found = shown->grid->findItems(key, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << key.toStdString();
        shown->grid->selectionModel()->select(shown->grid->model()->index(found.front()->row(), 0),
                                              QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    const int before = shown->report().differenceCount();

    dialogs.answer(false);
    shown->repairButton->click();
    settle();
    EXPECT_EQ(window->targetsMenu->report(), shown) << "No leaves everything as it was";
    const auto questions = dialogs.texts(ScriptedDialogs::Kind::Question);
    ASSERT_EQ(questions.size(), 1u) << "nothing only in the destination was chosen";
    EXPECT_EQ(toUtf8(questions[0]),
              "Se va a reparar la compañía Contabilidad Consolidada S.A.: copiar 2, reemplazar 0, igualar 0, borrar 0; "
              "se dejan por sobrar en destino 0; protegidos 0. No se escribe nada en las "
              "compañías de origen. ¿Reparar?");

    shown->repairButton->click();
    settle();
    auto* after = qobject_cast<VerifyDialog*>(window->targetsMenu->report());
    ASSERT_NE(after, nullptr);
    EXPECT_NE(after, shown);
    EXPECT_EQ(after->report().differenceCount(), before - 2);
    for (const QString& key : chosen)
        EXPECT_TRUE(after->grid->findItems(key, Qt::MatchExactly).isEmpty()) << key.toStdString();
    ASSERT_EQ(dialogs.conclusions().size(), 1u);
    EXPECT_EQ(reportPages(site.root(), "reparacion"), std::vector<std::string>{dialogs.conclusions()[0].reportPath});
    EXPECT_TRUE(reportPages(site.root(), "envio").empty()) << "a repair is no transmission";
    EXPECT_FALSE(window->Panel4->isVisible()) << "the progress panel is hidden again";
}

}  // namespace
}  // namespace kalvora::test
