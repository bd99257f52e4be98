#include "base/errors.h"
#include "base/text.h"
#include "ctrlaccesoconta/error_messages.h"
#include "ui/scripted_dialogs.h"

#include <gtest/gtest.h>

namespace kalvora {
namespace {

using Kind = ScriptedDialogs::Kind;

TEST(ErrorMessages, EachRowInOrder)
{
    EXPECT_EQ(mensaje_error("Your user name and password are not defined. Ask your database administrator"),
              "El nombre de Usuario o la clave son incorrectas.");
    EXPECT_EQ(mensaje_error("I/O error for file \"C:\\Datos\\GENERAL.FDB\"\nError while trying to open file"),
              ansi("No se encontró el archivo o la ruta C:\\Datos\\GENERAL.FDB"));
    EXPECT_EQ(mensaje_error("Unable to complete network request to host \"servidor2\".\nFailed to locate host"),
              ansi("No se encontró el equipo servidor con nombre servidor2"));
    EXPECT_EQ(mensaje_error("arithmetic exception"), "Se presento el siguiente error: arithmetic exception");
    // The first row that matches decides.
    EXPECT_EQ(mensaje_error("Unable to complete network request to host \"a\" I/O error for file \"b\""),
              ansi("No se encontró el archivo o la ruta a"));
    EXPECT_EQ(mensaje_error("\"x\" Your user name and password are not defined"),
              "El nombre de Usuario o la clave son incorrectas.");
}

TEST(ErrorMessages, OlderWordingTakesTheFirstQuoteOfTheMessage)
{
    EXPECT_EQ(mensaje_error("\"open\" failed: I/O error for file \"/srv/a.fdb\""),
              ansi("No se encontró el archivo o la ruta open"));
    EXPECT_EQ(mensaje_error("I/O error for file /srv/a.fdb"), ansi("No se encontró el archivo o la ruta "));
    EXPECT_EQ(mensaje_error("Unable to complete network request to host \"srv"),
              ansi("No se encontró el equipo servidor con nombre "));
}

TEST(ErrorMessages, CurrentWordingTakesTheNameAfterForFile)
{
    EXPECT_EQ(mensaje_error("I/O error during \"open\" operation for file \"/srv/x/datos/general.fdb\"\n"
                            "Error while trying to open file\nNo such file or directory"),
              ansi("No se encontró el archivo o la ruta /srv/x/datos/general.fdb"));
    EXPECT_EQ(mensaje_error("I/O error during \"CreateFile (open)\" operation for file \"C:\\D\\G.FDB\"\n"
                            "Unable to complete network request to host \"srv\""),
              ansi("No se encontró el archivo o la ruta C:\\D\\G.FDB"));
    EXPECT_EQ(mensaje_error("I/O error during \"open\" operation for file"),
              ansi("No se encontró el archivo o la ruta "));
}

TEST(ErrorMessages, LetterCaseMatters)
{
    for (const std::string m : {"your user name and password are not defined", "i/o error for file \"a\"",
                                "unable to complete network request to host \"a\""})
        EXPECT_EQ(mensaje_error(m), "Se presento el siguiente error: " + m);
}

TEST(ErrorMessages, ENoManejadaShowsOnePlainMessage)
{
    ScriptedDialogs dialogs;
    ENoManejada(dialogs, "Unable to complete network request to host \"srv\"");
    EXPECT_EQ(dialogs.events(), (std::vector<ScriptedDialogs::Event>{
                                    {Kind::Message, ansi("No se encontró el equipo servidor con nombre srv")}}));
}

TEST(Guard, ReportsHowTheActionEnded)
{
    ScriptedDialogs dialogs;
    bool ran = false;
    EXPECT_TRUE(runGuarded(dialogs, [&] { ran = true; }));
    EXPECT_TRUE(ran);
    EXPECT_FALSE(runGuarded(dialogs, [] { throw SilentAbort(); }));
    EXPECT_TRUE(dialogs.events().empty());

    EXPECT_FALSE(runGuarded(dialogs, [] { throw DatabaseError("Your user name and password are not defined"); }));
    EXPECT_FALSE(runGuarded(dialogs, [] { throw std::out_of_range("fuera"); }));
    EXPECT_FALSE(runGuarded(dialogs, [] { throw 42; }));
    EXPECT_EQ(dialogs.texts(Kind::Message),
              (std::vector<std::string>{"El nombre de Usuario o la clave son incorrectas.",
                                        "Se presento el siguiente error: fuera",
                                        "Se presento el siguiente error: Error desconocido"}));
    EXPECT_EQ(dialogs.events().size(), 3u);
}

}  // namespace
}  // namespace kalvora
