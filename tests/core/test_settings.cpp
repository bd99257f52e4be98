#include "settings/clock.h"
#include "settings/installation.h"
#include "settings/picture.h"
#include "settings/regional_formats.h"
#include "settings/registry.h"
#include "settings/servers.h"
#include "ui/errors.h"
#include "ui/scripted_dialogs.h"
#include "ui/text.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace kalvora {
namespace {

using Kind = ScriptedDialogs::Kind;

const std::string kHeader = "Windows Registry Editor Version 5.00\r\n\r\n";
const std::string kInstallKey = "[HKEY_LOCAL_MACHINE\\Software\\Quenti\\Kalvora2015]\r\n";
const std::string kMissingKey = ansi("No se encontró la Clave HKEY_LOCAL_MACHINE\\Software\\Quenti\\Kalvora2015\\Directorio");

// A scratch folder whose registry file stands in for the registry while the test runs.
class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "kalvora-settings-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        if (const char* old = std::getenv("KALVORA_REGISTRY"))
            oldRegistry_ = old;
        setenv("KALVORA_REGISTRY", file("kalvora.reg").c_str(), 1);
    }

    void TearDown() override
    {
        if (oldRegistry_)
            setenv("KALVORA_REGISTRY", oldRegistry_->c_str(), 1);
        else
            unsetenv("KALVORA_REGISTRY");
        std::filesystem::remove_all(dir_);
    }

    std::string file(const std::string& name) const { return (dir_ / name).string(); }

    void write(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(file(name), std::ios::binary) << bytes;
    }

    void writeRegistry(const std::string& bytes) const { write("kalvora.reg", bytes); }

    std::filesystem::path dir_;
    std::optional<std::string> oldRegistry_;
};

TEST_F(SettingsTest, KeyThatDoesNotOpenTellsTheUser)
{
    ScriptedDialogs dialogs;
    EXPECT_EQ(diraplicacion(dialogs), "");  // no registry file
    writeRegistry(kHeader + "[HKEY_LOCAL_MACHINE\\Software\\Quenti]\r\n\"Directorio\"=\"/srv\"\r\n");
    EXPECT_EQ(diraplicacion(dialogs), "");
    // Without the 5.00 header the file is not read.
    writeRegistry("REGEDIT4\r\n\r\n" + kInstallKey + "\"Directorio\"=\"/srv\"\r\n");
    EXPECT_EQ(diraplicacion(dialogs), "");
    EXPECT_EQ(dialogs.texts(Kind::Message), std::vector<std::string>(3, kMissingKey));
    EXPECT_EQ(dialogs.events().size(), 3u);
}

TEST_F(SettingsTest, MissingOrEmptyValueGivesNothingQuietly)
{
    ScriptedDialogs dialogs;
    writeRegistry(kHeader + kInstallKey + "\"Otro\"=\"x\"\r\n");
    EXPECT_EQ(diraplicacion(dialogs), "");
    writeRegistry(kHeader + kInstallKey + "\"Directorio\"=\"\"\r\n");
    EXPECT_EQ(diraplicacion(dialogs), "");
    EXPECT_TRUE(dialogs.events().empty());
}

TEST_F(SettingsTest, ValueThatIsNotTextIsAnError)
{
    ScriptedDialogs dialogs;
    for (const std::string data : {"dword:0000000a", "hex:41,00", "hex(7):41,00,00,00"}) {
        writeRegistry(kHeader + kInstallKey + "\"Directorio\"=" + data + "\r\n");
        try {
            diraplicacion(dialogs);
            ADD_FAILURE() << data;
        } catch (const Error& e) {
            EXPECT_STREQ(e.what(), "Invalid data type for 'Directorio'");
        }
    }
}

TEST_F(SettingsTest, ReadsTextInEveryForm)
{
    ScriptedDialogs dialogs;
    writeRegistry(kHeader + kInstallKey + "\"Directorio\"=\"C:\\\\Kalvora \\\"2015\\\"\"\r\n");
    EXPECT_EQ(diraplicacion(dialogs), "C:\\Kalvora \"2015\"");
    // Expandable text, wrapped over lines as regedit writes it, is not expanded.
    writeRegistry(kHeader + kInstallKey + "\"Directorio\"=hex(2):25,00,41,00,25,00,\\\r\n  2f,00,6b,00,00,00\r\n");
    EXPECT_EQ(diraplicacion(dialogs), "%A%/k");
    // Key and value names match regardless of case; LF line ends do too.
    writeRegistry("Windows Registry Editor Version 5.00\n[hkey_local_machine\\SOFTWARE\\quenti\\KALVORA2015]\n"
                  "\"DIRECTORIO\"=\"/srv/k\"\n");
    EXPECT_EQ(diraplicacion(dialogs), "/srv/k");
    // The text ends at the first NUL, in hex and in a quoted string alike.
    writeRegistry(kHeader + kInstallKey + "\"Directorio\"=hex(1):2f,00,61,00,00,00,62,00,00,00\r\n");
    EXPECT_EQ(diraplicacion(dialogs), "/a");
    writeRegistry(kHeader + kInstallKey + "\"Directorio\"=\"/b" + std::string(1, '\0') + "c\"\r\n");
    EXPECT_EQ(diraplicacion(dialogs), "/b");
    EXPECT_TRUE(dialogs.events().empty());
}

TEST_F(SettingsTest, ReadsTheUtf16FileRegeditWrites)
{
    const std::u16string text = u"Windows Registry Editor Version 5.00\r\n\r\n"
                                u"[HKEY_LOCAL_MACHINE\\Software\\Quenti\\Kalvora2015]\r\n"
                                u"\"Directorio\"=\"/srv/Año\"\r\n";
    std::string bytes = "\xFF\xFE";
    for (char16_t c : text) {
        bytes += char(c & 0xFF);
        bytes += char(c >> 8);
    }
    writeRegistry(bytes);
    ScriptedDialogs dialogs;
    EXPECT_EQ(diraplicacion(dialogs), "/srv/A\xC3\xB1o");
}

TEST_F(SettingsTest, MalformedLinesAreSkipped)
{
    writeRegistry(kHeader + "\"Directorio\"=\"/antes de la clave\"\r\n" + kInstallKey +
                  "basura sin comillas\r\n"
                  "\"Sin cierre=\"x\"\r\n"
                  "\"A\"=\"sin cierre\r\n"
                  "\"B\"=dword:zz\r\n"
                  "\"C\"=dword:123456789\r\n"
                  "\"D\"=hex:4g,00\r\n"
                  "\"E\"=hex(:00\r\n"
                  "\"F\"\r\n"
                  "\"G\"=\"x\" sobra\r\n"
                  "; \"H\"=\"comentario\"\r\n"
                  "\"I\"=dword:0000000A\r\n"
                  "@=\"por defecto\"\r\n"
                  "[HKEY_LOCAL_MACHINE\\Otra\r\n"
                  "\"J\"=\"tras una clave rota\"\r\n");
    const auto key = RegistryKey::open(RegistryRoot::LocalMachine, "\\Software\\Quenti\\Kalvora2015");
    ASSERT_TRUE(key);
    for (const char* name : {"Directorio", "Sin cierre", "A", "B", "C", "D", "E", "F", "G", "H", "J"})
        EXPECT_FALSE(key->value(name)) << name;
    EXPECT_EQ(key->value("I")->data, std::string("\x0A\0\0\0", 4));
    EXPECT_EQ(key->value("")->text(), "por defecto");
}

TEST_F(SettingsTest, LaterLinesReplaceAndDeleteValues)
{
    writeRegistry(kHeader + kInstallKey + "\"Directorio\"=\"/uno\"\r\n\"Borrado\"=\"x\"\r\n" +
                  "[-HKEY_LOCAL_MACHINE\\Software\\Quenti\\Kalvora2015]\r\n\"Directorio\"=\"/fuera\"\r\n" +
                  "\"Fuera\"=\"x\"\r\n" + kInstallKey + "\"directorio\"=\"/dos\"\r\n\"Borrado\"=-\r\n");
    const auto key = RegistryKey::open(RegistryRoot::LocalMachine, "Software\\Quenti\\Kalvora2015");
    ASSERT_TRUE(key);
    EXPECT_EQ(key->value("Directorio")->text(), "/dos");
    EXPECT_FALSE(key->value("Borrado"));
    EXPECT_FALSE(key->value("Fuera"));
}

TEST_F(SettingsTest, RegionalFormatsComeFromTheUserKeyOrDefaults)
{
    EXPECT_EQ(regionalFormats().shortDate, "yyyy/MM/dd");
    writeRegistry(kHeader + "[HKEY_CURRENT_USER\\Control Panel\\International]\r\n"
                            "\"sShortDate\"=\"dd/MM/yyyy\"\r\n\"sLongTime\"=dword:00000001\r\n");
    const RegionalFormats formats = regionalFormats();
    EXPECT_EQ(formats.shortDate, "dd/MM/yyyy");
    EXPECT_EQ(formats.longTime, "HH:mm:ss");
    writeRegistry(kHeader + "[HKEY_CURRENT_USER\\Control Panel\\International]\r\n\"sLongTime\"=\"\"\r\n");
    EXPECT_EQ(regionalFormats().longTime, "HH:mm:ss");
}

// The example that installations get as /etc/kalvora/kalvora.reg says what it documents.
TEST_F(SettingsTest, InstalledExampleRegistryFileIsRead)
{
    std::filesystem::copy_file(KALVORA_EXAMPLE_REGISTRY, file("kalvora.reg"));
    ScriptedDialogs dialogs;
    EXPECT_EQ(diraplicacion(dialogs), "/srv/kalvora");
    EXPECT_TRUE(dialogs.events().empty());
    const RegionalFormats formats = regionalFormats();
    EXPECT_EQ(formats.shortDate, "dd/MM/yyyy");
    EXPECT_EQ(formats.longTime, "HH:mm:ss");
}

TEST(Picture, FormatsDatesAndTimes)
{
    const Date date{2024, 3, 5};
    EXPECT_EQ(formatDate(date, "dd/MM/yyyy"), "05/03/2024");
    EXPECT_EQ(formatDate(date, "d-M-yy"), "5-3-24");
    EXPECT_EQ(formatDate({907, 12, 31}, "yyyy.MM.dd"), "0907.12.31");
    EXPECT_EQ(formatDate(date, "d 'de' MMMM, 'l''año' yyyy HH"), "5 de MMMM, l'año 2024 HH");
    EXPECT_EQ(formatTime({0, 7, 9, 0}, "h:mm:ss tt"), "12:07:09 AM");
    EXPECT_EQ(formatTime({13, 7, 9, 0}, "hh:m:s tt"), "01:7:9 PM");
    EXPECT_EQ(formatTime({13, 7, 9, 0}, "HH'h'mm dd"), "13h07 dd");
    EXPECT_EQ(formatTime({13, 7, 9, 0}, "HH''mm"), "13'07");
}

TEST(Picture, ParsesDatesWrittenWithThePicture)
{
    EXPECT_EQ(parseDate("05/03/2024", "dd/MM/yyyy"), (Date{2024, 3, 5}));
    EXPECT_EQ(parseDate(" 5/3/2024 ", "dd/MM/yyyy"), (Date{2024, 3, 5}));
    EXPECT_EQ(parseDate("29/02/24", "dd/MM/yyyy"), (Date{2024, 2, 29}));
    EXPECT_EQ(parseDate("1.1.30", "d.M.yy"), (Date{1930, 1, 1}));
    EXPECT_EQ(parseDate("2024 de 12-31", "yyyy 'de' MM-dd"), (Date{2024, 12, 31}));
    for (const char* bad : {"29/02/2023", "31/04/2024", "00/01/2024", "01/13/2024", "01/01/0000", "01-01-2024",
                            "01/01/2024x", "01/01/20245", "", "//"})
        EXPECT_FALSE(parseDate(bad, "dd/MM/yyyy")) << bad;
    EXPECT_FALSE(parseDate("05/03", "dd/MM"));
    EXPECT_FALSE(parseDate("05/03/2024 10", "dd/MM/yyyy HH"));
}

TEST_F(SettingsTest, ServerListKeepsEveryLineAsBytes)
{
    const std::vector<std::string> expected{"srv1", "  192.168.0.2/3050  ", "", "srv1", "\xFF\xE9"};
    for (const std::string end : {"\r\n", "\n", "\r"}) {
        write("SERVIDORES.cfg", "srv1" + end + "  192.168.0.2/3050  " + end + end + "srv1" + end + "\xFF\xE9" + end);
        EXPECT_EQ(readServerList(dir_.string()), expected) << int(end.back());
    }
    write("SERVIDORES.cfg", "\nuno\r\rdos");
    EXPECT_EQ(readServerList(dir_.string()), (std::vector<std::string>{"", "uno", "", "dos"}));
    write("SERVIDORES.cfg", std::string("uno\0resto\ndos\n\0", 16));
    EXPECT_EQ(readServerList(dir_.string()), (std::vector<std::string>{"uno", "dos", ""}));
}

TEST_F(SettingsTest, ServerListLongLinesAndEmptyFiles)
{
    const std::string line255(255, 'a'), line1000(1000, 'b');
    write("SERVIDORES.cfg", line255 + "\r\n" + line1000 + "\r\nfin");
    EXPECT_EQ(readServerList(dir_.string()), (std::vector<std::string>{line255, line1000, "fin"}));
    write("SERVIDORES.cfg", "");
    EXPECT_TRUE(readServerList(dir_.string()).empty());
    EXPECT_TRUE(readServerList(file("no existe")).empty());
}

TEST(Clock, ScopedClocksNestAndRestoreTheSystemClock)
{
    const Timestamp fixed{{2001, 2, 3}, {4, 5, 6, 7}};
    {
        ScopedClock outer(fixed);
        EXPECT_EQ(now(), fixed);
        {
            int calls = 0;
            ScopedClock inner([&] { return Timestamp{{2002, 1, 1}, {0, 0, calls++, 0}}; });
            EXPECT_EQ(now().time.second, 0);
            EXPECT_EQ(now().time.second, 1);
        }
        EXPECT_EQ(now(), fixed);
    }
    const Timestamp real = now();
    EXPECT_GE(real.date.year, 2024);
    EXPECT_LT(real.time.fraction, 10000);
}

}  // namespace
}  // namespace kalvora
