#include "principalconta/transmission/transmission.h"

#include "base/text.h"
#include "support/destination_contents.h"
#include "support/report_pages.h"
#include "support/scratch.h"
#include "support/transmission_fixture.h"
#include "ui/scripted_dialogs.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace kalvora {
namespace {

using test::Account;
using test::destinationContents;
using test::ThirdParty;
using test::Voucher;
using test::VoucherLine;

// Tell the re-executed test binary where its databases are and at which entry to die.
constexpr const char* kRootVariable = "KALVORA_CRASH_ROOT";
constexpr const char* kKillVariable = "KALVORA_CRASH_AT_ENTRY";
const Date kDay{2026, 12, 9};

// Five entries in the first target, six in the second.
void populate(test::TransmissionSite& site)
{
    const std::string a = site.addSource("AAA");
    const std::string b = site.addSource("BBB");
    {
        test::CompanyRows rows(a);
        for (int n = 1; n <= 3; ++n) {
            const Voucher v{.consec = n,
                            .numero = "00000" + std::to_string(n),
                            .descripcion = "Sede A " + std::to_string(n),
                            .total = Scaled{n * 1000, -2},
                            .lines = {VoucherLine{.item = 1, .debito = Scaled{n * 10000, -4}},
                                      VoucherLine{.item = 2, .credito = Scaled{n * 10000, -4}}}};
            rows.voucher(v);
            rows.audit(test::voucherEntry(n, v));
        }
        rows.account(Account{.cod = "1105", .nombre = "Caja", .saldo = Scaled{5, 0}});
        rows.audit(test::accountEntry(4, "1105"));
        rows.thirdParty(ThirdParty{.nit = "800", .nombre = "Proveedor", .activo = 1});
        rows.audit(test::thirdPartyEntry(5, "800"));
    }
    {
        test::CompanyRows rows(b);
        const Voucher first{.consec = 11,
                            .prefijo = "FA",
                            .numero = "000001",
                            .descripcion = "nueva",
                            .lines = {VoucherLine{.item = 1}}};
        const Voucher second{.consec = 12, .prefijo = "FA", .numero = "000002", .lines = {VoucherLine{.item = 1}}};
        const Voucher third{.consec = 13,
                            .prefijo = "FA",
                            .numero = "000003",
                            .lines = {VoucherLine{.item = 1}, VoucherLine{.item = 2}, VoucherLine{.item = 3}}};
        for (const auto& v : {first, second, third})
            rows.voucher(v);
        rows.account(Account{.cod = "2205", .nombre = "Proveedores"});
        rows.thirdParty(ThirdParty{.nit = "900", .nombre = "Cliente"});
        rows.audit(test::voucherEntry(1, first));
        rows.audit(test::accountEntry(2, "2205"));
        rows.audit(test::voucherEntry(3, second));
        rows.audit(test::voucherEntry(4, Voucher{.prefijo = "FA", .numero = "000009"}, "D"));
        rows.audit(test::voucherEntry(5, third));
        rows.audit(test::thirdPartyEntry(6, "900"));
    }
    test::CompanyRows destination(site.destination());
    destination.voucher(Voucher{.consec = 7,
                                .prefijo = "FA",
                                .numero = "000001",
                                .descripcion = "vieja",
                                .lines = {VoucherLine{.item = 1}, VoucherLine{.item = 2}}});
    destination.voucher(Voucher{.consec = 9, .prefijo = "FA", .numero = "000009", .lines = {VoucherLine{.item = 1}}});
    destination.account(Account{.cod = "1105", .nombre = "Caja vieja"});
    destination.target(1, "Sede A", site.root(), "AAA");
    destination.target(2, "Sede B", site.root(), "BBB");
}

TransmissionSummary transmit(const test::TransmissionSite& site, Progress& progress)
{
    ScriptedDialogs dialogs;
    auto c = site.connect(dialogs);
    return SpeedButton1Click(*c, dialogs, progress, test::TransmissionSite::kDestination, kDay, kDay);
}

// Re-executes this test binary for the run that gets killed; returns its wait status.
int runKilledChild(const std::string& root, int entry)
{
    std::vector<std::string> environment;
    for (char** e = environ; *e; ++e)
        environment.emplace_back(*e);
    environment.push_back(std::string(kRootVariable) + "=" + root);
    environment.push_back(std::string(kKillVariable) + "=" + std::to_string(entry));
    std::vector<char*> envp;
    for (auto& e : environment)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    std::string program = "/proc/self/exe";
    std::string filter = "--gtest_filter=CrashConvergence.DISABLED_RunKilledAtAnEntry";
    std::string disabled = "--gtest_also_run_disabled_tests";
    char* argv[] = {program.data(), filter.data(), disabled.data(), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, envp.data()) != 0)
        return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    return status;
}

// Dies at the given entry of the run, after its journal line and before its replication.
class KillingProgress : public NoProgress {
public:
    explicit KillingProgress(int entry) : entry_(entry) {}
    void step() override
    {
        if (++steps_ == entry_)
            std::raise(SIGKILL);
    }

private:
    int entry_;
    int steps_ = 0;
};

// Only run, in a child process, by the test below.
TEST(CrashConvergence, DISABLED_RunKilledAtAnEntry)
{
    const char* root = std::getenv(kRootVariable);
    const char* entry = std::getenv(kKillVariable);
    ASSERT_TRUE(root && entry);
    test::TransmissionSite site(root, test::TransmissionSite::Databases::Existing);
    KillingProgress progress(std::atoi(entry));
    transmit(site, progress);
    FAIL() << "the run outlived its entry " << entry;
}

TEST(CrashConvergence, AKilledRunFinishedLaterLeavesWhatAnUninterruptedRunLeaves)
{
    std::vector<std::string> expected;
    {
        test::TempDir dir;
        test::TransmissionSite site(dir.path());
        populate(site);
        NoProgress progress;
        EXPECT_EQ(transmit(site, progress).transmitted, 11);
        expected = destinationContents(site.destination());
    }

    test::TempDir dir;
    test::TransmissionSite site(dir.path());
    populate(site);
    const int status = runKilledChild(dir.path(), 8);  // the third entry of the second target
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "wait status " << status;

    EXPECT_EQ(site.journalLines("ENVIO.TXT").size(), 8u);
    EXPECT_EQ(test::sentFlags(site.source("AAA")), "SSSSS") << "committed when the second target connected";
    EXPECT_EQ(test::sentFlags(site.source("BBB")), "NNNNNN") << "lost with the killed process";
    EXPECT_NE(destinationContents(site.destination()), expected);
    const auto pages = test::reportPages(dir.path(), "envio");
    ASSERT_EQ(pages.size(), 1u);
    const std::string left = test::visibleText(test::fileBytes(pages[0]));
    EXPECT_NE(left.find(ansi("quedó en la compañía de origen BBB Sede B")), std::string::npos) << left;
    EXPECT_TRUE(left.ends_with("Estado del informe: incompleto")) << left;

    NoProgress progress;
    const TransmissionSummary second = transmit(site, progress);
    EXPECT_EQ(second.transmitted, 6);
    EXPECT_EQ(destinationContents(site.destination()), expected);
    EXPECT_EQ(test::query(site.destination(), "select * from comprobante_encabezado").rows.size(), 6u)
        << "every voucher once";
    EXPECT_EQ(test::sentFlags(site.source("BBB")), "SSSSSS");
}

}  // namespace
}  // namespace kalvora
