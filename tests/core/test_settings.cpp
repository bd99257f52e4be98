#include "base/picture.h"
#include "settings/clock.h"
#include "settings/registry_file.h"
#include "settings/servers.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <fstream>

namespace kalvora {
namespace {

const std::string kHeader = "Windows Registry Editor Version 5.00\r\n\r\n";
const std::string kInstallPath = "HKEY_LOCAL_MACHINE\\Software\\Quenti\\Kalvora2015";
const std::string kInstallKey = "[" + kInstallPath + "]\r\n";

std::optional<RegistryFileKey> installKey(const std::string& file) { return readRegistryFileKey(file, kInstallPath); }

// The file regedit exports, which stands in for the registry off Windows.
TEST(RegistryFile, WithoutTheHeaderOrTheSectionThereIsNoKey)
{
    EXPECT_FALSE(installKey(""));
    EXPECT_FALSE(installKey(kHeader + "[HKEY_LOCAL_MACHINE\\Software\\Quenti]\r\n\"Directorio\"=\"/srv\"\r\n"));
    EXPECT_FALSE(installKey("REGEDIT4\r\n\r\n" + kInstallKey + "\"Directorio\"=\"/srv\"\r\n"));
    EXPECT_TRUE(installKey(kHeader + kInstallKey));
}

TEST(RegistryFile, ReadsTextInEveryForm)
{
    struct Case {
        std::string file;
        std::string text;
    };
    const std::vector<Case> cases{
        {kHeader + kInstallKey + "\"Directorio\"=\"C:\\\\Kalvora \\\"2015\\\"\"\r\n", "C:\\Kalvora \"2015\""},
        // Expandable text, wrapped over lines as regedit writes it.
        {kHeader + kInstallKey + "\"Directorio\"=hex(2):25,00,41,00,25,00,\\\r\n  2f,00,6b,00,00,00\r\n", "%A%/k"},
        // Key and value names match regardless of case; LF line ends do too.
        {"Windows Registry Editor Version 5.00\n[hkey_local_machine\\SOFTWARE\\quenti\\KALVORA2015]\n"
         "\"DIRECTORIO\"=\"/srv/k\"\n",
         "/srv/k"},
        // The text ends at the first NUL, in hex and in a quoted string alike.
        {kHeader + kInstallKey + "\"Directorio\"=hex(1):2f,00,61,00,00,00,62,00,00,00\r\n", "/a"},
        {kHeader + kInstallKey + "\"Directorio\"=\"/b" + std::string(1, '\0') + "c\"\r\n", "/b"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const auto key = installKey(c.file);
        ASSERT_TRUE(key);
        const auto value = key->value("Directorio");
        ASSERT_TRUE(value);
        EXPECT_TRUE(value->isText());
        EXPECT_EQ(value->text(), c.text);
    }
}

TEST(RegistryFile, ReadsTheUtf16FileRegeditWrites)
{
    const std::u16string text = u"Windows Registry Editor Version 5.00\r\n\r\n"
                                u"[HKEY_LOCAL_MACHINE\\Software\\Quenti\\Kalvora2015]\r\n"
                                u"\"Directorio\"=\"/srv/Año\"\r\n";
    std::string bytes = "\xFF\xFE";
    for (char16_t c : text) {
        bytes += char(c & 0xFF);
        bytes += char(c >> 8);
    }
    const auto key = installKey(bytes);
    ASSERT_TRUE(key);
    ASSERT_TRUE(key->value("Directorio"));
    EXPECT_EQ(key->value("Directorio")->text(), "/srv/A\xC3\xB1o");
}

TEST(RegistryFile, MalformedLinesAreSkipped)
{
    const auto key = installKey(kHeader + "\"Directorio\"=\"/antes de la clave\"\r\n" + kInstallKey +
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
    ASSERT_TRUE(key);
    for (const char* name : {"Directorio", "Sin cierre", "A", "B", "C", "D", "E", "F", "G", "H", "J"})
        EXPECT_FALSE(key->value(name)) << name;
    const auto dword = key->value("I");
    ASSERT_TRUE(dword);
    EXPECT_EQ(dword->data, std::string("\x0A\0\0\0", 4));
    const auto byDefault = key->value("");
    ASSERT_TRUE(byDefault);
    EXPECT_EQ(byDefault->text(), "por defecto");
}

TEST(RegistryFile, LaterLinesReplaceAndDeleteValues)
{
    const auto key =
        installKey(kHeader + kInstallKey + "\"Directorio\"=\"/uno\"\r\n\"Borrado\"=\"x\"\r\n" +
                   "[-HKEY_LOCAL_MACHINE\\Software\\Quenti\\Kalvora2015]\r\n\"Directorio\"=\"/fuera\"\r\n" +
                   "\"Fuera\"=\"x\"\r\n" + kInstallKey + "\"directorio\"=\"/dos\"\r\n\"Borrado\"=-\r\n");
    ASSERT_TRUE(key);
    ASSERT_TRUE(key->value("Directorio"));
    EXPECT_EQ(key->value("Directorio")->text(), "/dos");
    EXPECT_FALSE(key->value("Borrado"));
    EXPECT_FALSE(key->value("Fuera"));
}

TEST(Picture, FormatsDates)
{
    const Date date{2024, 3, 5};
    EXPECT_EQ(formatDate(date, "dd/MM/yyyy"), "05/03/2024");
    EXPECT_EQ(formatDate(date, "d-M-yy"), "5-3-24");
    EXPECT_EQ(formatDate({907, 12, 31}, "yyyy.MM.dd"), "0907.12.31");
    EXPECT_EQ(formatDate(date, "d 'de' MMMM, 'l''año' yyyy HH"), "5 de MMMM, l'año 2024 HH");
}

TEST(Picture, FormatsTimesOnATwelveAndATwentyFourHourClock)
{
    struct Case {
        TimeOfDay time;
        const char* picture;
        const char* written;
    };
    const std::vector<Case> cases{
        {{0, 7, 9, 0}, "h:mm:ss tt", "12:07:09 a. m."}, {{11, 59, 59, 0}, "hh:mm tt", "11:59 a. m."},
        {{12, 0, 0, 0}, "h:mm tt", "12:00 p. m."},      {{13, 7, 9, 0}, "hh:m:s tt", "01:7:9 p. m."},
        {{23, 5, 0, 0}, "h:mm t", "11:05 p"},           {{0, 30, 0, 0}, "tt hh", "a. m. 12"},
        {{13, 7, 9, 0}, "HH:mm:ss", "13:07:09"},        {{13, 7, 9, 0}, "HH'h'mm dd", "13h07 dd"},
        {{13, 7, 9, 0}, "HH''mm 'tt'", "13'07 tt"},     {{13, 7, 9, 0}, "H ttt", "13 ttt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.picture);
        EXPECT_EQ(formatTime(c.time, c.picture, TimeDesignators{}), c.written);
    }
    EXPECT_EQ(formatTime({18, 0, 0, 0}, "h tt", {"AM", "PM"}), "6 PM");
    EXPECT_EQ(formatTime({18, 0, 0, 0}, "HH:mm tt", {"", ""}), "18:00 ");
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

class ServerList : public ::testing::Test {
protected:
    void write(const std::string& bytes) const { std::ofstream(dir.file("SERVIDORES.cfg"), std::ios::binary) << bytes; }

    test::TempDir dir;
};

TEST_F(ServerList, KeepsEveryLineAsBytes)
{
    const std::vector<std::string> expected{"srv1", "  192.168.0.2/3050  ", "", "srv1", "\xFF\xE9"};
    for (const std::string end : {"\r\n", "\n", "\r"}) {
        write("srv1" + end + "  192.168.0.2/3050  " + end + end + "srv1" + end + "\xFF\xE9" + end);
        EXPECT_EQ(readServerList(dir.path()), expected) << int(end.back());
    }
    write("\nuno\r\rdos");
    EXPECT_EQ(readServerList(dir.path()), (std::vector<std::string>{"", "uno", "", "dos"}));
    write(std::string("uno\0resto\ndos\n\0", 16));
    EXPECT_EQ(readServerList(dir.path()), (std::vector<std::string>{"uno", "dos", ""}));
}

TEST_F(ServerList, LongLinesAndEmptyFiles)
{
    const std::string line255(255, 'a'), line1000(1000, 'b');
    write(line255 + "\r\n" + line1000 + "\r\nfin");
    EXPECT_EQ(readServerList(dir.path()), (std::vector<std::string>{line255, line1000, "fin"}));
    write("");
    EXPECT_TRUE(readServerList(dir.path()).empty());
    EXPECT_TRUE(readServerList(dir.file("no existe")).empty());
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
