#include "principalconta/transmission/journals.h"

#include "settings/clock.h"
#include "support/scratch.h"
#include "support/transmission_fixture.h"
#include "ui/scripted_dialogs.h"

#include <gtest/gtest.h>

#include <fstream>

namespace kalvora {
namespace {

using Site = test::TransmissionSite;

class Journals : public ::testing::Test {
protected:
    test::TempDir dir;
    Site site{dir.path(), Site::Databases::Existing};
    ScriptedDialogs dialogs;
};

TEST_F(Journals, LinesAreAppendedInTheRegionalFormatsWithCrLf)
{
    site.setFormats("dd/MM/yyyy", "HH:mm:ss");
    {
        ScopedClock clock(Timestamp{{2015, 6, 7}, {10, 15, 32, 0}});
        archivo_auditoria(dialogs, "1234", "1", "CE000123");
    }
    {
        ScopedClock clock(Timestamp{{2015, 6, 7}, {10, 15, 33, 0}});
        archivo_errores(dialogs, "REPLICA", "Error transmitiendo CEG CE000123");
        archivo_auditoria(dialogs, "1235", "100", "1105");
    }
    EXPECT_EQ(site.journal("ENVIO.TXT"),
              "07/06/2015,10:15:32,1234,1,CE000123\r\n07/06/2015,10:15:33,1235,100,1105\r\n");
    EXPECT_EQ(site.journal("ERRORES.TXT"), "07/06/2015,10:15:33,REPLICA,Error transmitiendo CEG CE000123\r\n");
    EXPECT_TRUE(dialogs.events().empty());
}

TEST_F(Journals, TextIsWrittenByteForByteWithoutQuoting)
{
    ScopedClock clock(Timestamp{{2026, 12, 9}, {8, 0, 5, 0}});
    std::ofstream(site.root() + "/ENVIO.TXT", std::ios::binary) << "anterior\r\n";
    archivo_auditoria(dialogs, "7", "102", "NI\xD1O,\xE1\x80");
    EXPECT_EQ(site.journal("ENVIO.TXT"), "anterior\r\n2026/12/09,08:00:05,7,102,NI\xD1O,\xE1\x80\r\n");
}

TEST_F(Journals, ALineThatCannotBeWrittenIsLostQuietly)
{
    std::ofstream(site.root() + "/kalvora.reg", std::ios::binary)
        << "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Quenti\\Kalvora2015]\r\n"
        << "\"Directorio\"=\"" << site.root() << "/no-such-folder\"\r\n";
    EXPECT_NO_THROW(archivo_auditoria(dialogs, "1", "1", "CE000001"));
    EXPECT_NO_THROW(archivo_errores(dialogs, "REPLICA", "Error transmitiendo CE000001"));
    EXPECT_TRUE(dialogs.events().empty());
}

}  // namespace
}  // namespace kalvora
