#include "principalconta/transmission/voucher_replication.h"

#include "base/text.h"
#include "support/scratch.h"
#include "support/transmission_fixture.h"
#include "ui/scripted_dialogs.h"

#include <gtest/gtest.h>

namespace kalvora {
namespace {

using Kind = ScriptedDialogs::Kind;
using test::Voucher;
using test::VoucherLine;

class VoucherReplication : public ::testing::Test {
protected:
    // Runs the entry through the copy, or through the deletion for "D"; true when it failed.
    bool transmit(const test::AuditEntry& entry)
    {
        source.audit(entry);
        test::selectEntry(*c, src, entry.id);
        RunContext run{*c, dialogs, lock};
        if (entry.oper == "D")
            borrar_comprobante(run);
        else
            replicar_comprobante(run);
        return run.entryFailed;
    }

    fb::Rows destinationRows(const std::string& sql) { return test::query(site.destination(), sql); }
    fb::Rows headers() { return destinationRows("select * from comprobante_encabezado order by enco_consec"); }
    fb::Rows lines() { return destinationRows("select * from comprobante_detalle order by enco_consec, deco_item"); }

    test::TempDir dir;
    test::TransmissionSite site{dir.path()};
    std::string src = site.addSource("SRC");
    test::CompanyRows source{src};
    test::CompanyRows destination{site.destination()};
    ScriptedDialogs dialogs;
    std::unique_ptr<Componentes> c = site.connect(dialogs);
    std::string lock;
};

TEST_F(VoucherReplication, FirstCopyTakesAKeyOfTheDestinationForHeaderAndLines)
{
    const std::string texto = ansi("Pago compañía Ñandú €");
    source.voucher(Voucher{.consec = 5,
                           .descripcion = texto,
                           .total = Scaled{123456, -2},
                           .hora = TimeOfDay{9, 30, 15, 0},
                           .registro = Timestamp{{2026, 12, 9}, {9, 31, 0, 0}},
                           .notas = texto,
                           .lines = {VoucherLine{.item = 1, .descripcion = texto, .debito = Scaled{1234560000, -4}},
                                     VoucherLine{.item = 2,
                                                 .tercero = "900123",
                                                 .credito = Scaled{123456, -2},
                                                 .base = Scaled{1050, -2},
                                                 .fecha = Date{2026, 12, 9}}}});
    EXPECT_FALSE(transmit(test::voucherEntry(1, Voucher{.consec = 5})));

    const fb::Row copied = headers().rows.at(0);
    const fb::Row original = test::query(src, "select * from comprobante_encabezado").rows.at(0);
    EXPECT_EQ(copied[0], Value(100001)) << "the key comes from cambie_id_comproba";
    EXPECT_EQ(copied[8], Value(0));
    for (std::size_t i : {1u, 2u, 3u, 4u, 5u, 6u, 7u, 9u, 10u})
        EXPECT_EQ(copied[i], original[i]) << "column " << i;
    EXPECT_EQ(copied[5], Value(texto)) << "bytes above 0x7F arrive unchanged";

    const fb::Rows copiedLines = lines();
    ASSERT_EQ(copiedLines.rows.size(), 2u);
    const fb::Row& first = copiedLines.rows[0];
    const fb::Row& second = copiedLines.rows[1];
    EXPECT_EQ(first[0], Value(100001));
    EXPECT_EQ(second[0], Value(100001));
    EXPECT_EQ(first[4], Value(texto));
    EXPECT_EQ(first[5], Value(Scaled{1234560000, -4}));
    EXPECT_EQ(first[6], Value(Scaled{0, -4})) << "a null wide decimal of a line becomes 0";
    EXPECT_TRUE(first[7].isNull()) << "a narrow decimal keeps its null";
    EXPECT_EQ(second[3], Value("900123"));
    EXPECT_EQ(second[6], Value(Scaled{12345600, -4}));
    EXPECT_EQ(second[7], Value(Scaled{1050, -2}));
    EXPECT_TRUE(dialogs.events().empty());
}

TEST_F(VoucherReplication, ACopyReplacesTheDestinationVoucherUnderANewKey)
{
    destination.voucher(Voucher{.consec = 100,
                                .fecha = {2026, 11, 30},
                                .descripcion = "anterior",
                                .lines = {VoucherLine{.item = 1}, VoucherLine{.item = 2}, VoucherLine{.item = 3}}});
    source.voucher(Voucher{.consec = 5, .descripcion = "nueva", .lines = {VoucherLine{.item = 7}}});
    lock = "2026/11/30";  // the destination's own date: not protected

    EXPECT_FALSE(transmit(test::voucherEntry(1, Voucher{.consec = 5})));

    const fb::Rows copied = headers();
    ASSERT_EQ(copied.rows.size(), 1u);
    EXPECT_EQ(copied.rows[0][0], Value(100001));
    EXPECT_EQ(copied.rows[0][5], Value("nueva"));
    const fb::Rows copiedLines = lines();
    ASSERT_EQ(copiedLines.rows.size(), 1u);
    EXPECT_EQ(copiedLines.rows[0][0], Value(100001));
    EXPECT_EQ(copiedLines.rows[0][1], Value(7));
    EXPECT_TRUE(dialogs.events().empty());
}

TEST_F(VoucherReplication, TheLockDateProtectsVouchersOnBothSides)
{
    lock = "2026/07/01";
    destination.voucher(Voucher{.consec = 100,
                                .numero = "000001",
                                .fecha = {2026, 6, 15},
                                .descripcion = "cerrado",
                                .lines = {VoucherLine{.item = 1}}});
    source.voucher(Voucher{.consec = 5, .numero = "000001", .descripcion = "nueva"});
    source.voucher(Voucher{.consec = 6, .numero = "000002", .fecha = {2026, 6, 30}});

    EXPECT_FALSE(transmit(test::voucherEntry(1, Voucher{.consec = 5, .numero = "000001"})));
    EXPECT_EQ(dialogs.texts(Kind::Message),
              std::vector<std::string>{"Esta intentando modificar el comprobante CEG CE000001 de fecha 2026/06/15"});

    dialogs.clear();
    EXPECT_FALSE(transmit(test::voucherEntry(2, Voucher{.consec = 6, .numero = "000002"})));
    EXPECT_TRUE(dialogs.events().empty()) << "a source voucher before the lock date is skipped silently";

    const fb::Rows kept = headers();
    ASSERT_EQ(kept.rows.size(), 1u);
    EXPECT_EQ(kept.rows[0][0], Value(100));
    EXPECT_EQ(kept.rows[0][5], Value("cerrado"));
    EXPECT_EQ(lines().rows.size(), 1u);
}

TEST_F(VoucherReplication, MissingSourceHeaderChangesNothingAndAVoucherWithoutLinesIsCopied)
{
    EXPECT_FALSE(transmit(test::voucherEntry(1, Voucher{.consec = 99})));
    EXPECT_TRUE(headers().rows.empty());

    source.voucher(Voucher{.consec = 5});
    EXPECT_FALSE(transmit(test::voucherEntry(2, Voucher{.consec = 5})));
    EXPECT_EQ(headers().rows.size(), 1u);
    EXPECT_TRUE(lines().rows.empty());
}

TEST_F(VoucherReplication, DeletionSplitsTheCodeIntoPrefixAndSixCharacterNumber)
{
    lock = "2026/07/01";
    const Voucher sinPrefijo{.consec = 1, .prefijo = "", .numero = "000123", .lines = {VoucherLine{}}};
    const Voucher corto{.consec = 2, .prefijo = "", .numero = "42"};
    const Voucher normal{.consec = 3, .numero = "000001", .lines = {VoucherLine{.item = 1}, VoucherLine{.item = 2}}};
    const Voucher cerrado{.consec = 4, .numero = "000002", .fecha = {2026, 6, 15}, .lines = {VoucherLine{}}};
    for (const auto& v : {sinPrefijo, corto, normal, cerrado})
        destination.voucher(v);

    EXPECT_FALSE(transmit(test::voucherEntry(1, sinPrefijo, "D")));
    EXPECT_FALSE(transmit(test::voucherEntry(2, corto, "D")));
    EXPECT_FALSE(transmit(test::voucherEntry(3, normal, "D")));
    EXPECT_FALSE(transmit(test::voucherEntry(4, Voucher{.numero = "000009"}, "D")));
    EXPECT_FALSE(transmit(test::voucherEntry(5, cerrado, "D")));

    EXPECT_EQ(dialogs.texts(Kind::Message),
              std::vector<std::string>{"Esta intentando borrar el comprobante CEG CE000002 de fecha 2026/06/15"});
    const fb::Rows left = headers();
    ASSERT_EQ(left.rows.size(), 1u);
    EXPECT_EQ(left.rows[0][0], Value(4));
    EXPECT_EQ(destinationRows("select enco_consec from comprobante_detalle").rows.size(), 1u);
}

TEST_F(VoucherReplication, RefusedWritesLeaveNoPartOfTheNewCopy)
{
    destination.execute("ALTER TABLE COMPROBANTE_DETALLE ADD CONSTRAINT DOS_LINEAS CHECK (DECO_ITEM < 3)");
    destination.execute("ALTER TABLE COMPROBANTE_ENCABEZADO ADD CONSTRAINT CON_TEXTO CHECK (ENCO_DESCRIPCION <> 'no')");
    destination.voucher(Voucher{.consec = 100, .lines = {VoucherLine{.item = 1}}});
    source.voucher(Voucher{.consec = 5,
                           .descripcion = "tres lineas",
                           .lines = {VoucherLine{.item = 1}, VoucherLine{.item = 2}, VoucherLine{.item = 3}}});
    source.voucher(Voucher{.consec = 6, .numero = "000002", .descripcion = "no", .lines = {VoucherLine{.item = 1}}});

    EXPECT_TRUE(transmit(test::voucherEntry(1, Voucher{.consec = 5})));
    EXPECT_TRUE(headers().rows.empty()) << "the old copy is gone and the new one undone";
    EXPECT_TRUE(lines().rows.empty());
    EXPECT_FALSE(dialogs.texts(Kind::Error).empty()) << "the refusal was explained";

    EXPECT_TRUE(transmit(test::voucherEntry(2, Voucher{.consec = 6, .numero = "000002"})));
    EXPECT_TRUE(headers().rows.empty());
    EXPECT_TRUE(lines().rows.empty()) << "no line is tried after a refused header";
}

// A destination without the unique key on type, prefix and number may hold a voucher twice.
// Replacing or deleting it removes every copy with its lines, with the lines' foreign key or
// without it, and leaves the other vouchers alone.
class DuplicateVouchers : public VoucherReplication,
                          public ::testing::WithParamInterface<std::tuple<std::string, bool>> {
protected:
    void dropConstraint(const std::string& type, const std::string& table)
    {
        const std::string name = destinationRows("select trim(rdb$constraint_name) from rdb$relation_constraints"
                                                 " where rdb$constraint_type = '" +
                                                 type + "' and rdb$relation_name = '" + table + "'")
                                     .rows.at(0)[0]
                                     .asText();
        destination.execute("ALTER TABLE " + table + " DROP CONSTRAINT " + name);
    }
};

TEST_P(DuplicateVouchers, EveryCopyGoesWithItsLines)
{
    const auto& [oper, withForeignKey] = GetParam();
    dropConstraint("UNIQUE", "COMPROBANTE_ENCABEZADO");
    if (!withForeignKey)
        dropConstraint("FOREIGN KEY", "COMPROBANTE_DETALLE");
    for (int consec : {100, 101})
        destination.voucher(Voucher{.consec = consec, .lines = {VoucherLine{.item = 1}, VoucherLine{.item = 2}}});
    destination.voucher(Voucher{.consec = 200, .numero = "000002", .lines = {VoucherLine{.item = 1}}});
    source.voucher(Voucher{.consec = 5, .descripcion = "nueva", .lines = {VoucherLine{.item = 9}}});

    EXPECT_NO_THROW(EXPECT_FALSE(transmit(test::voucherEntry(1, Voucher{.consec = 5}, oper))));

    EXPECT_TRUE(destinationRows("select * from comprobante_detalle d where not exists (select 1 from"
                                " comprobante_encabezado h where h.enco_consec = d.enco_consec)")
                    .rows.empty())
        << "no line is left without its header";
    const fb::Rows left = destinationRows("select enco_consec from comprobante_encabezado order by enco_numero");
    ASSERT_EQ(left.rows.size(), oper == "D" ? 1u : 2u);
    EXPECT_EQ(left.rows.back()[0], Value(200));
    EXPECT_EQ(destinationRows("select * from comprobante_detalle where enco_consec = 200").rows.size(), 1u);
    if (oper == "M") {
        const fb::Rows copied = destinationRows("select deco_item from comprobante_detalle where enco_consec = " +
                                                left.rows[0][0].asText());
        ASSERT_EQ(copied.rows.size(), 1u);
        EXPECT_EQ(copied.rows[0][0], Value(9));
    }
}

INSTANTIATE_TEST_SUITE_P(CopyAndDeletion, DuplicateVouchers,
                         ::testing::Combine(::testing::Values("M", "D"), ::testing::Bool()), [](const auto& info) {
                             return std::string(std::get<0>(info.param) == "D" ? "Deletion" : "Copy") +
                                    (std::get<1>(info.param) ? "WithForeignKey" : "WithoutForeignKey");
                         });

TEST_F(VoucherReplication, WithoutAKeyFromTheDestinationTheEntryFails)
{
    destination.execute(
        "ALTER PROCEDURE CAMBIE_ID_COMPROBA RETURNS (ID INTEGER) AS BEGIN IF (1 = 0) THEN SUSPEND; END");
    source.voucher(Voucher{.consec = 5, .lines = {VoucherLine{}}});
    EXPECT_TRUE(transmit(test::voucherEntry(1, Voucher{.consec = 5})));
    EXPECT_TRUE(headers().rows.empty());
    EXPECT_TRUE(lines().rows.empty());
}

}  // namespace
}  // namespace kalvora
