#include "principalconta/transmission/verify.h"

#include "base/text.h"
#include "principalconta/transmission/transmission.h"
#include "support/consolidation.h"
#include "support/transmission_fixture.h"
#include "ui/scripted_dialogs.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kalvora {
namespace {

using test::Consolidation;

const Date kFrom{2026, 12, 1};
const Date kTo{2026, 12, 31};

struct Expected {
    const char* kind;
    std::string key;  // UTF-8
    const char* column;
};

class Verify : public ::testing::Test {
protected:
    Verify() { Consolidation::build(site.root(), site.destination(), test::embeddedUser()); }

    void transmit()
    {
        auto c = site.connect(dialogs);
        ASSERT_TRUE(
            SpeedButton1Click(*c, dialogs, progress, "DES", Consolidation::kDay, Consolidation::kDay).concluded);
    }

    VerifyReport verify()
    {
        auto c = site.connect(dialogs);
        return verificar(*c, dialogs, progress, "DES", kFrom, kTo);
    }

    static std::vector<std::string> found(const VerifyReport& report)
    {
        std::vector<std::string> out;
        for (const auto& d : report.differences)
            out.push_back(toUtf8(d.target + " | " + d.kind + " | " + d.key + " | " + d.column));
        std::sort(out.begin(), out.end());
        return out;
    }

    static std::vector<std::string> expected(const std::vector<Expected>& table)
    {
        std::vector<std::string> out;
        for (const auto& e : table)
            out.push_back(std::string("S01 Sucursal Norte | ") + e.kind + " | " + e.key + " | " + e.column);
        std::sort(out.begin(), out.end());
        return out;
    }

    test::TempDir dir;
    test::TransmissionSite site{dir.path()};
    ScriptedDialogs dialogs;
    NoProgress progress;
};

TEST_F(Verify, AfterACleanRunOnlyTheVoucherOfTheClosedMonthIsReportedAndApart)
{
    const VerifyReport before = verify();
    EXPECT_GT(before.differenceCount(), 6) << "CE000003 to CE000007 and FV000001 missing, CE000002 differs";

    transmit();
    const VerifyReport after = verify();
    ASSERT_TRUE(after.completed);
    EXPECT_EQ(found(after), expected({{verify_kind::kLocked, "Comprobante CEG CE000001", ""}}))
        << "copy rules (blanks, wide decimals, null to 0, position 8, keys) are no differences";
    EXPECT_EQ(after.differenceCount(), 0);
    EXPECT_EQ(after.lockedCount(), 1);
    ASSERT_EQ(after.targets.size(), 2u);
    EXPECT_EQ(after.targets[0].vouchers, 7);
    EXPECT_EQ(after.targets[0].accounts, 2);
    EXPECT_EQ(after.targets[1].vouchers, 1) << "CE000100 is not among the prefixes of its target";
    EXPECT_EQ(toUtf8(verifySummary(after).back()), "Total: 0 diferencias, 1 protegido en 2 compañías de origen");
    EXPECT_TRUE(dialogs.texts(ScriptedDialogs::Kind::Message).size() == 1) << "only the run's closing message";
}

TEST_F(Verify, FindsEveryKindOfDifferenceAndWritesOneLineEachToTheDetailFile)
{
    transmit();
    test::execute(site.destination(), Consolidation::everyKindOfDifference());

    const VerifyReport report = verify();
    EXPECT_EQ(found(report), expected({{verify_kind::kLocked, "Comprobante CEG CE000001", ""},
                                       {verify_kind::kDifferent, "Comprobante CEG CE000002", "ENCO_DESCRIPCION"},
                                       {verify_kind::kDifferent, "Comprobante CEG CE000003 línea 1", "DECO_DEBITO"},
                                       {verify_kind::kMissing, "Comprobante CEG CE000004 línea 2", ""},
                                       {verify_kind::kExtra, "Comprobante CEG CE000005 línea 9", ""},
                                       {verify_kind::kMissing, "Comprobante CEG CE000006", ""},
                                       {verify_kind::kExtra, "Comprobante CEG CE000090", ""},
                                       {verify_kind::kLocked, "Comprobante CEG CE000007", ""},
                                       {verify_kind::kDifferent, "Cuenta 110505", "CUEN_NOMBRE"},
                                       {verify_kind::kMissing, "Tercero 800123", ""}}));
    EXPECT_EQ(report.differenceCount(), 8);
    EXPECT_EQ(report.lockedCount(), 2);

    // Date and total from the source, or from the destination for a voucher left over there.
    const struct {
        const char* key;
        const char* described;  // date | total | name
    } items[] = {{"Comprobante CEG CE000006", "2026/12/09 | 600.00 | "},
                 {"Comprobante CEG CE000003 línea 1", "2026/12/09 | 300.00 | "},
                 {"Comprobante CEG CE000090", "2026/12/09 |  | "},
                 {"Cuenta 110505", " |  | Caja general"},
                 {"Tercero 800123", " |  | Transportes del Norte"}};
    for (const auto& item : items) {
        SCOPED_TRACE(item.key);
        const auto d = std::find_if(report.differences.begin(), report.differences.end(),
                                    [&](const VerifyDifference& d) { return toUtf8(d.key) == item.key; });
        ASSERT_NE(d, report.differences.end());
        EXPECT_EQ(toUtf8(d->fecha + " | " + d->total + " | " + d->nombre), item.described);
    }

    const std::string path = writeVerifyDetail(dialogs, report);
    EXPECT_EQ(path, site.root() + "/" + kVerifyDetailFile);
    const auto lines = site.journalLines(kVerifyDetailFile);
    ASSERT_EQ(lines.size(), 11u);
    EXPECT_EQ(toUtf8(lines[0]),
              "Compañía de origen,Diferencia,Clave,Columna,Valor en origen,Valor en destino,Fecha,Total,Nombre");
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "S01 Sucursal Norte,Diferente,Comprobante CEG CE000002,ENCO_DESCRIPCION,"
                        "Pago de proveedor 000002,\"Editado, a mano\",2026/12/09,200.00,"),
              lines.end());
}

}  // namespace
}  // namespace kalvora
