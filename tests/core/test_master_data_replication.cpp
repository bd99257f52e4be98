#include "principalconta/transmission/master_data_replication.h"

#include "base/text.h"
#include "support/scratch.h"
#include "support/transmission_fixture.h"
#include "ui/scripted_dialogs.h"

#include <gtest/gtest.h>

namespace kalvora {
namespace {

using test::Account;
using test::ThirdParty;

class MasterDataReplication : public ::testing::Test {
protected:
    bool transmit(const test::AuditEntry& entry)
    {
        source.audit(entry);
        test::selectEntry(*c, src, entry.id);
        RunContext run{*c, dialogs, "2099/01/01"};  // the lock date plays no part here
        if (entry.tido == schema::kTidoCuenta)
            replicar_cuenta(run);
        else
            replicar_tercero(run);
        return run.entryFailed;
    }

    fb::Rows accounts(const std::string& location)
    {
        return test::query(location, "select * from cuentas order by cuen_cod, cuen_nombre");
    }

    test::TempDir dir;
    test::TransmissionSite site{dir.path()};
    std::string src = site.addSource("SRC");
    test::CompanyRows source{src};
    test::CompanyRows destination{site.destination()};
    ScriptedDialogs dialogs;
    std::unique_ptr<Componentes> c = site.connect(dialogs);
};

TEST_F(MasterDataReplication, AMissingAccountIsInsertedWithWideNullDecimalsAsZero)
{
    source.account(Account{.cod = "110505",
                           .nombre = ansi("Caja menor compañía"),
                           .naturaleza = "D",
                           .nivel = 4,
                           .creada = Date{2020, 2, 29},
                           .notas = ansi("Revisión anual")});
    EXPECT_FALSE(transmit(test::accountEntry(1, "110505")));

    const fb::Row copied = accounts(site.destination()).rows.at(0);
    const fb::Row original = accounts(src).rows.at(0);
    EXPECT_EQ(copied[4], Value(Scaled{0, -4})) << "CUEN_SALDO, NUMERIC(15,4)";
    EXPECT_TRUE(copied[5].isNull()) << "CUEN_TASA, NUMERIC(9,2)";
    for (std::size_t i : {0u, 1u, 2u, 3u, 6u, 7u})
        EXPECT_EQ(copied[i], original[i]) << "column " << i;
    EXPECT_TRUE(dialogs.events().empty());
}

TEST_F(MasterDataReplication, AnExistingThirdPartyHasEveryColumnOverwritten)
{
    destination.thirdParty(ThirdParty{.nit = "900123",
                                      .nombre = "Antiguo",
                                      .tipo = "PJ",
                                      .telefono = "555",
                                      .cupo = Scaled{10, 0},
                                      .descuento = Scaled{5, 0},
                                      .nacimiento = Date{1990, 1, 1},
                                      .horaContacto = TimeOfDay{8, 0, 0, 0},
                                      .registro = Timestamp{{2020, 1, 1}, {0, 0, 0, 0}},
                                      .foto = std::string("\x01\x02", 2),
                                      .activo = 1});
    source.thirdParty(ThirdParty{.nit = "900123",
                                 .nombre = ansi("Ñandú y Cía"),
                                 .tipo = "PN",
                                 .nacimiento = Date{1985, 7, 31},
                                 .horaContacto = TimeOfDay{17, 45, 30, 0},
                                 .registro = Timestamp{{2026, 12, 9}, {12, 0, 1, 0}},
                                 .foto = std::string("\xFF\x00\x80", 3),
                                 .activo = 0});
    EXPECT_FALSE(transmit(test::thirdPartyEntry(1, "900123")));

    const fb::Rows copied = test::query(site.destination(), "select * from terceros");
    const fb::Row original = test::query(src, "select * from terceros").rows.at(0);
    ASSERT_EQ(copied.rows.size(), 1u);
    for (std::size_t i = 0; i < original.size(); ++i) {
        if (i == 4)
            EXPECT_EQ(copied.rows[0][i], Value(Scaled{0, -4})) << "TERC_CUPO: null becomes 0";
        else
            EXPECT_EQ(copied.rows[0][i], original[i]) << "column " << i;
    }
}

TEST_F(MasterDataReplication, NothingHappensWithoutASourceRowOrWhenTheDestinationRefuses)
{
    destination.account(Account{.cod = "1105", .nombre = "Caja", .nivel = 2});
    EXPECT_FALSE(transmit(test::accountEntry(1, "1105")));
    EXPECT_FALSE(transmit(test::thirdPartyEntry(2, "800")));
    EXPECT_TRUE(dialogs.events().empty());

    destination.execute("ALTER TABLE CUENTAS ADD CONSTRAINT NIVEL_VALIDO CHECK (CUEN_NIVEL < 10)");
    source.account(Account{.cod = "1105", .nombre = "Caja general", .nivel = 12});
    EXPECT_TRUE(transmit(test::accountEntry(3, "1105")));

    const fb::Rows kept = accounts(site.destination());
    ASSERT_EQ(kept.rows.size(), 1u);
    EXPECT_EQ(kept.rows[0][1], Value("Caja"));
    EXPECT_EQ(test::query(site.destination(), "select * from terceros").rows.size(), 0u);
}

TEST_F(MasterDataReplication, OfSeveralRowsWithOneCodeOnlyOneIsOverwritten)
{
    destination.account(Account{.cod = "1105", .nombre = "A primera"});
    destination.account(Account{.cod = "1105", .nombre = "B segunda"});
    source.account(Account{.cod = "1105", .nombre = "C fuente", .saldo = Scaled{15, 1}});
    EXPECT_FALSE(transmit(test::accountEntry(1, "1105")));

    const fb::Rows rows = accounts(site.destination());
    ASSERT_EQ(rows.rows.size(), 2u);
    EXPECT_EQ(rows.rows[1][1], Value("C fuente"));
    EXPECT_EQ(rows.rows[1][4], Value(Scaled{1500000, -4}));
    EXPECT_TRUE(rows.rows[0][1] == Value("A primera") || rows.rows[0][1] == Value("B segunda"));
}

}  // namespace
}  // namespace kalvora
