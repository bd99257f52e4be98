// The daily run on Windows: the task file, --schedule and --unschedule on the command line
// and, where Windows (or Wine) is, the credential store and a stand-in schtasks.
#include "scheduling/credential_store.h"
#include "scheduling/scheduled_task.h"
#include "scheduling/wide_text.h"
#include "support/child_process.h"
#include "support/environment.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#ifdef _WIN32
#include <windows.h>

#include <shellapi.h>

#include <iterator>
#endif

namespace kalvora {
namespace {

namespace fs = std::filesystem;
using test::builtProgram;
using test::Finished;

Finished batch(const std::vector<std::string>& arguments, const test::EnvironmentChanges& environment = {})
{
    return test::runProgram(builtProgram("kalvora-envio-batch"), arguments, environment);
}

std::string fromUtf16File(const std::string& bytes)
{
    std::u16string units;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
        units += char16_t(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8);
    return utf8(units);
}

TEST(ScheduledTask, FileIsUtf16XmlHoldingTheDailyRunOfTheUser)
{
    ScheduledTask task;
    task.description = "Envío diario";
    task.program = "C:\\Program Files\\Kalvora\\Envio\\kalvora-envio-batch.exe";
    task.arguments = {"srv:C:\\Año & <datos>", "ENVÍOS", "@credencial", "001"};
    task.workingDirectory = "C:\\Program Files\\Kalvora\\Envio";
    task.userId = "OFICINA\\contadora";
    task.startDate = "2026-12-10";
    task.hour = 7;
    task.minute = 5;
    const std::string xml = taskXml(task);
    for (const char* part :
         {"<StartBoundary>2026-12-10T07:05:00</StartBoundary>", "<DaysInterval>1</DaysInterval>",
          "<UserId>OFICINA\\contadora</UserId>", "<LogonType>InteractiveToken</LogonType>",
          "<Command>C:\\Program Files\\Kalvora\\Envio\\kalvora-envio-batch.exe</Command>",
          "<Arguments>&quot;srv:C:\\Año &amp; &lt;datos&gt;&quot; ENVÍOS @credencial 001</Arguments>"})
        EXPECT_NE(xml.find(part), std::string::npos) << part << "\n" << xml;

    const std::string file = taskFile(task);
    ASSERT_EQ(file.substr(0, 2), "\xFF\xFE");
    EXPECT_EQ(fromUtf16File(file), xml);
#ifndef _WIN32
    // Under Wine the file that schtasks receives is checked with xmllint by test.sh.
    if (!fs::exists("/usr/bin/xmllint"))
        GTEST_SKIP() << "xmllint (libxml2-utils) is not installed";
    test::TempDir dir;
    std::ofstream(dir.file("task.xml"), std::ios::binary) << file;
    const Finished lint = test::runProgram("/usr/bin/xmllint", {"--noout", dir.file("task.xml")});
    EXPECT_EQ(lint.status, 0) << lint.err;
#endif
}

TEST(ScheduledTask, CommandLineSplitsBackIntoTheSameArguments)
{
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{"127.0.0.1:C:\\Kalvora", "ENVIOS", "@credencial", "001"}, "127.0.0.1:C:\\Kalvora ENVIOS @credencial 001"},
        {{"C:\\Mis datos\\", ""}, "\"C:\\Mis datos\\\\\" \"\""},
        {{"di \"hola\"", "a\\\"b"}, "\"di \\\"hola\\\"\" \"a\\\\\\\"b\""},
    };
    for (const auto& [arguments, expected] : cases) {
        SCOPED_TRACE(expected);
        const std::string line = windowsCommandLine(arguments);
        EXPECT_EQ(line, expected);
#ifdef _WIN32
        int count = 0;
        const std::u16string wide = utf16("programa " + line);
        wchar_t** split = CommandLineToArgvW(reinterpret_cast<const wchar_t*>(wide.c_str()), &count);
        ASSERT_EQ(count, int(arguments.size()) + 1);
        for (std::size_t i = 0; i < arguments.size(); ++i)
            EXPECT_EQ(utf8(reinterpret_cast<const char16_t*>(split[i + 1])), arguments[i]);
        LocalFree(split);
#endif
    }
}

TEST(ScheduleCommandLine, WrongSchedulingLinesExitWith64)
{
    const std::vector<std::vector<std::string>> wrong{
        {"--schedule", "srv", "ENVIOS"},
        {"--schedule", "srv", "ENVIOS", "001", "--at", "24:00"},
        {"--schedule", "srv", "ENVIOS", "001", "--at=7:30"},
        {"--schedule", "srv", "ENVIOS", "001", "--at"},
        {"--schedule", "srv", "ENVIOS", "0/1"},
        {"--schedule", "srv", "ENVIOS", "001", "--from", "2026-01-01"},
        {"--schedule", "--unschedule", "001"},
        {"--unschedule"},
        {"--unschedule", "001", "--at", "22:00"},
    };
    for (const auto& arguments : wrong) {
        std::string line;
        for (const auto& a : arguments)
            line += " '" + a + "'";
        SCOPED_TRACE(line);
        const Finished f = batch(arguments, {{"KALVORA_PASSWORD", "clave"}});
        EXPECT_EQ(f.status, 64) << f.err;
        EXPECT_TRUE(f.errSays("Use --help")) << f.err;
    }
}

#ifndef _WIN32

TEST(ScheduleCommandLine, OnLinuxTheWindowsStoreAndSchedulerAreRefusedInSpanish)
{
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{"--schedule", "/srv", "SYSDBA", "001"}, "en Debian la ejecución diaria es el temporizador"},
        {{"--unschedule", "001"}, "en Debian la ejecución diaria es el temporizador"},
        {{"/srv", "SYSDBA", "@credencial", "001"}, "que este sistema no tiene: use \"-\" con KALVORA_PASSWORD"},
    };
    for (const auto& [arguments, message] : cases) {
        SCOPED_TRACE(arguments.front());
        const Finished f = batch(arguments, {{"KALVORA_PASSWORD", "clave"}});
        EXPECT_EQ(f.status, 64);
        EXPECT_TRUE(f.errSays(message)) << f.err;
    }
}

#else

std::string readFile(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A destination company of this test process alone, for the task's and credential's names.
std::string testCompany() { return "T" + std::to_string(GetCurrentProcessId()); }

TEST(CredentialStore, KeepsAccentedAndLongPasswordsUntilDeleted)
{
    const std::string name = credentialName(testCompany());
    std::string longest;
    for (std::size_t i = 0; i < kLongestStoredSecret / 2; ++i)
        longest += "ñé";
    for (const std::string& secret : {std::string("clave"), std::string("contraseña Ñandú ¿€?"), longest}) {
        SCOPED_TRACE(secret.size());
        storeCredential(name, secret);
        EXPECT_EQ(readCredential(name), secret);
    }
    EXPECT_THROW(storeCredential(name, longest + "x"), CredentialError);
    EXPECT_EQ(readCredential(name), longest);
    EXPECT_TRUE(deleteCredential(name));
    EXPECT_EQ(readCredential(name), std::nullopt);
    EXPECT_FALSE(deleteCredential(name));
}

// schtasks as the batch finds it: the first on the PATH, here the stand-in.
class ScheduleCommand : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directory(dir.file("bin"));
        fs::copy_file(builtProgram("tests/schtasks_stand_in"), dir.file("bin/schtasks.exe"));
    }
    void TearDown() override
    {
        if (readCredential(credentialName(company)))
            deleteCredential(credentialName(company));
    }
    test::EnvironmentChanges environment(const std::string& status = "0") const
    {
        return {{"PATH", dir.file("bin") + ";" + test::environmentVariable("PATH").value_or("")},
                {"KALVORA_STAND_IN_RECORD", dir.path()},
                {"KALVORA_STAND_IN_STATUS", status},
                {"KALVORA_PASSWORD", password}};
    }
    std::vector<std::string> recordedArguments() const
    {
        std::vector<std::string> lines;
        std::ifstream in(dir.file("arguments.txt"));
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }

    test::TempDir dir;
    const std::string company = testCompany();
    const std::string password = "clave ñandú secreta";
};

TEST_F(ScheduleCommand, RegistersTheTaskWithThePasswordOnlyInTheStore)
{
    const Finished f =
        batch({"--schedule", "127.0.0.1:C:\\Kalvora", "ENVIOS", company, "--at", "21:30"}, environment());
    ASSERT_EQ(f.status, 0) << f.err;
    EXPECT_TRUE(f.outSays("kalvora-envio " + company)) << f.out;

    const auto arguments = recordedArguments();
    ASSERT_EQ(arguments.size(), 6u);
    EXPECT_EQ(arguments[0], "/create");
    EXPECT_EQ(arguments[1], "/xml");
    EXPECT_FALSE(fs::exists(arguments[2])) << "the temporary task file stays behind";
    EXPECT_EQ(std::vector<std::string>(arguments.begin() + 3, arguments.end()),
              (std::vector<std::string>{"/tn", "kalvora-envio " + company, "/f"}));

    const std::string file = readFile(dir.file("task.xml"));
    const std::string xml = fromUtf16File(file);
    for (const std::string& part :
         {std::string("T21:30:00</StartBoundary>"), std::string("kalvora-envio-batch.exe</Command>"),
          "<Arguments>127.0.0.1:C:\\Kalvora ENVIOS @credencial " + company + "</Arguments>"})
        EXPECT_NE(xml.find(part), std::string::npos) << part << "\n" << xml;
    EXPECT_EQ(xml.find("ñandú"), std::string::npos) << xml;
    EXPECT_EQ(file.find("secreta"), std::string::npos);
    EXPECT_EQ(readCredential(credentialName(company)), password);

    // The task's own command line reaches the sign-in (which finds no database here).
    const Finished run = batch({dir.file("no existe"), "SYSDBA", "@credencial", company});
    EXPECT_EQ(run.status, 2) << run.err;
    EXPECT_FALSE(run.errSays("Uso:")) << run.err;

    const Finished removed = batch({"--unschedule", company}, environment());
    EXPECT_EQ(removed.status, 0) << removed.err;
    EXPECT_EQ(recordedArguments(), (std::vector<std::string>{"/delete", "/tn", "kalvora-envio " + company, "/f"}));
    EXPECT_EQ(readCredential(credentialName(company)), std::nullopt);
    const Finished gone = batch({dir.file("no existe"), "SYSDBA", "@credencial", company});
    EXPECT_EQ(gone.status, 64);
    EXPECT_TRUE(gone.errSays("No hay clave guardada como kalvora-envio/" + company)) << gone.err;
}

TEST_F(ScheduleCommand, ATaskThatSchtasksRefusesKeepsNoPassword)
{
    const Finished f = batch({"--schedule", "127.0.0.1:C:\\Kalvora", "ENVIOS", company}, environment("1"));
    EXPECT_EQ(f.status, 2);
    EXPECT_TRUE(f.errSays("schtasks no creó la tarea")) << f.err;
    EXPECT_EQ(readCredential(credentialName(company)), std::nullopt);
}

#endif

}  // namespace
}  // namespace kalvora
