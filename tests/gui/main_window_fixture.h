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

    std::vector<std::string> messages() const { return dialogs.texts(ScriptedDialogs::Kind::Message); }

    WindowSite site;
    ScriptedDialogs dialogs;
    Componentes c;
    std::unique_ptr<Tfprincipalconta> window;
};

// Runs the events already posted: deferred deletes, queued slots.
void settle();

}  // namespace kalvora::test
