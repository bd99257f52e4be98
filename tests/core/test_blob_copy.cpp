// BLOBs reach the destination byte for byte whatever their sub-type and character set:
// vouchers' notes read ahead, accounts' notes and third parties' photos inserted and
// updated, on the embedded engine and through the server, at sizes around the room a
// header's notes have when read ahead, the longest text parameter, and one segment.
#include "principalconta/transmission/transmission.h"

#include "support/server_site.h"
#include "support/transmission_fixture.h"
#include "ui/scripted_dialogs.h"

#include <gtest/gtest.h>

#include <optional>

namespace kalvora {
namespace {

using test::Account;
using test::ThirdParty;
using test::Voucher;

struct BlobCase {
    const char* name;
    const char* declaration;
    bool server;
    bool utf8 = false;  // which takes only UTF8, by any way
};

void PrintTo(const BlobCase& c, std::ostream* out) { *out << c.name; }

const std::size_t kSizes[] = {0, 2, 4096, 4097, 32765, 32766, 32769};

// Bytes that a conversion would not keep: every byte value, holes of WIN1252 and NUL among
// them; for UTF8, characters of one to four bytes.
std::string bytes(std::size_t size, int seed, bool utf8)
{
    std::string out;
    if (utf8) {
        const std::string characters[] = {"a", "\xC3\xB1", "\xE2\x82\xAC", "\xF0\x9D\x84\x9E"};
        for (std::size_t i = std::size_t(seed); out.size() < size; ++i) {
            const std::string& c = characters[i % 4];
            out += out.size() + c.size() <= size ? c : "a";
        }
        return out;
    }
    for (std::size_t i = 0; i < size; ++i)
        out += char((0x80 + seed * 31 + int(i) * 7) % 256);
    return out;
}

// Each BLOB column of the copied tables declared anew, last in its table, on both sides.
std::vector<std::string> redeclared(const char* declaration)
{
    std::vector<std::string> ddl;
    for (const auto& [table, column] : {std::pair{"COMPROBANTE_ENCABEZADO", "ENCO_NOTAS"},
                                        std::pair{"CUENTAS", "CUEN_NOTAS"}, std::pair{"TERCEROS", "TERC_FOTO"}}) {
        ddl.push_back(std::string("ALTER TABLE ") + table + " DROP " + column);
        ddl.push_back(std::string("ALTER TABLE ") + table + " ADD " + column + " " + declaration);
    }
    return ddl;
}

std::vector<fb::Row> blobs(const std::string& location, const fb::AttachParams& params)
{
    auto attachment = fb::Attachment::attach(location, params);
    std::vector<fb::Row> rows;
    {
        fb::Transaction tr(*attachment);
        fb::Statement select(*attachment, tr,
                             "select prco_pref || enco_numero, enco_notas from comprobante_encabezado"
                             " union all select cuen_cod, cuen_notas from cuentas"
                             " union all select terc_nit, terc_foto from terceros order by 1");
        rows = select.fetchAll(tr).rows;
        tr.commit();
    }
    attachment->detach();
    return rows;
}

class BlobCopy : public ::testing::TestWithParam<BlobCase> {};

TEST_P(BlobCopy, EveryBlobArrivesByteForByte)
{
    const BlobCase& param = GetParam();
    test::TempDir dir;
    std::optional<test::TransmissionSite> local;
    std::optional<test::ServerSite> remote;
    std::string destination, source, servidor;
    fb::AttachParams params = test::embeddedUser();
    if (param.server) {
        remote.emplace();
        destination = remote->destination();
        source = remote->addSource("SRC");
        servidor = remote->servidor();
        params = test::sysdba();
    } else {
        local.emplace(dir.path());
        destination = local->destination();
        source = local->addSource("SRC");
        servidor = local->root();
    }
    for (const auto& location : {destination, source}) {
        test::CompanyRows rows(location, params);
        for (const auto& sql : redeclared(param.declaration))
            rows.execute(sql);
    }
    {
        test::CompanyRows rows(source, params);
        test::CompanyRows held(destination, params);
        held.target(1, "Sede", servidor, "SRC");
        int id = 0;
        for (std::size_t k = 0; k < std::size(kSizes); ++k) {
            const Voucher v{.consec = int(k) + 1,
                            .numero = "00000" + std::to_string(k),
                            .notas = BlobBytes{bytes(kSizes[k], id, param.utf8)}};
            rows.voucher(v);
            rows.audit(test::voucherEntry(++id, v));
        }
        for (std::size_t k = 0; k < std::size(kSizes); ++k)
            for (const char* kind : {"I", "U"}) {
                const std::string code = kind + std::to_string(k);
                if (*kind == 'U') {
                    held.account(Account{.cod = code, .notas = BlobBytes{"antes"}});
                    held.thirdParty(ThirdParty{.nit = code, .foto = BlobBytes{"antes"}});
                }
                rows.account(Account{.cod = code, .notas = BlobBytes{bytes(kSizes[k], ++id, param.utf8)}});
                rows.audit(test::accountEntry(id, code));
                rows.thirdParty(ThirdParty{.nit = code, .foto = BlobBytes{bytes(kSizes[k], ++id, param.utf8)}});
                rows.audit(test::thirdPartyEntry(id, code));
            }
    }

    ScriptedDialogs dialogs;
    NoProgress progress;
    auto c = param.server ? remote->connect(dialogs) : local->connect(dialogs);
    const Date day{2026, 12, 9};
    const auto summary = SpeedButton1Click(*c, dialogs, progress, test::TransmissionSite::kDestination, day, day);
    c.reset();
    EXPECT_EQ(summary.transmitted, int(std::size(kSizes)) * 5);
    EXPECT_EQ(summary.failed, 0) << (dialogs.events().empty() ? "" : dialogs.events().front().text);

    const auto sent = blobs(source, params);
    const auto copied = blobs(destination, params);
    ASSERT_EQ(copied.size(), sent.size());
    for (std::size_t i = 0; i < sent.size(); ++i) {
        SCOPED_TRACE(sent[i][0].asText());
        EXPECT_EQ(copied[i][0], sent[i][0]);
        EXPECT_TRUE(copied[i][1] == sent[i][1])
            << copied[i][1].asText().size() << " bytes copied of " << sent[i][1].asText().size();
    }
}

INSTANTIATE_TEST_SUITE_P(
    SubTypes, BlobCopy,
    ::testing::Values(BlobCase{"Binary", "BLOB SUB_TYPE 0", false},
                      BlobCase{"TextNone", "BLOB SUB_TYPE 1 CHARACTER SET NONE", false},
                      BlobCase{"TextWin1252", "BLOB SUB_TYPE 1 CHARACTER SET WIN1252", false},
                      BlobCase{"TextUtf8", "BLOB SUB_TYPE 1 CHARACTER SET UTF8", false, true},
                      BlobCase{"OwnNegative", "BLOB SUB_TYPE -5", false},
                      BlobCase{"BinaryOnTheServer", "BLOB SUB_TYPE 0", true},
                      BlobCase{"TextNoneOnTheServer", "BLOB SUB_TYPE 1 CHARACTER SET NONE", true},
                      BlobCase{"TextWin1252OnTheServer", "BLOB SUB_TYPE 1 CHARACTER SET WIN1252", true},
                      BlobCase{"TextUtf8OnTheServer", "BLOB SUB_TYPE 1 CHARACTER SET UTF8", true, true},
                      BlobCase{"OwnNegativeOnTheServer", "BLOB SUB_TYPE -5", true}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kalvora
