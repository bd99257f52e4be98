#include "main_window_fixture.h"

#include "base/text.h"
#include "credentials/scrambler.h"
#include "ctrlaccesoconta/sign_in.h"
#include "ctrlaccesoconta/windows/tfacceso.h"
#include "data/ddl.h"
#include "data/locations.h"
#include "principalconta/windows/lookup_combo_box.h"
#include "support/server.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <filesystem>

namespace kalvora::test {
namespace {

class SignInDialogTest : public ::testing::Test {
protected:
    WindowSite site;
    ScriptedDialogs dialogs;
    Componentes c;
    Tfacceso dialog{c, dialogs, nullptr};

    SignInDialogTest()
    {
        dialog.setAttribute(Qt::WA_DeleteOnClose, false);
        dialog.show();
    }
};

TEST_F(SignInDialogTest, ListsTheServersAndMovesOnWithEnterWithoutSigningIn)
{
    ASSERT_EQ(dialog.ServidorDes->count(), 2);
    EXPECT_EQ(dialog.ServidorDes->currentText(), QString::fromStdString(site.root()));
    EXPECT_TRUE(dialog.ServidorDes->isEditable());
    EXPECT_EQ(dialog.TClavedes->echoMode(), QLineEdit::Password);
    EXPECT_FALSE(dialog.Panel2->isVisible());

    dialog.TUsuades->setText(QStringLiteral("contador"));
    dialog.ServidorDes->setFocus();
    QTest::keyClick(dialog.ServidorDes, Qt::Key_Return);
    EXPECT_EQ(dialog.focusWidget(), dialog.TUsuades);
    QTest::keyClick(dialog.TUsuades, Qt::Key_Return);
    EXPECT_EQ(dialog.focusWidget(), dialog.TClavedes);
    QTest::keyClick(dialog.TClavedes, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(dialog.focusWidget(), dialog.ServidorDes) << "from the password box back to the server box";

    EXPECT_FALSE(c.DbGeneraldes.connected());
    EXPECT_TRUE(c.usuario_sesion.empty());
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(SignInDialogTest, F2AndEscActOnlyWithoutShiftCtrlOrAlt)
{
    QSignalSpy finished(&dialog, &QDialog::finished);
    dialog.TUsuades->setText(QStringLiteral("contador"));
    for (const auto held : {Qt::ShiftModifier, Qt::ControlModifier, Qt::AltModifier}) {
        QTest::keyClick(dialog.TUsuades, Qt::Key_F2, held);
        QTest::keyClick(dialog.TClavedes, Qt::Key_Escape, held);
    }
    EXPECT_FALSE(c.DbGeneraldes.connected());
    EXPECT_EQ(finished.count(), 0);
    EXPECT_TRUE(dialog.isVisible());

    QTest::keyClick(dialog.TClavedes, Qt::Key_F2);
    EXPECT_TRUE(c.DbGeneraldes.connected());
    ASSERT_EQ(finished.count(), 1);
    EXPECT_EQ(finished.at(0).at(0).toInt(), int(QDialog::Accepted));
    EXPECT_TRUE(dialogs.events().empty());
}

TEST_F(SignInDialogTest, EscEndsTheDialogWithoutASession)
{
    QSignalSpy finished(&dialog, &QDialog::finished);
    QTest::keyClick(dialog.TUsuades, Qt::Key_Escape);
    ASSERT_EQ(finished.count(), 1);
    EXPECT_EQ(finished.at(0).at(0).toInt(), int(QDialog::Rejected));
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_TRUE(c.servidor_sesion.empty());
    EXPECT_TRUE(dialogs.events().empty());
}

TEST_F(SignInDialogTest, EscClosesAnOpenServerListOnly)
{
    QSignalSpy finished(&dialog, &QDialog::finished);
    dialog.ServidorDes->showPopup();
    ASSERT_TRUE(dialog.ServidorDes->view()->isVisible());
    QTest::keyClick(dialog.ServidorDes->view(), Qt::Key_Escape);
    EXPECT_FALSE(dialog.ServidorDes->view()->isVisible());
    EXPECT_EQ(finished.count(), 0);
    EXPECT_TRUE(dialog.isVisible());

    QTest::keyClick(dialog.TUsuades, Qt::Key_Escape);
    EXPECT_EQ(finished.count(), 1) << "with the list closed, ESC still ends the dialog";
}

TEST_F(SignInDialogTest, AQuoteInTheUserNameReachesTheUserQueryAsText)
{
    CompanyRows(site.general()).insert("USUARIO", {{"USUA_COD", "O'BRIEN"}, {"USUA_NOMBRE", "Pat O'Brien"}});
    dialog.TUsuades->setText(QStringLiteral("o'brien"));
    dialog.SpeedButton1Click();
    EXPECT_TRUE(dialogs.events().empty()) << dialogs.events().front().text;
    EXPECT_EQ(c.usuario_sesion, "O'BRIEN");
}

TEST_F(MainWindowTest, ASignInFillsTheSessionAndListsTheServersCompanies)
{
    open();
    signIn(QStringLiteral("contador"));
    ASSERT_TRUE(dialogs.events().empty()) << dialogs.events().front().text;

    EXPECT_EQ(c.usuario_sesion, "CONTADOR");
    EXPECT_EQ(c.clave_sesion, encriptar("clave"));
    EXPECT_EQ(c.servidor_sesion, site.root());
    EXPECT_EQ(c.DbGeneraldes.params().get("User_Name"), "contador") << "the general database gets it as typed";
    EXPECT_EQ(window->acceso(), nullptr) << "the dialog is destroyed when it closes";
    EXPECT_EQ(window->SerDes1->text(), QString::fromStdString(site.root()));
    EXPECT_TRUE(window->SerDes1->isReadOnly());

    ASSERT_EQ(window->LCiaDes->count(), 3);
    window->LCiaDes->setKeyValue("SEG");
    EXPECT_EQ(window->LCiaDes->currentText(), QStringLiteral("Segunda Compañía Ltda."));
    EXPECT_EQ(window->LCiaDes->keyValue(), "SEG");
    window->LCiaDes->setCurrentIndex(0);
    EXPECT_EQ(window->LCiaDes->keyValue(), "DES");

    // Only a to z change; ñ and accented letters stay as typed.
    EXPECT_EQ(upperCaseAscii(ansi("peña José-7")), ansi("PEñA JOSé-7"));
}

// Refused credentials are only refused by a real server.
class ServerSignInTest : public ::testing::Test {
protected:
    ServerUser user{"kalvora_acceso", "Correcta1"};
    ServerDir dir;
    TempDir installation;
    TransmissionSite registry{installation.path(), TransmissionSite::Databases::Existing};
    std::string entry = serverLocation(dir.path());
    ScriptedDialogs dialogs;
    Componentes c;

    void SetUp() override
    {
        std::filesystem::create_directories(dir.path() + "/datos");
        shareWithServer(dir.path() + "/datos");
        auto statements = ddl::generalDatabase();
        statements.push_back("GRANT SELECT ON USUARIO TO PUBLIC");
        createServerDatabase(dir.path() + "/datos/general.fdb", statements);
    }
};

TEST_F(ServerSignInTest, AWrongPasswordKeepsTheDialogOpenForASecondAttempt)
{
    Tfacceso dialog(c, dialogs, nullptr);
    dialog.setAttribute(Qt::WA_DeleteOnClose, false);
    dialog.show();
    QSignalSpy finished(&dialog, &QDialog::finished);
    dialog.ServidorDes->setEditText(QString::fromStdString(entry));
    dialog.TUsuades->setText(QString::fromStdString(user.name()).toLower());
    dialog.TClavedes->setText(QStringLiteral("Incorrecta"));

    QTest::keyClick(dialog.TClavedes, Qt::Key_F2);
    EXPECT_EQ(dialogs.texts(ScriptedDialogs::Kind::Message),
              std::vector<std::string>{"El nombre de Usuario o la clave son incorrectas."});
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(finished.count(), 0);
    EXPECT_TRUE(c.servidor_sesion.empty());
    EXPECT_EQ(dialog.TUsuades->text(), QString::fromStdString(user.name()).toLower()) << "boxes stay as typed";

    dialogs.clear();
    dialog.TClavedes->setText(QString::fromStdString(user.password()));
    QTest::keyClick(dialog.TClavedes, Qt::Key_F2);
    EXPECT_TRUE(dialogs.events().empty()) << dialogs.events().front().text;
    ASSERT_EQ(finished.count(), 1);
    EXPECT_EQ(finished.at(0).at(0).toInt(), int(QDialog::Accepted));
    EXPECT_EQ(c.usuario_sesion, user.name());
    EXPECT_EQ(c.servidor_sesion, entry);
    EXPECT_EQ(desencriptar(c.clave_sesion), user.password());
    EXPECT_FALSE(dialog.Panel2->isVisible());
}

}  // namespace
}  // namespace kalvora::test
