#include "main_window_fixture.h"

#include "base/text.h"
#include "ctrlaccesoconta/windows/tfacceso.h"
#include "data/locations.h"
#include "principalconta/date_range.h"
#include "principalconta/windows/data_grid.h"
#include "principalconta/windows/lookup_combo_box.h"
#include "principalconta/windows/navigator.h"
#include "principalconta/windows/preview_dialog.h"
#include "principalconta/windows/row_store_model.h"
#include "principalconta/windows/targets_menu.h"
#include "principalconta/windows/verify_dialog.h"
#include "settings/clock.h"
#include "support/child_process.h"
#include "ui/qt/text.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCalendarWidget>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QToolButton>

#include <functional>
#include <set>

namespace kalvora::test {
namespace {

std::string noDatabaseMessage(const std::string& location)
{
    return ansi("No se encontró el archivo o la ruta ") + location;
}

TEST_F(MainWindowTest, TheRunModeIsChosenAtTheFirstActivationOnly)
{
    // A fourth argument that is empty still means the interactive sign-in.
    open({site.root(), "contador", "clave", ""});
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Envío de información"));
    window->FormActivate();
    Tfacceso* dialog = window->acceso();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(dialog->isModal());
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Control de acceso"));
    EXPECT_TRUE(dialog->TUsuades->text().isEmpty()) << "the arguments are read only in the unattended run";

    window->FormActivate();
    EXPECT_EQ(window->acceso(), dialog);
    EXPECT_FALSE(window->primera_activacion);

    dialog->SpeedButton2Click();
    settle();
    EXPECT_EQ(window->acceso(), nullptr);
    EXPECT_FALSE(window->isVisible()) << "a cancelled sign-in ends the program";
    EXPECT_TRUE(dialogs.events().empty());
}

TEST_F(MainWindowTest, TheDateRangeIsTheWholeCurrentMonth)
{
    struct Case {
        Date today;
        Date first;
        Date last;
    };
    for (const Case& k :
         {Case{{2024, 2, 29}, {2024, 2, 1}, {2024, 2, 29}}, Case{{2023, 2, 14}, {2023, 2, 1}, {2023, 2, 28}},
          Case{{2026, 4, 1}, {2026, 4, 1}, {2026, 4, 30}}, Case{{2026, 12, 31}, {2026, 12, 1}, {2026, 12, 31}}}) {
        const ScopedClock clock(Timestamp{k.today, {13, 45, 0, 0}});
        Tfprincipalconta w(c, dialogs, {});
        EXPECT_EQ(w.Fecini->date(), QDate(k.first.year, k.first.month, k.first.day));
        EXPECT_EQ(w.Fecfin->date(), QDate(k.last.year, k.last.month, k.last.day));
        EXPECT_TRUE(w.Fecini->calendarPopup());
    }
    const DateRange range = monthOf({2024, 2, 10});
    EXPECT_EQ(range.desde.time, TimeOfDay{});
    EXPECT_EQ(range.hasta.time, (TimeOfDay{23, 59, 59, 9990}));
}

TEST_F(MainWindowTest, ConectarOpensTheChosenCompanyAsTheUpperCasedUser)
{
    signIn(QStringLiteral("contador"));
    connectTo("DES");
    ASSERT_TRUE(dialogs.events().empty()) << dialogs.events().front().text;
    EXPECT_TRUE(c.DBEnvio.connected());
    EXPECT_EQ(c.DBEnvio.params().get("Database"), site.destination());
    EXPECT_EQ(c.DBEnvio.params().get("User_Name"), "CONTADOR");
    EXPECT_EQ(c.DBEnvio.params().get("password"), "clave");

    const auto& targets = window->DBGridEh1->rows();
    ASSERT_EQ(targets.rowCount(), 2);
    EXPECT_EQ(targets.index(0, 1).data().toString(), QStringLiteral("Almacén Central"));
    EXPECT_EQ(targets.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("Cód"));
    EXPECT_EQ(targets.headerData(3, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("Cia"));
    EXPECT_EQ(window->DBGridEh2->rows().rowCount(), 2) << "CE and FV of the first target";
}

TEST_F(MainWindowTest, AFailedConectarLeavesTheDestinationClosedAndTheTargetsShown)
{
    signIn();
    connectTo("DES");
    connectTo("XYZ");
    EXPECT_EQ(messages(), std::vector<std::string>{noDatabaseMessage(companyDatabaseLocation(site.root(), "XYZ"))});
    EXPECT_FALSE(c.DBEnvio.connected());
    EXPECT_EQ(window->DBGridEh1->rows().rowCount(), 2);
}

TEST_F(MainWindowTest, ConectarKeepsTheTargetsOfTheSameCompanyAndReloadsForAnother)
{
    signIn();
    connectTo("DES");
    c.Creplicac.edit();
    c.Creplicac.field("RPCO_NOMBRE").setText("Cambiado");
    c.Creplicac.post();

    connectTo("DES");
    EXPECT_TRUE(c.DBEnvio.connected());
    EXPECT_EQ(c.Creplicac.changeCount(), 1) << "unsaved edits survive a reconnection";
    EXPECT_EQ(window->DBGridEh1->rows().index(0, 1).data().toString(), QStringLiteral("Cambiado"));

    connectTo("SEG");
    ASSERT_EQ(window->DBGridEh1->rows().rowCount(), 1);
    EXPECT_EQ(window->DBGridEh1->rows().index(0, 1).data().toString(), QStringLiteral("Otra fuente"));
    EXPECT_EQ(c.Creplicac.changeCount(), 0);
    EXPECT_TRUE(dialogs.events().empty());
}

TEST_F(MainWindowTest, AnUnattendedRunStopsAtTheFirstErrorAndLeavesTheWindowOpen)
{
    open({site.root(), "contador", "clave", "XYZ"});
    window->FormActivate();
    ASSERT_NE(window->acceso(), nullptr);
    EXPECT_FALSE(window->acceso()->isVisible()) << "the unattended run never shows the sign-in";
    EXPECT_EQ(c.usuario_sesion, "CONTADOR");
    EXPECT_EQ(window->SerDes1->text(), QString::fromStdString(site.root()));
    EXPECT_EQ(window->LCiaDes->count(), 3);
    EXPECT_EQ(messages(), std::vector<std::string>{noDatabaseMessage(companyDatabaseLocation(site.root(), "XYZ"))});
    EXPECT_FALSE(c.DBEnvio.connected());
    EXPECT_FALSE(window->Panel4->isVisible()) << "nothing was sent";
    EXPECT_TRUE(window->isVisible());
}

TEST_F(MainWindowTest, AnUnattendedRunSendsTodaysEntriesAndCloses)
{
    const std::string origin = site.site().addSource("ORI");
    CompanyRows(site.destination()).execute("DELETE FROM REPLICA_CONTA_DETALLE");
    CompanyRows(site.destination()).execute("DELETE FROM REPLICA_CONTA");
    CompanyRows(site.destination()).target(5, "Origen", site.root(), "ORI");
    {
        CompanyRows source(origin);
        source.account({"110505"});
        source.account({"220505"});
        AuditEntry today = accountEntry(1, "110505");
        today.fecha = {2026, 12, 9};
        AuditEntry yesterday = accountEntry(2, "220505");
        yesterday.fecha = {2026, 12, 8};
        source.audit(today);
        source.audit(yesterday);
    }
    const ScopedClock clock(Timestamp{{2026, 12, 9}, {6, 0, 0, 0}});
    open({site.root(), "sysdba", "clave", "DES", "ignorado"});
    window->FormActivate();

    EXPECT_EQ(window->Fecini->date(), QDate(2026, 12, 9));
    EXPECT_EQ(window->Fecfin->date(), QDate(2026, 12, 9));
    EXPECT_FALSE(window->isVisible()) << "a completed run closes the window";
    EXPECT_EQ(messages().back(), ansi("Proceso de envio de información concluído."));
    c.DbCia.disconnect();
    const auto sent = query(origin, "select audi_id, audi_envio from auditoria order by audi_id").rows;
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0][1].asText(), "S");
    EXPECT_EQ(sent[1][1].asText(), "N");
    EXPECT_EQ(query(site.destination(), "select cuen_cod from cuentas").rows.size(), 1u);
}

TEST_F(MainWindowTest, TheProgressPanelKeepsItsNoticeAndNamesTheTarget)
{
    site.site().addSource("ORI");
    CompanyRows(site.destination()).execute("DELETE FROM REPLICA_CONTA_DETALLE");
    CompanyRows(site.destination()).execute("DELETE FROM REPLICA_CONTA");
    const std::string name = ansi("Compañía de origen con un nombre bastante largo");
    CompanyRows(site.destination()).target(5, name, site.root(), "ORI");
    signIn(QStringLiteral("sysdba"));
    connectTo("DES");
    window->SpeedButton1Click();
    ASSERT_EQ(messages(), std::vector<std::string>{ansi("Proceso de envio de información concluído.")});

    std::vector<QString> texts;
    for (const QLabel* label : window->Panel4->findChildren<QLabel*>()) {
        texts.push_back(label->text());
        EXPECT_GE(label->width(), label->sizeHint().width()) << label->text().toStdString() << " is cut";
    }
    EXPECT_EQ(texts, (std::vector<QString>{QStringLiteral("Copiando información. Espere un momento..."),
                                           toQString(ansi("Transmitiendo información de ") + name)}));
}

TEST_F(MainWindowTest, EnviarBeforeConectarSaysThatNoDestinationIsConnected)
{
    signIn();
    window->LCiaDes->setKeyValue("DES");
    window->SpeedButton1Click();
    EXPECT_EQ(messages(), std::vector<std::string>{"Se presento el siguiente error: " +
                                                   ansi("No hay una compañía destino conectada: escoja la compañía "
                                                        "y pulse \"Conectar\".")});
    EXPECT_FALSE(c.DBEnvio.connected());
    EXPECT_FALSE(window->Panel4->isVisible()) << "the panel goes however the run ends";
    EXPECT_TRUE(window->isVisible());
}

TEST_F(MainWindowTest, TheButtonsFollowTheStateThroughTheFlow)
{
    open();
    struct Step {
        const char* what;
        std::function<void()> act;
        bool conectar;
        bool targets;  // "Enviar", "Configurar" and the targets' menu
    };
    const std::vector<Step> flow{
        {"created", [] {}, false, false},
        {"signed in", [&] { signIn(); }, false, false},
        {"a company chosen", [&] { window->LCiaDes->setKeyValue("DES"); }, true, false},
        {"connected", [&] { window->AdvGlowButton2Click(); }, true, true},
        {"another company chosen", [&] { window->LCiaDes->setKeyValue("SEG"); }, true, false},
        {"back to the connected one", [&] { window->LCiaDes->setKeyValue("DES"); }, true, true},
        {"a failed Conectar", [&] { connectTo("XYZ"); }, true, false},
        {"connected again", [&] { connectTo("SEG"); }, true, true},
    };
    for (const Step& step : flow) {
        SCOPED_TRACE(step.what);
        step.act();
        window->targetsMenu->update();
        EXPECT_EQ(window->AdvGlowButton2->isEnabled(), step.conectar);
        EXPECT_EQ(window->AdvGlowButton2->toolTip().isEmpty(), step.conectar) << "a disabled button says why";
        for (QWidget* button : std::vector<QWidget*>{window->SpeedButton1, window->AdvGlowButton1}) {
            EXPECT_EQ(button->isEnabled(), step.targets);
            EXPECT_EQ(button->toolTip().isEmpty(), step.targets);
        }
        EXPECT_EQ(window->targetsMenu->previewAction->isEnabled(), step.targets);
        EXPECT_EQ(window->targetsMenu->verifyAction->isEnabled(), step.targets);
    }
    EXPECT_EQ(messages().size(), 1u) << "only the failed Conectar said something";
}

// Every control a user or a screen reader reaches has a name and a description, and no two
// controls of a window share a name.
TEST_F(MainWindowTest, EveryControlHasANameAndADescription)
{
    signIn();
    connectTo("DES");
    Tfacceso acceso(c, dialogs, window.get());
    PreviewDialog preview(PreviewReport{}, dialogs);
    VerifyDialog verification(VerifyReport{}, "", dialogs);
    for (QWidget* w : std::vector<QWidget*>{window.get(), &acceso, &preview, &verification}) {
        SCOPED_TRACE(w->windowTitle().toStdString());
        // The parts a control is made of are its own business.
        const auto part = [w](const QWidget* control) {
            const QWidget* parent = control->parentWidget();
            return control->window() != w || control->inherits("QScrollBar") ||
                   (parent && (parent->inherits("QAbstractSpinBox") || parent->inherits("QComboBox") ||
                               parent->inherits("QAbstractItemView") || parent->inherits("QLineEdit")));
        };
        std::set<QString> names;
        for (QWidget* control : w->findChildren<QWidget*>()) {
            auto* button = qobject_cast<QAbstractButton*>(control);
            if ((control->focusPolicy() == Qt::NoFocus && !button) || part(control))
                continue;
            const QString name = control->accessibleName().isEmpty() && button ? button->text().remove(QLatin1Char('&'))
                                                                               : control->accessibleName();
            SCOPED_TRACE(control->metaObject()->className());
            EXPECT_FALSE(name.isEmpty());
            if (qobject_cast<QToolButton*>(control))
                continue;  // named within their navigator
            EXPECT_FALSE(control->accessibleDescription().isEmpty()) << name.toStdString();
            EXPECT_TRUE(names.insert(name).second) << name.toStdString() << " twice";
        }
    }
}

TEST_F(MainWindowTest, AltAndALetterPressTheButtons)
{
    signIn();
    connectTo("DES");
    activate();
    const Tfacceso acceso(c, dialogs, window.get());
    struct Case {
        QAbstractButton* button;
        Qt::Key key;
    };
    for (const Case& k : {Case{window->AdvGlowButton2, Qt::Key_C}, Case{window->AdvGlowButton1, Qt::Key_F},
                          Case{window->SpeedButton1, Qt::Key_E}, Case{window->SpeedButton2, Qt::Key_S},
                          Case{window->AdvGlowButton3, Qt::Key_G}, Case{window->AdvGlowButton4, Qt::Key_L},
                          Case{acceso.SpeedButton1, Qt::Key_E}, Case{acceso.SpeedButton2, Qt::Key_S}})
        EXPECT_EQ(k.button->shortcut(), QKeySequence(Qt::ALT | k.key)) << k.button->text().toStdString();

    QSignalSpy conectar(window->AdvGlowButton2, &QAbstractButton::clicked);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::AltModifier);
    EXPECT_TRUE(conectar.wait(2000)) << "the button is pressed as by a click";
}

TEST_F(MainWindowTest, ShiftF10AndTheMenuKeyOpenTheTargetsMenu)
{
    signIn();
    connectTo("DES");
    activate();
    struct Case {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
    };
    for (const Case& k : {Case{Qt::Key_F10, Qt::ShiftModifier}, Case{Qt::Key_Menu, Qt::NoModifier}}) {
        window->DBGridEh1->setFocus();
        QTest::keyClick(window->DBGridEh1, k.key, k.modifiers);
        EXPECT_TRUE(window->targetsMenu->menu->isVisible()) << k.key;
        window->targetsMenu->menu->close();
    }
}

TEST_F(MainWindowTest, AClickIntoADateEditorLetsTheUserTypeThatPart)
{
    open();
    activate();
    window->Fecini->setDate(QDate(2026, 12, 1));
    QLineEdit* line = window->Fecini->findChild<QLineEdit*>();
    // Within the day of "2026/12/01".
    const QPoint day(line->fontMetrics().horizontalAdvance(line->text().left(9)) + 3, line->height() / 2);
    QTest::mouseClick(line, Qt::LeftButton, {}, day);
    settle();
    QTest::keyClicks(line, QStringLiteral("15"));
    EXPECT_EQ(window->Fecini->date(), QDate(2026, 12, 15));
}

TEST_F(MainWindowTest, TheCompanyListIsAsWideAsItsLongestName)
{
    const QString longName = QStringLiteral("Grupo Empresarial Alameda S.A. Sucursal de Distribución del Norte");
    CompanyRows(site.general()).insert("COMPANIA", {{"COMP_COD", "001"}, {"COM_NOMBRE", fromQString(longName)}});
    signIn();
    QTableView* list = window->LCiaDes->listView();
    static_cast<QComboBox*>(window->LCiaDes)->showPopup();
    ASSERT_TRUE(list->isVisible());
    EXPECT_GE(list->columnWidth(1), list->fontMetrics().horizontalAdvance(longName));
    EXPECT_GE(list->viewport()->width(), list->columnWidth(0) + list->columnWidth(1)) << "both columns in sight";
    EXPECT_LE(list->window()->width(), window->screen()->availableGeometry().width());
}

TEST_F(MainWindowTest, TheCompanyBoxAndTheGridColumnsGrowWithTheWindow)
{
    signIn();
    connectTo("DES");
    DataGrid& grid = *window->DBGridEh1;
    for (const int width : {0, 1250}) {
        SCOPED_TRACE(width);
        if (width > 0)
            window->resize(width, window->height());
        settle();
        const QRect room = grid.viewport()->rect();
        for (int col = 0; col < grid.model()->columnCount(); ++col)
            EXPECT_TRUE(room.contains(grid.visualRect(grid.model()->index(0, col)))) << "column " << col;
        EXPECT_GT(grid.columnWidth(1), grid.columnWidth(3)) << "the name keeps the most room";
    }
    EXPECT_GT(window->LCiaDes->width(), 400);
    EXPECT_EQ(window->LCiaDes->width(), window->SerDes1->width());
    const QModelIndex name = grid.model()->index(0, 1);
    EXPECT_EQ(name.data(Qt::ToolTipRole).toString(), name.data().toString()) << "a cut cell's whole text";
}

TEST(WindowProgram, HelpAndVersionPrintAndExit)
{
    struct Case {
        const char* argument;
        const char* says;
    };
    for (const Case& k : {Case{"--help", "kalvora-envio SERVIDOR USUARIO CLAVE COMPAÑIA"}, Case{"-h", "--version"},
                          Case{"--version", "kalvora-envio " KALVORA_VERSION "\n"}}) {
        SCOPED_TRACE(k.argument);
        // A window that opened instead would be ended by the timeout.
        const Finished f = runProgram("/usr/bin/timeout", {"20", builtProgram("kalvora-envio").string(), k.argument},
                                      {{"QT_QPA_PLATFORM", "offscreen"}});
        EXPECT_EQ(f.status, 0) << f.err;
        EXPECT_TRUE(f.outSays(k.says)) << f.out;
    }
}

TEST_F(MainWindowTest, EscClosesTheCompanyListOnly)
{
    signIn();
    static_cast<QComboBox*>(window->LCiaDes)->showPopup();
    ASSERT_TRUE(window->LCiaDes->view()->isVisible());
    QTest::keyClick(window->LCiaDes->view(), Qt::Key_Escape);
    settle();
    EXPECT_FALSE(window->LCiaDes->view()->isVisible());
    EXPECT_TRUE(window->isVisible());
}

TEST_F(MainWindowTest, TabFollowsTheDesignedOrderOneStopPerControl)
{
    signIn();
    connectTo("DES");
    activate();
    const std::vector<QWidget*> order{window->Fecini,         window->Fecfin,       window->LCiaDes,
                                      window->SerDes1,        window->DBGridEh1,    window->DBNavigator1,
                                      window->AdvGlowButton1, window->DBGridEh2,    window->DBNavigator2,
                                      window->AdvGlowButton2, window->SpeedButton1, window->SpeedButton2};
    window->Fecini->setFocus();
    std::vector<QWidget*> visited{focusedAmong(order)};
    for (std::size_t i = 1; i < order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited.push_back(focusedAmong(order));
    }
    EXPECT_EQ(visited, order);

    window->DBNavigator1->setFocus();
    QTest::keyClick(window->DBNavigator1, Qt::Key_Space);
    EXPECT_EQ(c.Creplicac.recNo(), 1) << "Space presses the marked button: the first enabled one, Next";
}

TEST_F(MainWindowTest, TypingInTheCompanyBoxFindsACompanyByCodeOrName)
{
    signIn();
    struct Case {
        const char* typed;
        std::string code;
    };
    for (const Case& k : {Case{"SEG", "SEG"}, Case{"Contab", "DES"}, Case{"segunda", "SEG"}, Case{"Compa", "XYZ"},
                          Case{"des", "DES"}}) {
        SCOPED_TRACE(k.typed);
        QTest::keyClicks(window->LCiaDes, QString::fromUtf8(k.typed));
        ASSERT_TRUE(window->LCiaDes->view()->isVisible()) << "the list drops down as the user types";
        QTest::keyClick(window->LCiaDes->view(), Qt::Key_Return);
        settle();
        EXPECT_EQ(window->LCiaDes->keyValue(), k.code);
    }
}

TEST_F(MainWindowTest, TheToolkitSpeaksSpanishWhateverTheLocale)
{
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    open();
    QLocale::setDefault(before);
    for (QDateEdit* editor : {window->Fecini, window->Fecfin}) {
        EXPECT_EQ(editor->calendarWidget()->locale().language(), QLocale::Spanish);
        EXPECT_EQ(editor->calendarWidget()->firstDayOfWeek(), Qt::Monday);
    }
    QMessageBox box(QMessageBox::Question, QString(), QString(), QMessageBox::Yes | QMessageBox::No | QMessageBox::Ok);
    EXPECT_EQ(box.button(QMessageBox::Yes)->text().remove(QLatin1Char('&')), QStringLiteral("Sí"));
    EXPECT_EQ(box.button(QMessageBox::No)->text().remove(QLatin1Char('&')), QStringLiteral("No"));
    EXPECT_EQ(box.button(QMessageBox::Ok)->text().remove(QLatin1Char('&')), QStringLiteral("Aceptar"));
}

}  // namespace
}  // namespace kalvora::test
