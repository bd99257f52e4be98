// kalvora-envio-batch's command line, run as a child process: nothing here reaches a
// database, so it runs wherever the program builds (under Wine too, without fbclient.dll).
#include "support/child_process.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kalvora {
namespace {

using test::builtProgram;
using test::Finished;

Finished batch(const std::vector<std::string>& arguments, const test::EnvironmentChanges& environment = {})
{
    return test::runProgram(builtProgram("kalvora-envio-batch"), arguments, environment);
}

TEST(BatchCommandLine, UsageErrorsExitWith64WithOneLineAndAHint)
{
    const std::vector<std::vector<std::string>> wrong{
        {},
        {"/srv", "SYSDBA", "clave"},
        {"/srv", "SYSDBA", "clave", "001", "extra"},
        {"/srv", "SYSDBA", "clave", ""},
        {"--verbose", "/srv", "SYSDBA", "clave", "001"},
        {"--from", "2026-02-30", "/srv", "SYSDBA", "clave", "001"},
        {"--to=09/12/2026", "/srv", "SYSDBA", "clave", "001"},
        {"--on-error", "retry", "/srv", "SYSDBA", "clave", "001"},
        {"--on-unreachable=skip", "/srv", "SYSDBA", "clave", "001"},
        {"/srv", "SYSDBA", "clave", "001", "--from"},
        {"/srv", "SYSDBA", "-", "001"},  // no KALVORA_PASSWORD
    };
    for (const auto& arguments : wrong) {
        const Finished f = batch(arguments, {{"KALVORA_PASSWORD", std::nullopt}});
        std::string line;
        for (const auto& a : arguments)
            line += " '" + a + "'";
        EXPECT_EQ(f.status, 64) << line << "\n" << f.err;
        std::string err = f.err;
        std::erase(err, '\r');
        ASSERT_EQ(std::count(err.begin(), err.end(), '\n'), 2) << line << "\n" << err;
        EXPECT_EQ(err.rfind("kalvora-envio-batch: ", 0), 0u) << line;
        EXPECT_TRUE(err.ends_with("\nUse --help para ver la forma de uso.\n")) << line << "\n" << err;
        EXPECT_TRUE(f.out.empty()) << line;
    }

    const Finished missing = batch({"/srv", "SYSDBA", "-", "001"}, {{"KALVORA_PASSWORD", std::nullopt}});
    EXPECT_TRUE(missing.errSays("KALVORA_PASSWORD no está definida")) << missing.err;
}

// The arguments arrive as the user typed them, whatever the system's code page, and the
// Spanish text leaves as UTF-8.
TEST(BatchCommandLine, AccentedArgumentsAndTextSurviveTheWayInAndOut)
{
    const Finished f = batch({"--on-error", "reintentá", "/srv/Año", "SYSDBA", "clave", "001"});
    EXPECT_EQ(f.status, 64);
    EXPECT_TRUE(f.errSays("Valor no válido para --on-error: reintentá (continue o skip-target)")) << f.err;
}

TEST(BatchCommandLine, HelpDocumentsEveryOptionAndTheExitStatuses)
{
    const Finished f = batch({"--help"});
    EXPECT_EQ(f.status, 0);
    for (const char* part : {"--from AAAA-MM-DD", "--to AAAA-MM-DD", "--on-error continue|skip-target",
                             "--on-unreachable continue|stop", "KALVORA_PASSWORD", "KALVORA_REGISTRY", "--version",
                             "--preview", "--verify", "\n  0 ", "\n  1 ", "\n  2 ", "\n  64 ", "COMPAÑIA"})
        EXPECT_TRUE(f.outSays(part)) << part << "\n" << f.out;

    // Before anything else on the line, as --help; nothing is run.
    const Finished version = batch({"--version", "/srv", "SYSDBA", "-", "001"}, {{"KALVORA_PASSWORD", std::nullopt}});
    EXPECT_EQ(version.status, 0) << version.err;
    std::string versionLine = version.out;
    std::erase(versionLine, '\r');  // a Windows console's line end
    EXPECT_EQ(versionLine, "kalvora-envio-batch " KALVORA_VERSION "\n");
    EXPECT_TRUE(version.err.empty()) << version.err;
}

// Where the database cannot be reached (under Wine, where even fbclient.dll is missing) the
// run stops with the error shown, not with the process killed at the first database call.
TEST(BatchCommandLine, ARunThatCannotReachTheDatabaseStopsWithTwo)
{
    test::TempDir dir;
    const Finished f =
        batch({dir.file("no existe"), "SYSDBA", "clave", "001"}, {{"KALVORA_REGISTRY", dir.file("kalvora.reg")}});
    EXPECT_EQ(f.status, 2) << f.err;
    EXPECT_FALSE(f.err.empty());
    EXPECT_TRUE(f.out.empty()) << f.out;
}

}  // namespace
}  // namespace kalvora
