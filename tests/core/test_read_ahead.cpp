// The vouchers, accounts and third parties read ahead for a window of entries are, entry by
// entry, what the run's own select of one reads in the same transaction: same text, columns,
// rows and order.
#include "principalconta/master_data_read_ahead.h"
#include "principalconta/voucher_read_ahead.h"

#include "data/schema.h"
#include "principalconta/transmission/commands.h"
#include "principalconta/transmission/selection.h"
#include "support/same_query.h"
#include "support/scratch.h"
#include "support/transmission_fixture.h"
#include "ui/scripted_dialogs.h"

#include <gtest/gtest.h>

namespace kalvora {
namespace {

using test::expectSameQuery;

struct Layout {
    const char* name;
    // Columns added once the tables hold their rows, and their values.
    std::vector<std::string> ddl;
    std::size_t room;  // for a row's BLOBs inline: 4096 bytes shared by them
};

// Connected to source, with its entries of the day selected as the run holds them.
std::unique_ptr<Componentes> readingEntries(const test::TransmissionSite& site, Dialogs& dialogs,
                                            const std::string& source)
{
    auto c = site.connect(dialogs);
    c->DbCia.setDatabase(source);
    c->DbCia.setParam("User_Name", test::TransmissionSite::kReplicationUser);
    c->QAuditor.addSql(selectionText({2026, 12, 9}, {2026, 12, 9}, {}));
    c->QAuditor.openForward(VoucherReadAhead::kEntries - 1);
    return c;
}

void PrintTo(const Layout& layout, std::ostream* out) { *out << layout.name; }

class VoucherReadAheadTest : public ::testing::TestWithParam<Layout> {};

// Forty vouchers, lines stored across vouchers and out of item order, notes of every size
// around their room; the entries go past two windows and mix in accounts, deletions, a
// voucher the source no longer has and a voucher taken up twice, far apart.
TEST_P(VoucherReadAheadTest, EachVoucherReadsAsItsOwnSelect)
{
    test::TempDir dir;
    test::TransmissionSite site(dir.path());
    const std::string source = site.addSource("SRC");
    std::string everyByte;
    for (int b = 0; b < 256; ++b)
        everyByte += char(b);
    const std::size_t room = GetParam().room;
    const std::vector<Value> notes = {Value(),
                                      Value(""),
                                      Value(everyByte),
                                      Value(std::string(room, 'a')),
                                      Value(std::string(room + 1, 'b')),
                                      Value(std::string(40000, 'c'))};
    {
        test::CompanyRows rows(source);
        for (int v = 1; v <= 40; ++v)
            rows.voucher(test::Voucher{
                .consec = v, .numero = std::to_string(100000 + v), .notas = notes[std::size_t(v) % notes.size()]});
        for (const int item : {3, 1, 2})
            for (int v = 1; v <= 40; v += 1 + item % 2)
                rows.insert(schema::kComprobanteDetalle,
                            {{"ENCO_CONSEC", v}, {"DECO_ITEM", item}, {"CUEN_COD", "1105"}});
        std::vector<int> taken{7};
        for (int v = 1; v <= 40; ++v)
            taken.push_back(v);
        taken.insert(taken.end(), {999, 7});
        int id = 0;
        for (const int v : taken) {
            rows.audit(test::voucherEntry(++id, test::Voucher{.consec = v}));
            if (v % 9 == 0)
                rows.audit(test::accountEntry(++id, "1105"));
            if (v % 11 == 0)
                rows.audit(test::voucherEntry(++id, test::Voucher{.consec = v + 1}, schema::kOperBorrado));
        }
    }
    test::execute(source, GetParam().ddl);

    ScriptedDialogs dialogs;
    auto c = readingEntries(site, dialogs, source);
    Query header(c->DbCia, c->Trcia);
    Query lines(c->DbCia, c->Trdet);
    int vouchers = 0;
    for (; !c->QAuditor.eof(); c->QAuditor.next()) {
        if (c->QAuditor.field("TIDO_COD").asInteger() != schema::kTidoComprobante ||
            c->QAuditor.field("AUDI_OPER").asText() == schema::kOperBorrado)
            continue;
        const std::string consec = c->QAuditor.field("AUDI_IDDOC").asText();
        SCOPED_TRACE("voucher " + consec);
        ++vouchers;
        c->headersAhead.open(c->QCopia, c->QAuditor);
        openSource(header, "select * from comprobante_encabezado where enco_consec = " + consec);
        expectSameQuery(c->QCopia, header);
        c->linesAhead.open(c->QCopiadet, c->QAuditor);
        openSource(lines, "select * from comprobante_detalle where enco_consec = " + consec);
        expectSameQuery(c->QCopiadet, lines);
    }
    EXPECT_EQ(vouchers, 43);
}

INSTANTIATE_TEST_SUITE_P(
    Tables, VoucherReadAheadTest,
    ::testing::Values(
        Layout{"AsMade", {}, 4096},
        Layout{"MoreBlobs",
               {"ALTER TABLE COMPROBANTE_ENCABEZADO ADD ENCO_ADJUNTO BLOB SUB_TYPE 0",
                "ALTER TABLE COMPROBANTE_DETALLE ADD DECO_NOTAS BLOB SUB_TYPE 1 CHARACTER SET UTF8",
                "UPDATE COMPROBANTE_ENCABEZADO SET ENCO_ADJUNTO = RPAD('', MOD(ENCO_CONSEC, 5) * 1000, 'x')",
                // Two bytes a letter: the 2732 letters of an item 2 fit the room of 4096, their bytes do not.
                "UPDATE COMPROBANTE_DETALLE SET DECO_NOTAS = RPAD('', DECO_ITEM * 1366, '\xC3\xB1')"},
               2048},
        // Read as BLOBs, not inline: their conversion to text could depend on a filter.
        Layout{"BlobOfItsOwnSubType", {"ALTER TABLE COMPROBANTE_ENCABEZADO ADD ENCO_FIRMA BLOB SUB_TYPE -3"}, 4096},
        // A key no INTEGER parameter holds: its window runs with the keys written in.
        Layout{"WiderEntryKeys",
               {"ALTER TABLE AUDITORIA ALTER AUDI_IDDOC TYPE BIGINT",
                "UPDATE AUDITORIA SET AUDI_IDDOC = 5000000000 WHERE AUDI_IDDOC = 999"},
               4096}),
    [](const auto& info) { return std::string(info.param.name); });

class MasterDataReadAheadTest : public ::testing::TestWithParam<Layout> {};

// Codes the server matches by its rules (trailing blanks, a quote, case, one held twice, one
// the source lacks, one longer than its column), notes and photos around their room inline,
// among vouchers and past two windows.
TEST_P(MasterDataReadAheadTest, EachCodeReadsAsItsOwnSelect)
{
    test::TempDir dir;
    test::TransmissionSite site(dir.path());
    const std::string source = site.addSource("SRC");
    const std::size_t room = GetParam().room;
    const std::vector<Value> notes = {Value(), Value(""), Value(std::string(room, 'a')),
                                      Value(std::string(room + 1, 'b')), Value(std::string(40000, 'c'))};
    // Room for a code longer than the columns: its window runs with the codes written in.
    test::execute(source, {"ALTER TABLE AUDITORIA ALTER AUDI_COD TYPE VARCHAR(40)"});
    std::vector<std::string> codes;
    {
        test::CompanyRows rows(source);
        for (int n = 1; n <= 40; ++n) {
            const std::string code = std::to_string(1100 + n);
            rows.account(test::Account{.cod = code, .notas = notes[std::size_t(n) % notes.size()]});
            rows.thirdParty(test::ThirdParty{.nit = code, .foto = notes[std::size_t(n + 1) % notes.size()]});
            codes.push_back(code);
        }
        rows.account(test::Account{.cod = "1101", .nombre = "Otra con el mismo codigo"});
        rows.account(test::Account{.cod = "11'05"});
        rows.account(test::Account{.cod = "CAJA"});
        codes.insert(codes.end(), {"1101 ", "11'05", "caja", "9999", std::string(30, '7'), "1102"});
        int id = 0;
        for (const std::string& code : codes) {
            rows.audit(test::accountEntry(++id, code));
            rows.audit(test::thirdPartyEntry(++id, code));
            if (id % 7 == 0)
                rows.audit(test::voucherEntry(++id, test::Voucher{.consec = id}));
        }
    }
    test::execute(source, GetParam().ddl);

    ScriptedDialogs dialogs;
    auto c = readingEntries(site, dialogs, source);
    Query own(c->DbCia, c->Trcia);
    int read = 0;
    for (; !c->QAuditor.eof(); c->QAuditor.next()) {
        const auto tido = c->QAuditor.field("TIDO_COD").asInteger();
        if (tido == schema::kTidoComprobante)
            continue;
        MasterDataReadAhead& ahead = tido == schema::kTidoCuenta ? c->accountsAhead : c->thirdPartiesAhead;
        const std::string code = c->QAuditor.field("AUDI_COD").asText();
        SCOPED_TRACE(std::to_string(tido) + " '" + code + "'");
        ++read;
        ahead.open(c->QCopia, c->QAuditor);
        openSource(own, ahead.select(code));
        expectSameQuery(c->QCopia, own);
    }
    EXPECT_EQ(read, 2 * int(codes.size()));
}

INSTANTIATE_TEST_SUITE_P(
    Tables, MasterDataReadAheadTest,
    ::testing::Values(Layout{"AsMade", {}, 4096},
                      // Matched without regard to case or accents: the server, not the program, says which.
                      Layout{"CaseInsensitiveCodes",
                             {"DROP INDEX CUENTAS_CODIGO",
                              "ALTER TABLE CUENTAS ADD CODIGO VARCHAR(20) CHARACTER SET ISO8859_1 COLLATE ES_ES_CI_AI",
                              "UPDATE CUENTAS SET CODIGO = CUEN_COD", "ALTER TABLE CUENTAS DROP CUEN_COD",
                              "ALTER TABLE CUENTAS ALTER CODIGO TO CUEN_COD"},
                             4096},
                      // Read as BLOBs, not inline: their conversion to text could depend on a filter.
                      Layout{"BlobOfItsOwnSubType", {"ALTER TABLE TERCEROS ADD TERC_FIRMA BLOB SUB_TYPE -3"}, 4096}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kalvora
