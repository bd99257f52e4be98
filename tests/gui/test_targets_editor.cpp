#include "main_window_fixture.h"

#include "principalconta/windows/caption_panel.h"
#include "principalconta/windows/data_grid.h"
#include "principalconta/windows/navigator.h"
#include "principalconta/windows/row_store_model.h"
#include "ui/text.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

namespace kalvora::test {
namespace {

using Kind = ScriptedDialogs::Kind;

const std::string kClosed = "Se presento el siguiente error: Creplicac: Cannot perform this operation on a closed dataset";

class TargetsEditorTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        signIn();
        connectTo("DES");
        openEditor();
        ASSERT_TRUE(window->AdvPanel1->isVisible());
        ASSERT_TRUE(dialogs.events().empty()) << dialogs.events().front().text;
    }

    void press(Navigator* navigator, Navigator::Button button) { navigator->button(button)->click(); }

    // Types into a cell of an editor grid the way a user does: editor, keys, Enter.
    void type(DataGrid* grid, int column, const QString& text)
    {
        const QModelIndex cell = grid->model()->index(grid->currentIndex().row(), column);
        grid->setCurrentIndex(cell);
        grid->edit(cell);
        auto* editor = grid->viewport()->findChild<QLineEdit*>();
        ASSERT_NE(editor, nullptr);
        editor->selectAll();
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
        settle();
    }

    QString shown(DataGrid* grid, int row, int column) const { return grid->model()->index(row, column).data().toString(); }

    std::size_t stored(const std::string& sql) const { return query(site.destination(), sql).rows.size(); }
};

TEST_F(MainWindowTest, BeforeConectarTheEditorReportsTheClosedTargets)
{
    signIn();
    openEditor();
    EXPECT_EQ(window->DBGridEh3->model()->rowCount(), 0);
    EXPECT_FALSE(window->DBNavigator3->button(Navigator::Button::Insert)->isEnabled());
    window->AdvGlowButton3Click();
    window->AdvGlowButton4Click();
    EXPECT_EQ(messages(), (std::vector<std::string>{kClosed, kClosed}));
    EXPECT_TRUE(window->AdvPanel1->isVisible());
}

TEST_F(TargetsEditorTest, GrabarStoresAllOrNothing)
{
    press(window->DBNavigator3, Navigator::Button::Last);
    window->DBGridEh3->setFocus();
    QTest::keyClick(window->DBGridEh3, Qt::Key_Down);  // past the last row: a new one
    ASSERT_EQ(window->DBGridEh3->model()->rowCount(), 3);
    type(window->DBGridEh3, 0, QStringLiteral("3"));
    type(window->DBGridEh3, 1, QStringLiteral("Bodega Sur"));
    type(window->DBGridEh3, 3, QStringLiteral("BSU"));
    press(window->DBNavigator4, Navigator::Button::Insert);
    type(window->DBGridEh4, 0, QStringLiteral("1"));
    type(window->DBGridEh4, 1, QStringLiteral("RC"));

    press(window->DBNavigator3, Navigator::Button::Insert);
    type(window->DBGridEh3, 0, QStringLiteral("1"));  // already stored
    type(window->DBGridEh3, 3, QStringLiteral("DUP"));
    EXPECT_EQ(shown(window->DBGridEh1, window->DBGridEh1->currentIndex().row(), 3), QStringLiteral("DUP"))
        << "the main window shows the edit at once";

    window->AdvGlowButton3Click();
    const auto boxes = dialogs.events();
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].kind, Kind::Message);
    EXPECT_NE(boxes[0].text.find("PRIMARY or UNIQUE KEY"), std::string::npos) << boxes[0].text;
    EXPECT_EQ(boxes[1].kind, Kind::Beep);
    EXPECT_EQ(boxes[2], (ScriptedDialogs::Event{Kind::Error, boxes[0].text.substr(0, boxes[0].text.size() - 1)}));
    EXPECT_FALSE(window->AdvPanel1->isVisible());
    EXPECT_EQ(stored("select * from replica_conta"), 2u) << "nothing of the save is stored";
    EXPECT_EQ(stored("select * from replica_conta_detalle"), 3u);
    EXPECT_GT(c.Creplicac.changeCount(), 0) << "the refused row stays pending";
    EXPECT_EQ(window->DBGridEh1->model()->rowCount(), 4);

    dialogs.clear();
    openEditor();
    press(window->DBNavigator3, Navigator::Button::Delete);
    EXPECT_EQ(dialogs.texts(Kind::Question), std::vector<std::string>{"Delete record?"});
    window->AdvGlowButton3Click();
    EXPECT_EQ(dialogs.texts(Kind::Message), std::vector<std::string>{});
    EXPECT_EQ(stored("select * from replica_conta where rpco_id = 3 and rpco_cod = 'BSU'"), 1u);
    EXPECT_EQ(stored("select * from replica_conta_detalle where rpco_id = 3 and rpcd_pref = 'RC'"), 1u);
    EXPECT_EQ(c.Creplicac.changeCount(), 0);
}

TEST_F(TargetsEditorTest, ARowWithoutItsRequiredFieldsStaysInEdit)
{
    press(window->DBNavigator3, Navigator::Button::Insert);
    type(window->DBGridEh3, 1, QStringLiteral("Solo nombre"));
    const int inserted = window->DBGridEh3->currentIndex().row();
    window->DBGridEh3->setCurrentIndex(window->DBGridEh3->model()->index(inserted + 1, 1));  // leaving the row

    const std::vector<ScriptedDialogs::Event> expected{
        {Kind::Message, ansi("Field 'Cód' must have a value")},
        {Kind::Beep, ""},
        {Kind::Error, "Los campos RPCO_ID, RPCO_COD,  son obligatorios."}};
    EXPECT_EQ(dialogs.events(), expected);
    EXPECT_EQ(c.Creplicac.state(), RowStore::State::Insert);
    EXPECT_EQ(window->DBGridEh3->currentIndex().row(), inserted) << "the cursor stays on the row";
    EXPECT_EQ(window->DBGridEh3->model()->headerData(inserted, Qt::Vertical, Qt::DisplayRole).toString(),
              QStringLiteral("*"));

    dialogs.clear();
    window->AdvGlowButton3Click();
    EXPECT_EQ(dialogs.events(), expected);
    EXPECT_TRUE(window->AdvPanel1->isVisible()) << "the click ends with the panel shown";

    dialogs.clear();
    press(window->DBNavigator3, Navigator::Button::Cancel);
    press(window->DBNavigator4, Navigator::Button::Insert);
    type(window->DBGridEh4, 1, QStringLiteral("XX"));
    window->AdvGlowButton3Click();
    EXPECT_EQ(dialogs.texts(Kind::Message), std::vector<std::string>{"Field 'Item' must have a value"});
    EXPECT_EQ(dialogs.texts(Kind::Error), std::vector<std::string>{"Los campos RPCD_ITEM,  son obligatorios."});
}

TEST_F(TargetsEditorTest, SalirDropsEveryPendingChange)
{
    type(window->DBGridEh3, 1, QStringLiteral("Renombrado"));
    press(window->DBNavigator3, Navigator::Button::Next);
    press(window->DBNavigator3, Navigator::Button::Delete);
    press(window->DBNavigator4, Navigator::Button::Insert);
    type(window->DBGridEh4, 0, QStringLiteral("9"));
    ASSERT_GT(c.Creplicac.changeCount(), 0);

    window->AdvGlowButton4Click();
    EXPECT_FALSE(window->AdvPanel1->isVisible());
    EXPECT_EQ(c.Creplicac.changeCount(), 0);
    ASSERT_EQ(window->DBGridEh1->model()->rowCount(), 2);
    EXPECT_EQ(shown(window->DBGridEh1, 0, 1), QStringLiteral("Almacén Central"));
    EXPECT_EQ(shown(window->DBGridEh1, 1, 1), QStringLiteral("Sucursal Norte"));
    EXPECT_EQ(dialogs.texts(Kind::Message), std::vector<std::string>{});
}

TEST_F(TargetsEditorTest, TheMainWindowGridsFollowTheEditor)
{
    window->DBGridEh3->setCurrentIndex(window->DBGridEh3->model()->index(1, 1));
    EXPECT_EQ(c.Creplicac.recNo(), 1);
    EXPECT_EQ(window->DBGridEh1->currentIndex().row(), 1);
    ASSERT_EQ(window->DBGridEh2->model()->rowCount(), 1);
    EXPECT_EQ(shown(window->DBGridEh2, 0, 1), QStringLiteral("NC"));
    EXPECT_EQ(window->DBGridEh1->model()->headerData(1, Qt::Vertical, Qt::DisplayRole).toString(), QStringLiteral("▶"));
    EXPECT_FALSE(window->DBNavigator1->button(Navigator::Button::Next)->isEnabled());

    type(window->DBGridEh3, 1, QStringLiteral("Sucursal Norte 2"));
    EXPECT_EQ(shown(window->DBGridEh1, 1, 1), QStringLiteral("Sucursal Norte 2"));
    EXPECT_EQ(window->DBGridEh1->model()->headerData(1, Qt::Vertical, Qt::DisplayRole).toString(), QStringLiteral("I"));
    EXPECT_EQ(window->DBGridEh1->model()->flags(window->DBGridEh1->model()->index(1, 1)) & Qt::ItemIsEditable,
              Qt::NoItemFlags);
}

TEST_F(TargetsEditorTest, LeavingTheGridDropsANewRowNobodyTypedInto)
{
    window->activateWindow();
    QApplication::setActiveWindow(window.get());
    window->DBGridEh3->setFocus();
    QTest::keyClick(window->DBGridEh3, Qt::Key_Insert);
    ASSERT_EQ(c.Creplicac.state(), RowStore::State::Insert);
    ASSERT_EQ(window->DBGridEh3->model()->rowCount(), 3);

    window->DBGridEh4->setFocus();
    EXPECT_EQ(c.Creplicac.state(), RowStore::State::Browse);
    EXPECT_EQ(window->DBGridEh3->model()->rowCount(), 2);
    EXPECT_TRUE(dialogs.events().empty());
}

}  // namespace
}  // namespace kalvora::test
