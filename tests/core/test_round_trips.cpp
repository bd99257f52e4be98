// Round trips per audit entry, counted by a relay between the program and the server. At a
// distance every round trip costs the link's delay, so each one a change adds shows here.
#include "principalconta/transmission/transmission.h"

#include "data/ddl.h"
#include "principalconta/data_error_dialogs.h"
#include "principalconta/voucher_read_ahead.h"
#include "settings/clock.h"
#include "support/destination_contents.h"
#include "support/relay.h"
#include "support/server.h"
#include "support/transmission_fixture.h"
#include "ui/scripted_dialogs.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace kalvora {
namespace {

using test::Account;
using test::ThirdParty;
using test::Voucher;
using test::VoucherLine;

const Date kDay{2026, 12, 9};

// The relay's count each time the run takes up an entry, and once more at the end.
class CountingProgress : public NoProgress {
public:
    explicit CountingProgress(const test::Relay& relay) : relay_(relay) {}
    void step() override { marks.push_back(relay_.roundTrips()); }
    std::vector<std::uint64_t> marks;

private:
    const test::Relay& relay_;
};

struct Kind {
    const char* name;
    int entries;
    int lines;  // for vouchers
    std::uint64_t roundTrips;
};

// In the order the source's audit entries are written and taken up. Each entry's source rows
// (notes included) come with the window of entries read ahead, so it costs only its writes:
// an account or third party one statement that inserts it unless the destination holds it; a
// voucher the probe, and one statement that takes its key and stores header and lines. The
// vouchers of 4 lines go on past the first window.
const Kind kKinds[] = {
    {"account", 5, 0, 1},
    {"third party", 5, 0, 1},
    {"voucher of 1 line", 5, 1, 2},
    {"voucher of 4 lines", int(VoucherReadAhead::kEntries), 4, 2},
};
// The entries, counted from 0, that read a window of vouchers ahead; the first one also
// prepares the run's voucher statements.
constexpr std::size_t kFirstVoucher = 10;
constexpr std::size_t kSecondWindow = kFirstVoucher + VoucherReadAhead::kEntries;
// Headers and lines: a select each, run; every window after the first runs the texts the
// first prepared.
constexpr std::uint64_t kWindowRoundTrips = 2;

int entryCount()
{
    int n = 0;
    for (const Kind& k : kKinds)
        n += k.entries;
    return n;
}

class RoundTrips : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* code : {"DES", "ORI"}) {
            std::filesystem::create_directories(server.path() + "/datos/" + code);
            test::shareWithServer(server.path() + "/datos/" + code);
        }
        test::shareWithServer(server.path() + "/datos");
        destination = server.path() + "/datos/DES/kalvora.fdb";
        const std::string source = server.path() + "/datos/ORI/kalvora.fdb";
        test::createServerDatabase(destination, ddl::companyDatabase());
        test::createServerDatabase(source, ddl::companyDatabase());

        test::CompanyRows rows(test::serverLocation(source), test::sysdba());
        int id = 0;
        int consec = 0;
        for (std::size_t k = 0; k < std::size(kKinds); ++k)
            for (int n = 0; n < kKinds[k].entries; ++n) {
                ++id;
                const std::string code = std::to_string(1000 + id);
                if (k == 0) {
                    rows.account(Account{.cod = code, .nombre = "Cuenta", .notas = "Notas de la cuenta"});
                    rows.audit(test::accountEntry(id, code));
                } else if (k == 1) {
                    rows.thirdParty(ThirdParty{.nit = code, .nombre = "Tercero"});
                    rows.audit(test::thirdPartyEntry(id, code));
                } else {
                    Voucher v{.consec = ++consec, .numero = "00" + code, .notas = "Notas del comprobante"};
                    for (int item = 1; item <= kKinds[k].lines; ++item)
                        v.lines.push_back(VoucherLine{.item = item, .debito = Scaled{item * 10000, -4}});
                    rows.voucher(v);
                    rows.audit(test::voucherEntry(id, v));
                }
            }
        test::CompanyRows target(test::serverLocation(destination), test::sysdba());
        target.setting(schema::kUsuarioReplica, "SYSDBA");
        target.setting(schema::kClaveReplica, test::sysdbaPassword());
        target.target(1, "Lejos", relay.location(server.path()), "ORI");
    }

    test::ServerDir server;
    test::Relay relay;
    std::string destination;
    test::TransmissionSite site{server.path(), test::TransmissionSite::Databases::Existing};
    ScopedClock clock{Timestamp{kDay, {10, 0, 0, 0}}};
};

// Each entry but the first and last of its kind (statements are prepared on first use, the
// run's end is counted with the last one) costs exactly its share, and the window it reads.
TEST_F(RoundTrips, EachEntryKindCostsItsShare)
{
    ScriptedDialogs dialogs;
    Componentes c;
    ConfigurarProviders(c, dialogs);
    c.DBEnvio.setParam("Database", relay.location(destination));
    c.DBEnvio.setParam("User_Name", "SYSDBA");
    c.DBEnvio.setParam("password", test::sysdbaPassword());
    c.DBEnvio.open();
    c.Creplicac.open();
    CountingProgress progress(relay);
    const TransmissionSummary summary = SpeedButton1Click(c, dialogs, progress, "DES", kDay, kDay);
    c.DbCia.disconnect();
    progress.marks.push_back(relay.roundTrips());
    ASSERT_EQ(summary.transmitted, entryCount());

    const auto& m = progress.marks;
    std::size_t first = 0;
    for (const Kind& k : kKinds) {
        SCOPED_TRACE(k.name);
        const std::size_t end = first + std::size_t(k.entries);
        for (std::size_t entry = first + 1; entry + 1 < end; ++entry)
            EXPECT_EQ(m[entry + 1] - m[entry], k.roundTrips + (entry == kSecondWindow ? kWindowRoundTrips : 0))
                << "entry " << entry + 1;
        first = end;
    }
    EXPECT_EQ(test::sentFlags(test::serverLocation(server.path() + "/datos/ORI/kalvora.fdb"), test::sysdba()),
              std::string(std::size_t(entryCount()), 'S'));
}

}  // namespace
}  // namespace kalvora
