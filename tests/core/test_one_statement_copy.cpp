// A voucher copied by one statement must leave what the copy row by row leaves: the same
// rows under the same keys, journals, dialogs, flags and report, whatever each entry meets.
#include "principalconta/transmission/transmission.h"

#include "settings/clock.h"
#include "support/consolidation.h"
#include "support/database_snapshot.h"
#include "support/destination_contents.h"
#include "support/report_pages.h"
#include "support/transmission_fixture.h"
#include "ui/scripted_dialogs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

namespace kalvora {
namespace {

using test::Consolidation;
using test::Voucher;
using test::VoucherLine;

constexpr const char* kEast = "S03";

Voucher withNotes(int consec, std::size_t bytes)
{
    return Voucher{.consec = consec,
                   .numero = "00010" + std::to_string(consec),
                   .notas = std::string(bytes, 'n'),
                   .lines = {VoucherLine{.item = 1, .debito = Scaled{consec, 0}}}};
}

// A third branch of what the one statement leaves to the copy row by row: notes on both
// sides of a message's and a text parameter's bounds, a voucher of many lines, an account
// the destination refuses and a new one between them.
void east(const std::string& location)
{
    test::CompanyRows rows(location);
    std::vector<Voucher> vouchers{withNotes(1, 31000), withNotes(2, 32765), withNotes(3, 32766), withNotes(4, 40000),
                                  Voucher{.consec = 5, .numero = "000105"}};
    for (int item = 1; item <= 101; ++item)
        vouchers.back().lines.push_back(VoucherLine{.item = item, .credito = Scaled{item, 0}});
    int id = 0;
    for (const Voucher& v : vouchers) {
        rows.voucher(v);
        rows.audit(test::voucherEntry(++id, v));
        if (id == 2) {
            rows.account(test::Account{.cod = "4", .nivel = 12, .notas = "rechazada"});
            rows.audit(test::accountEntry(++id, "4"));
            rows.account(test::Account{.cod = "5", .notas = "nueva"});
            rows.audit(test::accountEntry(++id, "5"));
        }
    }
}

struct Outcome {
    TransmissionSummary summary;
    std::vector<std::string> destination;  // keys and generators included, sorted
    std::vector<std::string> flags;
    std::vector<std::string> journals;
    std::vector<ScriptedDialogs::Event> dialogs;
    std::string report;
};

// The consolidation, with the destination refusing CE000006's second line and CE000007's
// header, holding CE000005 twice, a closed copy of CE000004 and account 110505.
Outcome transmit(bool oneStatement, const std::vector<bool>& answers)
{
    const ScopedClock clock{Timestamp{Consolidation::kDay, {10, 0, 0, 0}}};
    test::TempDir dir;
    test::TransmissionSite site{dir.path()};
    Consolidation::build(site.root(), site.destination(), test::embeddedUser());
    east(site.addSource(kEast));
    {
        test::CompanyRows destination(site.destination());
        destination.target(3, "Sucursal Este", site.root(), kEast);
        destination.account(test::Account{.cod = "110505", .nombre = "Caja"});
        destination.voucher(Voucher{.consec = 904, .numero = "000004", .fecha = {2026, 12, 2}});
        destination.execute(
            "EXECUTE BLOCK AS DECLARE N VARCHAR(63); BEGIN"
            " SELECT TRIM(RDB$CONSTRAINT_NAME) FROM RDB$RELATION_CONSTRAINTS"
            " WHERE RDB$CONSTRAINT_TYPE = 'UNIQUE' AND RDB$RELATION_NAME = 'COMPROBANTE_ENCABEZADO'"
            " INTO :N; EXECUTE STATEMENT 'ALTER TABLE COMPROBANTE_ENCABEZADO DROP CONSTRAINT ' || N; END");
        destination.voucher(Voucher{.consec = 905, .numero = "000005"});
        destination.voucher(Voucher{.consec = 906, .numero = "000005"});
        destination.execute("ALTER TABLE COMPROBANTE_DETALLE ADD CONSTRAINT LINEA_ACEPTADA"
                            " CHECK (DECO_CREDITO IS DISTINCT FROM 0.06)");
        destination.execute("ALTER TABLE COMPROBANTE_ENCABEZADO ADD CONSTRAINT ENCABEZADO_ACEPTADO"
                            " CHECK (ENCO_TOTAL IS DISTINCT FROM 700)");
        destination.execute("ALTER TABLE CUENTAS ADD CONSTRAINT NIVEL_VALIDO CHECK (CUEN_NIVEL < 10)");
    }
    ScriptedDialogs dialogs;
    for (bool yes : answers)
        dialogs.answer(yes);
    NoProgress progress;
    Outcome out;
    {
        auto c = site.connect(dialogs);
        c->copiesInOneStatement = oneStatement;
        out.summary = SpeedButton1Click(*c, dialogs, progress, "DES", Consolidation::kDay, Consolidation::kDay);
    }
    for (std::string row : test::databaseSnapshot(site.destination())) {
        // The targets name the folder, which differs between the two runs.
        if (const auto at = row.find(site.root()); at != std::string::npos)
            row.replace(at, site.root().size(), "servidor");
        out.destination.push_back(row);
    }
    for (const char* code : {Consolidation::kNorth, Consolidation::kSouth, kEast})
        out.flags.push_back(test::sentFlags(Consolidation::source(site.root(), code)));
    out.journals = {site.journal("ENVIO.TXT"), site.journal("ERRORES.TXT")};
    out.dialogs = dialogs.events();
    out.report = test::visibleText(test::fileBytes(out.summary.reportPath));
    return out;
}

// The rows of a that b lacks; both sorted.
std::vector<std::string> onlyIn(const std::vector<std::string>& a, const std::vector<std::string>& b)
{
    std::vector<std::string> out;
    std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(out));
    return out;
}

struct Answers {
    const char* name;
    std::vector<bool> answers;  // to the questions after each refusal, in order; then yes
};

class OneStatementCopy : public ::testing::TestWithParam<Answers> {};

TEST_P(OneStatementCopy, LeavesWhatTheCopyRowByRowLeaves)
{
    const Outcome rowByRow = transmit(false, GetParam().answers);
    const Outcome oneStatement = transmit(true, GetParam().answers);
    EXPECT_GT(rowByRow.summary.failed, 1) << "the workload meets refusals";
    EXPECT_EQ(oneStatement.summary.transmitted, rowByRow.summary.transmitted);
    EXPECT_EQ(oneStatement.summary.failed, rowByRow.summary.failed);
    EXPECT_EQ(oneStatement.summary.skipped, rowByRow.summary.skipped);
    EXPECT_EQ(onlyIn(oneStatement.destination, rowByRow.destination), std::vector<std::string>{});
    EXPECT_EQ(onlyIn(rowByRow.destination, oneStatement.destination), std::vector<std::string>{});
    EXPECT_EQ(oneStatement.flags, rowByRow.flags);
    EXPECT_EQ(oneStatement.journals, rowByRow.journals);
    EXPECT_EQ(oneStatement.dialogs, rowByRow.dialogs);
    EXPECT_EQ(oneStatement.report, rowByRow.report);
}

INSTANTIATE_TEST_SUITE_P(Answers, OneStatementCopy,
                         ::testing::Values(Answers{"EveryRefusalPassed", {}},
                                           Answers{"TheSecondRefusalStopsItsSource", {true, false}}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kalvora
