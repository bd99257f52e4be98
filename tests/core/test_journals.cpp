#include "principalconta/transmission/journals.h"

#include "base/errors.h"
#include "base/text.h"
#include "principalconta/transmission/journal_file.h"
#include "principalconta/transmission/stop_request.h"
#include "settings/clock.h"
#include "support/scratch.h"
#include "support/transmission_fixture.h"
#include "ui/scripted_dialogs.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
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

// Each obstacle stops the run with the journal's full path and the system's reason; a full
// disk still opens, so only its first line tells.
TEST_F(Journals, ALineThatCannotBeWrittenStopsTheRunWithItsPathAndReason)
{
    struct Case {
        const char* file;
        bool fullDisk;  // else a folder in the file's place
    };
    for (const Case& k : {Case{"ENVIO.TXT", false}, Case{"ERRORES.TXT", false}, Case{"ENVIO.TXT", true}}) {
        SCOPED_TRACE(std::string(k.file) + (k.fullDisk ? " on a full disk" : " a folder"));
        test::TempDir place;
        Site here(place.path(), Site::Databases::Existing);
        const std::string path = here.root() + "/" + k.file;
        if (k.fullDisk)
            std::filesystem::create_symlink("/dev/full", path);
        else
            std::filesystem::create_directory(path);
        const std::string problem =
            "No se pudo escribir en " + path + ": " + std::strerror(k.fullDisk ? ENOSPC : EISDIR) + ".";
        ScriptedDialogs boxes;
        EXPECT_EQ(journalsReady(boxes), k.fullDisk);
        if (std::string(k.file) == "ENVIO.TXT")
            EXPECT_THROW(archivo_auditoria(boxes, "1", "1", "CE000001"), SilentAbort);
        else
            EXPECT_THROW(archivo_errores(boxes, "REPLICA", "Error transmitiendo CE000001"), SilentAbort);
        const auto texts = boxes.texts(ScriptedDialogs::Kind::Message);
        ASSERT_EQ(texts.size(), k.fullDisk ? 1u : 2u);
        if (!k.fullDisk) {
            EXPECT_EQ(texts[0], problem + ansi(" La transmisión no se inició."));
        }
        EXPECT_EQ(texts.back(), problem + ansi(" La transmisión se detuvo; las entradas que no se enviaron siguen "
                                               "pendientes."));
    }
}

// Without the directory nothing is written anywhere, at the root of the disk least of all.
TEST_F(Journals, WithoutAnInstallationDirectoryTheMessageNamesTheRegistryFile)
{
    const bool rootHadOne = std::filesystem::exists("/ENVIO.TXT");
    const std::string registry = site.root() + "/kalvora.reg";
    const std::string place = ansi("No se conoce la carpeta de instalación del programa, donde quedan ENVIO.TXT, "
                                   "ERRORES.TXT y VERIFICACION.CSV: falta el valor "
                                   "HKEY_LOCAL_MACHINE\\Software\\Quenti\\Kalvora2015\\Directorio del archivo de "
                                   "registro ") +
                              registry + ".";
    for (const bool keyPresent : {false, true}) {
        SCOPED_TRACE(keyPresent ? "key without the value" : "no registry file");
        std::filesystem::remove(registry);
        if (keyPresent)
            std::ofstream(registry, std::ios::binary)
                << "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Quenti\\Kalvora2015]"
                   "\r\n\"Directorio\"=\"\"\r\n";
        ScriptedDialogs boxes;
        EXPECT_FALSE(journalsReady(boxes));
        EXPECT_THROW(archivo_auditoria(boxes, "1", "1", "CE000001"), SilentAbort);
        EXPECT_EQ(boxes.texts(ScriptedDialogs::Kind::Message),
                  (std::vector<std::string>{place + ansi(" La transmisión no se inició."),
                                            place + ansi(" La transmisión se detuvo; las entradas que no se "
                                                         "enviaron siguen pendientes.")}));
    }
    if (!rootHadOne) {
        EXPECT_FALSE(std::filesystem::exists("/ENVIO.TXT"));
    }
}

// A file-size limit, in a child process, which it would otherwise kill: a line that fits in
// part is cut back, one that does not fit at all leaves the file as it was.
TEST_F(Journals, ALineBeyondAFileSizeLimitIsAnErrorAndLeavesTheFileAsItWas)
{
    const std::string path = dir.file("ENVIO.TXT");
    const std::string before = "09/12/2026,10:00:00,1,1,CE000001\r\n";
    std::ofstream(path, std::ios::binary) << before;
    const std::string line = "09/12/2026,10:00:01,2,100,110505\r\n";
    const pid_t child = fork();
    if (child == 0) {
        watchStopRequests();
        int failures = 0;
        for (const rlim_t limit : {rlim_t(before.size() + 10), rlim_t(before.size())}) {
            const rlimit size{limit, limit};
            setrlimit(RLIMIT_FSIZE, &size);
            const auto failure = appendWhole(path, line);
            failures += failure == std::optional<std::string>(std::strerror(EFBIG)) ? 0 : 1;
            failures += std::filesystem::file_size(path) == before.size() ? 0 : 1;
        }
        _exit(failures);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "killed by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0) << "checks that failed in the child";
    EXPECT_EQ(site.journal("ENVIO.TXT"), before);
}

}  // namespace
}  // namespace kalvora
