// The installation directory and the regional formats as the program reads them: from the
// real registry on Windows (a key of the test's own standing in for HKEY_LOCAL_MACHINE and
// HKEY_CURRENT_USER), from the registry file elsewhere.
#include "base/errors.h"
#include "base/text.h"
#include "settings/installation.h"
#include "settings/regional_formats.h"
#include "settings/servers.h"
#include "settings/unencrypted_wire.h"
#include "support/environment.h"
#include "support/scoped_registry.h"
#include "support/temp_dir.h"
#include "ui/scripted_dialogs.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

namespace kalvora {
namespace {

using Kind = ScriptedDialogs::Kind;
using test::ScopedRegistry;

const std::string kInstallPath = "\\Software\\Quenti\\Kalvora2015";
const std::string kMissingKey =
    ansi("No se encontró la Clave HKEY_LOCAL_MACHINE\\Software\\Quenti\\Kalvora2015\\Directorio");

void setDirectorio(ScopedRegistry& registry, const RegistryValue& value, RegistryView view = RegistryView::Bits64)
{
    registry.set(RegistryRoot::LocalMachine, kInstallPath, "Directorio", value, view);
}

TEST(Installation, AKeyThatDoesNotOpenTellsTheUserEachTime)
{
    ScopedRegistry registry;
    ScriptedDialogs dialogs;
    EXPECT_EQ(diraplicacion(dialogs), "");
    // A value in the parent key is not the installation key.
    registry.setText(RegistryRoot::LocalMachine, "\\Software\\Quenti", "Directorio", "/srv");
    EXPECT_EQ(diraplicacion(dialogs), "");
    EXPECT_EQ(dialogs.texts(Kind::Message), std::vector<std::string>(2, kMissingKey));
    EXPECT_EQ(dialogs.events().size(), 2u);
}

TEST(Installation, AMissingOrEmptyValueGivesNothingQuietly)
{
    ScopedRegistry registry;
    ScriptedDialogs dialogs;
    registry.setText(RegistryRoot::LocalMachine, kInstallPath, "Otro", "x");
    EXPECT_EQ(diraplicacion(dialogs), "");
    setDirectorio(registry, {RegistryType::Text, ""});
    EXPECT_EQ(diraplicacion(dialogs), "");
    EXPECT_TRUE(dialogs.events().empty());
}

TEST(Installation, AValueThatIsNotTextIsAnError)
{
    const std::vector<RegistryValue> wrong{{RegistryType::DWord, std::string("\x0A\0\0\0", 4)},
                                           {RegistryType::Binary, std::string("A\0", 2)},
                                           {RegistryType::MultiText, std::string("A\0", 2)},
                                           {RegistryType::QWord, std::string(8, '\1')}};
    for (const auto& value : wrong) {
        SCOPED_TRACE(int(value.type));
        ScopedRegistry registry;
        setDirectorio(registry, value);
        ScriptedDialogs dialogs;
        try {
            diraplicacion(dialogs);
            ADD_FAILURE() << "no error";
        } catch (const Error& e) {
            EXPECT_STREQ(e.what(), "Invalid data type for 'Directorio'");
        }
        EXPECT_TRUE(dialogs.events().empty());
    }
}

TEST(Installation, TextAndExpandableTextAreUsedAsWrittenUpToTheFirstNul)
{
    struct Case {
        RegistryValue value;
        std::string directory;
    };
    const std::vector<Case> cases{
        {{RegistryType::Text, "C:\\Kalvora \"2015\""}, "C:\\Kalvora \"2015\""},
        {{RegistryType::ExpandableText, "%SystemRoot%\\Kalvora"}, "%SystemRoot%\\Kalvora"},
        {{RegistryType::Text, std::string("C:\\b\0c", 6)}, "C:\\b"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.directory);
        ScopedRegistry registry;
        setDirectorio(registry, c.value);
        ScriptedDialogs dialogs;
        EXPECT_EQ(diraplicacion(dialogs), c.directory);
        EXPECT_TRUE(dialogs.events().empty());
    }
}

// The directory comes back as the file functions take it: in the ANSI code page on Windows
// (Windows-1252 on a Spanish or English Windows), in UTF-8 elsewhere.
TEST(Installation, AnAccentedDirectoryLeadsToItsServerList)
{
    test::TempDir dir;
    const std::filesystem::path folder = std::filesystem::path(dir.path()) / std::filesystem::path(u8"Compañía Año");
    std::filesystem::create_directory(folder);
    std::ofstream(folder / "SERVIDORES.cfg", std::ios::binary) << "srv1:/k\r\n";
    const std::u8string u8 = folder.u8string();
    const std::string utf8(u8.begin(), u8.end());

    ScopedRegistry registry;
    setDirectorio(registry, {RegistryType::Text, utf8});
    ScriptedDialogs dialogs;
    const std::string directory = diraplicacion(dialogs);
#ifdef _WIN32
    EXPECT_EQ(directory, ansi(utf8));
#else
    EXPECT_EQ(directory, utf8);
#endif
    EXPECT_EQ(readServerList(directory), std::vector<std::string>{"srv1:/k"});
}

// A 32-bit installer on 64-bit Windows writes below Software\WOW6432Node.
TEST(Installation, TheSixtyFourBitViewComesFirstThenTheThirtyTwoBitOne)
{
    struct Case {
        const char* what;
        std::optional<std::string> in64;  // nullopt: no key; "": the key without the value
        std::optional<std::string> in32;
        std::string directory;
    };
    const std::vector<Case> cases{
        {"64-bit only", "C:\\K64", std::nullopt, "C:\\K64"},
        {"32-bit only", std::nullopt, "C:\\K32", "C:\\K32"},
        {"both", "C:\\K64", "C:\\K32", "C:\\K64"},
        {"64-bit key without the value", "", "C:\\K32", "C:\\K32"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScopedRegistry registry;
        const auto put = [&](const std::optional<std::string>& text, RegistryView view) {
            if (!text)
                return;
            if (text->empty())
                registry.set(RegistryRoot::LocalMachine, kInstallPath, "Otro", {RegistryType::Text, "x"}, view);
            else
                setDirectorio(registry, {RegistryType::Text, *text}, view);
        };
        put(c.in64, RegistryView::Bits64);
        put(c.in32, RegistryView::Bits32);
        ScriptedDialogs dialogs;
        EXPECT_EQ(diraplicacion(dialogs), c.directory);
        EXPECT_TRUE(dialogs.events().empty());
    }
}

TEST(RegionalFormats, TheUsersPicturesAndDesignatorsWriteTheTimes)
{
    ScopedRegistry registry;
    registry.setRegional("sShortDate", "dd/MM/yyyy");
    registry.setRegional("sTimeFormat", "hh:mm:ss tt");
    registry.setRegional("s1159", "a.m.");
    registry.setRegional("s2359", "p.m.");
    const RegionalFormats formats = regionalFormats();
    EXPECT_EQ(formats.shortDate, "dd/MM/yyyy");
    EXPECT_EQ(formats.longTime, "hh:mm:ss tt");
    EXPECT_EQ(formats.date({2026, 3, 4}), "04/03/2026");
    EXPECT_EQ(formats.time({14, 5, 9, 0}), "02:05:09 p.m.");
    EXPECT_EQ(formats.time({0, 5, 9, 0}), "12:05:09 a.m.");
}

#ifndef _WIN32
// The file is kept once it has stood still, yet a change to it, of the same size, within the
// clock's tick or long after, is read at once.
TEST(RegistryFile, AChangeOfTheSameSizeIsReadAtOnce)
{
    ScopedRegistry registry;
    registry.setRegional("sShortDate", "dd/MM/yyyy");
    EXPECT_EQ(regionalFormats().shortDate, "dd/MM/yyyy");
    registry.setRegional("sShortDate", "MM/dd/yyyy");
    EXPECT_EQ(regionalFormats().shortDate, "MM/dd/yyyy");
    std::this_thread::sleep_for(std::chrono::milliseconds(2100));
    EXPECT_EQ(regionalFormats().shortDate, "MM/dd/yyyy");
    registry.setRegional("sShortDate", "yyyy/MM/dd");
    EXPECT_EQ(regionalFormats().shortDate, "yyyy/MM/dd");
}

// The example that installations get as /etc/kalvora/kalvora.reg says what it documents.
TEST(RegistryFile, TheInstalledExampleIsRead)
{
    test::ScopedEnvironmentVariable file("KALVORA_REGISTRY", std::string(KALVORA_EXAMPLE_REGISTRY));
    ScriptedDialogs dialogs;
    EXPECT_EQ(diraplicacion(dialogs), "/srv/kalvora");
    EXPECT_TRUE(dialogs.events().empty());
    const RegionalFormats formats = regionalFormats();
    EXPECT_EQ(formats.shortDate, "dd/MM/yyyy");
    EXPECT_EQ(formats.longTime, "HH:mm:ss");
}
#endif

// Off Windows the registry file may hold the older name of the time picture, or nothing.
TEST(RegionalFormats, TheFileFallsBackToSLongTimeAndToDefaults)
{
#ifdef _WIN32
    GTEST_SKIP() << "Windows gives every setting";
#endif
    const std::string key = "\\Control Panel\\International";
    {
        ScopedRegistry registry;
        const RegionalFormats formats = regionalFormats();
        EXPECT_EQ(formats.shortDate, "yyyy/MM/dd");
        EXPECT_EQ(formats.longTime, "HH:mm:ss");
        EXPECT_EQ(formats.designators.am, "a. m.");
        EXPECT_EQ(formats.designators.pm, "p. m.");
    }
    {
        ScopedRegistry registry;
        registry.setText(RegistryRoot::CurrentUser, key, "sLongTime", "H:mm");
        EXPECT_EQ(regionalFormats().longTime, "H:mm");
        registry.setText(RegistryRoot::CurrentUser, key, "sTimeFormat", "h:mm tt");
        EXPECT_EQ(regionalFormats().longTime, "h:mm tt");
    }
    {
        ScopedRegistry registry;
        registry.set(RegistryRoot::CurrentUser, key, "sShortDate", {RegistryType::DWord, std::string(4, '\0')});
        registry.setText(RegistryRoot::CurrentUser, key, "sTimeFormat", "");
        registry.setText(RegistryRoot::CurrentUser, key, "s1159", "");
        const RegionalFormats formats = regionalFormats();
        EXPECT_EQ(formats.shortDate, "yyyy/MM/dd");
        EXPECT_EQ(formats.longTime, "HH:mm:ss");
        EXPECT_EQ(formats.designators.am, "") << "an empty designator is the user's choice";
    }
}

// Only a DWORD of 1 in the program's own key, in either view, lets the wire go unencrypted.
TEST(UnencryptedWire, OnlyADwordOfOneInTheProgramsOwnKeyAllowsIt)
{
    const std::string one("\1\0\0\0", 4);
    struct Case {
        std::string path;
        RegistryValue value;
        RegistryView view;
        bool allowed;
    };
    const std::vector<Case> cases{
        {"\\Software\\Kalvora\\Envio", {RegistryType::DWord, one}, RegistryView::Bits64, true},
        {"\\Software\\Kalvora\\Envio", {RegistryType::DWord, one}, RegistryView::Bits32, true},
        {"\\Software\\Kalvora\\Envio", {RegistryType::DWord, std::string(4, '\0')}, RegistryView::Bits64, false},
        {"\\Software\\Kalvora\\Envio", {RegistryType::Text, "1"}, RegistryView::Bits64, false},
        {kInstallPath, {RegistryType::DWord, one}, RegistryView::Bits64, false},
    };
    {
        ScopedRegistry registry;
        EXPECT_FALSE(unencryptedWireAllowed());
    }
    for (const Case& k : cases) {
        SCOPED_TRACE(k.path + (k.view == RegistryView::Bits32 ? " (32)" : ""));
        ScopedRegistry registry;
        registry.set(RegistryRoot::LocalMachine, k.path, "ConexionSinCifrar", k.value, k.view);
        EXPECT_EQ(unencryptedWireAllowed(), k.allowed);
    }
}

}  // namespace
}  // namespace kalvora
