#include "main_window_fixture.h"

#include "ctrlaccesoconta/windows/tfacceso.h"
#include "principalconta/windows/lookup_combo_box.h"

#include <QApplication>
#include <QLineEdit>

namespace kalvora::test {

void settle()
{
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

Tfprincipalconta& MainWindowTest::open(std::vector<std::string> arguments)
{
    window = std::make_unique<Tfprincipalconta>(c, dialogs, std::move(arguments));
    window->show();
    return *window;
}

void MainWindowTest::signIn(const QString& user)
{
    if (!window)
        open();
    window->FormActivate();
    Tfacceso* dialog = window->acceso();
    ASSERT_NE(dialog, nullptr);
    dialog->TUsuades->setText(user);
    dialog->TClavedes->setText(QStringLiteral("clave"));
    dialog->SpeedButton1Click();
    settle();
}

void MainWindowTest::connectTo(const std::string& code)
{
    window->LCiaDes->setKeyValue(code);
    window->AdvGlowButton2Click();
}

void MainWindowTest::openEditor() { window->AdvGlowButton1Click(); }

void MainWindowTest::activate()
{
    window->activateWindow();
    QApplication::setActiveWindow(window.get());
}

QWidget* focusedAmong(const std::vector<QWidget*>& controls)
{
    QWidget* focus = QApplication::focusWidget();
    for (QWidget* control : controls)
        if (control->isAncestorOf(focus))
            return control;
    return focus;
}

}  // namespace kalvora::test
