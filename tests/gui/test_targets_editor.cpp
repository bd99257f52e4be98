#include "main_window_fixture.h"

#include "base/text.h"
#include "principalconta/windows/caption_panel.h"
#include "principalconta/windows/data_grid.h"
#include "principalconta/windows/navigator.h"
#include "principalconta/windows/row_store_model.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <algorithm>
#include <functional>

namespace kalvora::test {
namespace {

using Kind = ScriptedDialogs::Kind;

const std::string kClosed =
    "Se presento el siguiente error: Creplicac: Cannot perform this operation on a closed dataset";

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

    // Rows in a grid's column, from the top.
    std::vector<QString> column(DataGrid* grid, int c) const
    {
        std::vector<QString> texts;
        for (int row = 0; row < grid->model()->rowCount(); ++row)
            texts.push_back(shown(grid, row, c));
        return texts;
    }

    // Types into a cell of an editor grid the way a user does: editor, keys, Enter (or,
    // with finish false, no Enter: the text stays in the open cell editor).
    void type(DataGrid* grid, int column, const QString& text, bool finish = true)
    {
        settle();  // an editor closed by a button is gone only then
        const QModelIndex cell = grid->model()->index(grid->currentIndex().row(), column);
        grid->setCurrentIndex(cell);
        grid->edit(cell);
        auto* editor = grid->viewport()->findChild<QLineEdit*>();
        ASSERT_NE(editor, nullptr);
        editor->selectAll();
        QTest::keyClicks(editor, text);
        if (finish)
            QTest::keyClick(editor, Qt::Key_Return);
        settle();
    }

    QString shown(DataGrid* grid, int row, int column) const
    {
        return grid->model()->index(row, column).data().toString();
    }

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
    EXPECT_EQ(boxes[2], (ScriptedDialogs::Event{Kind::Error, boxes[0].text}));
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

TEST_F(TargetsEditorTest, SalirPutsDeletedRowsBackWhereTheyWere)
{
    const std::vector<QString> targets{QStringLiteral("Almacén Central"), QStringLiteral("Sucursal Norte")};
    const std::vector<QString> prefixes{QStringLiteral("CE"), QStringLiteral("FV")};
    struct Case {
        const char* what;
        Navigator* navigator;
    };
    for (const Case& k :
         {Case{"the first prefix", window->DBNavigator4}, Case{"the first target", window->DBNavigator3}}) {
        SCOPED_TRACE(k.what);
        press(window->DBNavigator3, Navigator::Button::First);
        press(k.navigator, Navigator::Button::Delete);
        window->AdvGlowButton4Click();
        EXPECT_EQ(column(window->DBGridEh1, 1), targets);
        press(window->DBNavigator1, Navigator::Button::First);
        EXPECT_EQ(column(window->DBGridEh2, 1), prefixes);
        openEditor();
    }
    EXPECT_TRUE(dialogs.texts(Kind::Message).empty());
}

TEST_F(TargetsEditorTest, ATypedValueIsTakenBeforeAnyButtonActsOnTheRow)
{
    struct Case {
        const char* what;
        std::function<void()> act;
    };
    const std::vector<Case> cases{
        {"insert on the prefixes", [&] { press(window->DBNavigator4, Navigator::Button::Insert); }},
        {"first on the main window's targets", [&] { press(window->DBNavigator1, Navigator::Button::First); }},
        {"Grabar", [&] { window->AdvGlowButton3Click(); }},
    };
    int id = 3;
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        dialogs.clear();
        openEditor();
        press(window->DBNavigator3, Navigator::Button::Insert);
        type(window->DBGridEh3, 0, QString::number(id++));
        type(window->DBGridEh3, 1, QStringLiteral("Bodega"));
        type(window->DBGridEh3, 3, QStringLiteral("BOD"), false);
        k.act();
        EXPECT_EQ(dialogs.events(), std::vector<ScriptedDialogs::Event>{});
        const auto codes = column(window->DBGridEh1, 3);
        EXPECT_EQ(std::count(codes.begin(), codes.end(), QStringLiteral("BOD")), id - 3);
    }
    EXPECT_EQ(stored("select * from replica_conta where rpco_cod = 'BOD'"), 3u);
}

TEST_F(TargetsEditorTest, ANewTargetShowsItsOwnPrefixesNotThoseOfAnother)
{
    ASSERT_EQ(window->DBGridEh4->model()->rowCount(), 2);
    press(window->DBNavigator3, Navigator::Button::Insert);
    EXPECT_EQ(window->DBGridEh4->model()->rowCount(), 0);
    EXPECT_EQ(window->DBGridEh2->model()->rowCount(), 0);
    EXPECT_FALSE(window->DBNavigator4->button(Navigator::Button::Delete)->isEnabled());
    press(window->DBNavigator4, Navigator::Button::Delete);

    type(window->DBGridEh3, 0, QStringLiteral("3"));
    type(window->DBGridEh3, 3, QStringLiteral("BSU"));
    window->AdvGlowButton3Click();
    EXPECT_TRUE(dialogs.events().empty());
    EXPECT_EQ(stored("select * from replica_conta"), 3u);
    EXPECT_EQ(stored("select * from replica_conta_detalle"), 3u) << "no prefix of another target was deleted";
}

TEST_F(TargetsEditorTest, TabGoesRoundTheEditorsOwnControls)
{
    activate();
    const std::vector<QWidget*> cycle{window->DBGridEh3,    window->DBNavigator3,   window->DBGridEh4,
                                      window->DBNavigator4, window->AdvGlowButton3, window->AdvGlowButton4};
    window->AdvGlowButton3->setFocus();
    std::vector<QWidget*> forward;
    for (std::size_t i = 0; i < cycle.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        forward.push_back(focusedAmong(cycle));
    }
    EXPECT_EQ(forward, (std::vector<QWidget*>{cycle[5], cycle[0], cycle[1], cycle[2], cycle[3], cycle[4]}));

    window->DBGridEh3->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    EXPECT_EQ(focusedAmong(cycle), window->AdvGlowButton4) << "Shift+Tab goes round the other way";
}

TEST_F(TargetsEditorTest, LeavingTheGridDropsANewRowNobodyTypedInto)
{
    activate();
    window->DBGridEh3->setFocus();
    QTest::keyClick(window->DBGridEh3, Qt::Key_Insert);
    ASSERT_EQ(c.Creplicac.state(), RowStore::State::Insert);
    ASSERT_EQ(window->DBGridEh3->model()->rowCount(), 3);

    window->DBGridEh4->setFocus();
    EXPECT_EQ(c.Creplicac.state(), RowStore::State::Browse);
    EXPECT_EQ(window->DBGridEh3->model()->rowCount(), 2);
    EXPECT_TRUE(dialogs.events().empty());
}

TEST_F(TargetsEditorTest, EachNavigatorButtonHandsTheFocusToItsGrid)
{
    activate();
    using B = Navigator::Button;
    struct Case {
        Navigator* navigator;
        DataGrid* grid;
        B button;
    };
    for (const Case& k : {Case{window->DBNavigator4, window->DBGridEh4, B::Insert},
                          Case{window->DBNavigator3, window->DBGridEh3, B::Next},
                          Case{window->DBNavigator3, window->DBGridEh3, B::First},
                          Case{window->DBNavigator4, window->DBGridEh4, B::Last},
                          Case{window->DBNavigator3, window->DBGridEh3, B::Insert},
                          Case{window->DBNavigator1, window->DBGridEh1, B::Last}}) {
        SCOPED_TRACE(int(k.button));
        window->AdvGlowButton3->setFocus();
        ASSERT_TRUE(k.navigator->button(k.button)->isEnabled());
        press(k.navigator, k.button);
        EXPECT_EQ(focusedAmong({window->DBGridEh1, window->DBGridEh3, window->DBGridEh4}), k.grid);
        EXPECT_EQ(k.grid->currentIndex().row(), k.grid->rows().store().shownCurrent());
        if (k.button == B::Insert) {
            EXPECT_EQ(k.grid->currentIndex().column(), 0) << "the new row's first cell";
        }
    }

    // What the user types after "+" of the prefixes lands in the new prefix row.
    press(window->DBNavigator3, Navigator::Button::First);
    press(window->DBNavigator4, Navigator::Button::Insert);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("1"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("NC"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    settle();
    const int row = window->DBGridEh4->currentIndex().row();
    EXPECT_EQ(shown(window->DBGridEh4, row, 0), QStringLiteral("1"));
    EXPECT_EQ(shown(window->DBGridEh4, row, 1), QStringLiteral("NC"));
    EXPECT_EQ(column(window->DBGridEh3, 3), (std::vector<QString>{QStringLiteral("ALC"), QStringLiteral("SNO")}));
    EXPECT_TRUE(dialogs.events().empty()) << dialogs.events().front().text;
}

TEST_F(TargetsEditorTest, CellsTakeOnlyWhatTheirColumnHolds)
{
    struct Case {
        DataGrid* grid;
        int column;
        const char* typed;
        const char* kept;
    };
    for (const Case& k : {Case{window->DBGridEh3, 0, "1a2-3", "123"}, Case{window->DBGridEh3, 0, "-7", "-7"},
                          Case{window->DBGridEh3, 3, "ABCD", "ABC"}, Case{window->DBGridEh4, 0, "4 5", "45"},
                          Case{window->DBGridEh4, 1, "PQRST", "PQRS"}}) {
        SCOPED_TRACE(k.typed);
        type(k.grid, k.column, QString::fromUtf8(k.typed));
        EXPECT_EQ(shown(k.grid, k.grid->currentIndex().row(), k.column), QString::fromUtf8(k.kept));
    }
    EXPECT_TRUE(dialogs.events().empty()) << dialogs.events().front().text;
}

TEST_F(TargetsEditorTest, SalirAsksBeforeDiscardingChanges)
{
    window->AdvGlowButton4Click();
    EXPECT_TRUE(dialogs.texts(Kind::Question).empty()) << "nothing to lose, nothing asked";
    EXPECT_FALSE(window->AdvPanel1->isVisible());

    openEditor();
    type(window->DBGridEh3, 1, QStringLiteral("Renombrado"));
    dialogs.answer(false);
    window->AdvGlowButton4Click();
    EXPECT_EQ(dialogs.texts(Kind::Question), std::vector<std::string>{ansi("¿Descartar los cambios?")});
    EXPECT_TRUE(window->AdvPanel1->isVisible());
    EXPECT_EQ(shown(window->DBGridEh1, 0, 1), QStringLiteral("Renombrado"));

    window->AdvGlowButton4Click();  // Yes
    EXPECT_FALSE(window->AdvPanel1->isVisible());
    EXPECT_EQ(shown(window->DBGridEh1, 0, 1), QStringLiteral("Almacén Central"));
}

// The application's font for a scope, as a user with larger letters would have it.
class ScopedFont {
public:
    explicit ScopedFont(int pointSize) : before_(QApplication::font())
    {
        QFont font = before_;
        if (pointSize > 0)
            font.setPointSize(pointSize);
        QApplication::setFont(font);
    }
    ~ScopedFont() { QApplication::setFont(before_); }

private:
    QFont before_;
};

class EditorGeometryTest : public MainWindowTest, public ::testing::WithParamInterface<int> {};

TEST_P(EditorGeometryTest, EveryRowOfTheEditorGridsIsInSight)
{
    const ScopedFont font(GetParam());
    CompanyRows(site.destination()).target(3, "Bodega Sur", "/srv/kalvora", "BSU", {"RC", "NC", "ND"});
    signIn();
    connectTo("DES");
    openEditor();
    window->DBNavigator3->button(Navigator::Button::Last)->click();
    settle();
    struct Pair {
        DataGrid* grid;
        Navigator* navigator;
    };
    for (const Pair& p :
         {Pair{window->DBGridEh3, window->DBNavigator3}, Pair{window->DBGridEh4, window->DBNavigator4}}) {
        ASSERT_EQ(p.grid->model()->rowCount(), 3);
        for (int row = 0; row < 3; ++row)
            EXPECT_TRUE(p.grid->viewport()->rect().contains(p.grid->visualRect(p.grid->model()->index(row, 0))))
                << "row " << row << " of " << p.grid->objectName().toStdString();
        EXPECT_FALSE(p.grid->geometry().intersects(p.navigator->geometry()));
        EXPECT_TRUE(window->AdvPanel1->rect().contains(p.navigator->geometry()));
    }
    EXPECT_LE(window->AdvPanel1->geometry().bottom(), window->Panel2->geometry().top())
        << "it ends above the bottom bar";
    EXPECT_TRUE(dialogs.events().empty());
}

INSTANTIATE_TEST_SUITE_P(Fonts, EditorGeometryTest, ::testing::Values(0, 12));

}  // namespace
}  // namespace kalvora::test
