#include "principalconta/transmission/repair.h"

#include "base/text.h"
#include "principalconta/transmission/run_guard.h"
#include "principalconta/transmission/transmission.h"
#include "support/consolidation.h"
#include "support/database_snapshot.h"
#include "support/report_pages.h"
#include "support/scratch.h"
#include "support/transmission_fixture.h"
#include "ui/scripted_dialogs.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kalvora {
namespace {

using test::Consolidation;
using Action = RepairItem::Action;

const Date kFrom{2026, 12, 1};
const Date kTo{2026, 12, 31};

// A transmission of the day, then one difference of every kind made in the destination.
class Repair : public ::testing::Test {
protected:
    Repair()
    {
        Consolidation::build(site.root(), site.destination(), test::embeddedUser());
        auto c = site.connect(dialogs);
        EXPECT_TRUE(
            SpeedButton1Click(*c, dialogs, progress, "DES", Consolidation::kDay, Consolidation::kDay).concluded);
        test::execute(site.destination(), Consolidation::everyKindOfDifference());
    }

    RepairOutcome repair(bool deleteExtra, bool dryRun = false)
    {
        auto c = site.connect(dialogs);
        return reparar(*c, dialogs, progress, "DES", kFrom, kTo, deleteExtra, dryRun);
    }

    std::vector<std::string> sources() const
    {
        std::vector<std::string> rows;
        for (const char* code : {Consolidation::kNorth, Consolidation::kSouth}) {
            auto snapshot = test::databaseSnapshot(Consolidation::source(site.root(), code));
            rows.insert(rows.end(), snapshot.begin(), snapshot.end());
        }
        return rows;
    }

    // The header and line rows of a voucher as the destination holds them, keys apart.
    std::string destinationVoucher(const std::string& numero) const
    {
        std::string out;
        for (const auto& row :
             test::query(site.destination(), "select h.enco_fecha, h.enco_descripcion, d.deco_item, d.deco_debito"
                                             " from comprobante_encabezado h left join comprobante_detalle d"
                                             " on d.enco_consec = h.enco_consec where h.enco_numero = '" +
                                                 numero + "' order by 3")
                 .rows)
            for (const auto& value : row)
                out += value.asText() + ";";
        return out;
    }

    test::TempDir dir;
    test::TransmissionSite site{dir.path()};
    ScriptedDialogs dialogs;
    NoProgress progress;
};

TEST_F(Repair, SetsRightEveryKindItCanAndTouchesNoSourceNorProtectedVoucher)
{
    const auto sourcesBefore = sources();
    const auto destinationBefore = test::databaseSnapshot(site.destination());
    const auto folderBefore = test::folderSnapshot(site.root());
    const std::string locked[] = {destinationVoucher("000001"), destinationVoucher("000007")};

    // The dry run plans and writes nothing at all.
    const RepairOutcome planned = repair(false, true);
    ASSERT_TRUE(planned.verified);
    const struct {
        Action action;
        int count;
    } plan[] = {{Action::Copy, 2},   {Action::Replace, 4},   {Action::MakeEqual, 1},
                {Action::Delete, 0}, {Action::KeepExtra, 1}, {Action::Protected, 2}};
    for (const auto& p : plan) {
        SCOPED_TRACE(actionName(p.action));
        EXPECT_EQ(planned.plan.count(p.action), p.count);
    }
    EXPECT_EQ(planned.plan.items.front().shown, "Cuenta 110505") << "what vouchers refer to goes first";
    EXPECT_EQ(test::databaseSnapshot(site.destination()), destinationBefore);
    EXPECT_EQ(test::folderSnapshot(site.root()), folderBefore);
    EXPECT_TRUE(test::reportPages(site.root(), "reparacion").empty());

    const RepairOutcome repaired = repair(false);
    ASSERT_TRUE(repaired.completed);
    EXPECT_EQ(repaired.counts.repaired, 7);
    EXPECT_EQ(repaired.counts.failed, 0);
    EXPECT_EQ(repaired.after.differenceCount(), 1) << "the voucher only the destination holds is kept";
    const auto extra = std::find_if(repaired.after.differences.begin(), repaired.after.differences.end(),
                                    [](const VerifyDifference& d) { return d.kind != ansi(verify_kind::kLocked); });
    ASSERT_NE(extra, repaired.after.differences.end());
    EXPECT_EQ(toUtf8(extra->key + " " + extra->kind), "Comprobante CEG CE000090 Sobra en destino");
    EXPECT_EQ(repaired.after.lockedCount(), 2);

    const auto pages = test::reportPages(site.root(), "reparacion");
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages.front(), repaired.reportPath);
    const std::string page = test::fileBytes(pages.front());
    const struct {
        const char* item;
        const char* row;
    } rows[] = {{"Comprobante CEG CE000006", "Comprobante CEG CE000006 2026/12/09 copiar Reparado"},
                {"Comprobante CEG CE000003", "Comprobante CEG CE000003 2026/12/09 reemplazar Reparado"},
                {"Cuenta 110505", "Cuenta 110505 igualar Reparado"},
                {"Tercero 800123", "Tercero 800123 copiar Reparado"}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.item);
        EXPECT_EQ(toUtf8(test::reportRow(page, ansi(r.item))), r.row);
    }
    const std::string text = test::visibleText(page);
    for (const char* left : {"Comprobante CEG CE000090 2026/12/09 dejar: sobra en destino (--delete-extra lo borra)",
                             "Comprobante CEG CE000007 2026/12/09 no se toca: protegido por la fecha de bloqueo",
                             "Estado del informe: completo"}) {
        SCOPED_TRACE(left);
        EXPECT_NE(text.find(ansi(left)), std::string::npos) << toUtf8(text);
    }

    // Only with --delete-extra does the extra voucher go; the protected ones never move.
    const RepairOutcome deleted = repair(true);
    ASSERT_TRUE(deleted.completed);
    EXPECT_EQ(deleted.counts.repaired, 1);
    EXPECT_EQ(deleted.after.differenceCount(), 0);
    EXPECT_EQ(deleted.after.lockedCount(), 2);
    EXPECT_EQ(destinationVoucher("000090"), "");
    EXPECT_EQ(destinationVoucher("000001"), locked[0]);
    EXPECT_EQ(destinationVoucher("000007"), locked[1]);
    EXPECT_EQ(sources(), sourcesBefore) << "no audit entry, flag or row written in a source";
    EXPECT_EQ(site.journalLines("ENVIO.TXT").size(),
              std::size_t(Consolidation::kNorthEntries + Consolidation::kSouthEntries))
        << "the journals are the transmission's alone";
}

TEST_F(Repair, WaitsForNoOneAndWritesNothingWhileARunHoldsTheDestination)
{
    auto other = site.connect(dialogs);
    const RunGuard running(other->DBEnvio);
    ASSERT_TRUE(running.held());
    const auto before = test::databaseSnapshot(site.destination());

    const RepairOutcome refused = repair(true);
    EXPECT_FALSE(refused.verified);
    EXPECT_EQ(dialogs.texts(ScriptedDialogs::Kind::Message).back(),
              ansi("Ya hay una transmisión o una reparación en curso hacia la compañía DES. Espere a que termine y "
                   "vuelva a reparar."));
    EXPECT_EQ(test::databaseSnapshot(site.destination()), before);
    EXPECT_TRUE(test::reportPages(site.root(), "reparacion").empty());
}

// The selects of a copy name every planned voucher once, whatever mix of runs and lone keys
// the plan holds, across the limits of one select.
TEST(RepairSelections, ReadEachPlannedVoucherOnce)
{
    test::TempDir dir;
    const std::string source = test::createCompanyDatabase(dir.path(), "ORI");
    test::execute(source, {"execute block as declare v integer = 1; begin while (v <= 2600) do begin"
                           " insert into comprobante_encabezado (enco_consec, tico_cod, prco_pref, enco_numero,"
                           " enco_fecha) values (:v, 'CEG', 'CE', :v, date '2026-12-01'); v = v + 1; end end"});
    const auto every = [](int from, int to, int step) {
        std::vector<std::int64_t> keys;
        for (int k = from; k <= to; k += step)
            keys.push_back(k);
        return keys;
    };
    std::vector<std::int64_t> runsOfThree;  // more runs than one select takes
    for (int k = 1; k <= 600; k += 4)
        runsOfThree.insert(runsOfThree.end(), {k, k + 1, k + 2});
    const struct {
        const char* name;
        std::vector<std::int64_t> keys;
    } cases[] = {
        {"one run", every(1, 2600, 1)},
        {"lone keys past one select's list", every(1, 2600, 2)},
        {"runs past one select's ranges", runsOfThree},
        {"runs of two, lone keys, out of order", {9, 2, 1, 5, 4, 12, 10, 11, 2600}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RepairPlan plan;
        for (const std::int64_t key : c.keys)
            plan.items.push_back(
                {Action::Copy, "ORI", "", "", {VerifySubject::Kind::Voucher, "CEG", "CE", "", "", key}});
        std::vector<std::int64_t> read;
        for (const std::string& select : repairSelections(plan, "ORI"))
            for (const auto& row : test::query(source, select).rows)
                read.push_back(row[3].asInteger());
        std::vector<std::int64_t> expected = c.keys;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(read, expected);
    }
}

// What a killed repair leaves: the page as it was after its last item, saying it did not end.
TEST(RepairReportPage, WithoutItsEndItSaysWhereTheRepairStopped)
{
    test::TempDir dir;
    RepairPlan plan;
    plan.items.push_back({Action::Copy, "S01 Sucursal Norte", "Comprobante CEG CE000006", "2026/12/09", {}});
    std::string path;
    {
        RepairReport report(dir.path(), "contador", "DES", kFrom, kTo, plan);
        path = report.path();
        report.replicationUser("replica");
        report.startSource("S01 Sucursal Norte");
        report.itemTaken(plan.items.front());
    }
    const std::string text = test::visibleText(test::fileBytes(path));
    EXPECT_NE(text.find(ansi("La reparación no terminó: quedó en la compañía de origen S01 Sucursal Norte, en "
                             "Comprobante CEG CE000006.")),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("incompleto"), std::string::npos) << text;
}

}  // namespace
}  // namespace kalvora
