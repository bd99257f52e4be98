#pragma once
// A main window over a fresh WindowSite, its boxes recorded instead of shown.
#include "principalconta/componentes.h"
#include "principalconta/windows/tfprincipalconta.h"
#include "ui/scripted_dialogs.h"
#include "window_site.h"

#include <QString>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace kalvora::test {

class MainWindowTest : public ::testing::Test {
protected:
    // Created and shown, as the program does at start.
    Tfprincipalconta& open(std::vector<std::string> arguments = {});
    // The first activation's sign-in, with the embedded engine (any password passes).
    void signIn(const QString& user = QStringLiteral("contador"));
    // The company chosen in LCiaDes, then "Conectar".
    void connectTo(const std::string& code);
    void openEditor();
    // The window active, as on a desktop, so that keys reach its focus.
    void activate();

    std::vector<std::string> messages() const { return dialogs.texts(ScriptedDialogs::Kind::Message); }

    WindowSite site;
    ScriptedDialogs dialogs;
    Componentes c;
    std::unique_ptr<Tfprincipalconta> window;
};

// Runs the events already posted: deferred deletes, queued slots.
void settle();

// The one of controls that has the focus or holds it (a cell editor inside its grid, the
// line inside a date editor); the focus widget itself when none does.
QWidget* focusedAmong(const std::vector<QWidget*>& controls);

}  // namespace kalvora::test
