// The wire to a server is encrypted unless the program's own setting relaxes it: a server of
// the test's own that does not encrypt, and a relay that keeps every byte crossing the
// loopback.
#include "base/errors.h"
#include "base/text.h"
#include "data/firebird.h"
#include "data/wire_encryption.h"
#include "support/own_server.h"
#include "support/relay.h"
#include "support/server.h"

#include <gtest/gtest.h>

namespace kalvora {
namespace {

const std::string kVoucherText = "Pago factura proveedor CE000123 Ferreteria El Tornillo";

// A database through the relay, holding one voucher description written and read back.
void writeVoucherText(const std::string& location, const fb::AttachParams& params)
{
    auto attachment = fb::Attachment::create(location, params);
    attachment->executeImmediate("CREATE TABLE COMPROBANTES (DESCRIPCION VARCHAR(80))");
    attachment->executeImmediate("INSERT INTO COMPROBANTES VALUES ('" + kVoucherText + "')");
    {
        fb::Transaction tr(*attachment);
        fb::Statement select(*attachment, tr, "select descripcion from comprobantes");
        EXPECT_EQ(select.fetchAll(tr).rows.at(0)[0].asText(), kVoucherText);
        tr.commit();
    }
    attachment->executeImmediate("DROP TABLE COMPROBANTES");
    attachment->detach();
}

bool crossed(const test::Relay& relay, const std::string& text)
{
    return relay.traffic().find(text) != std::string::npos;
}

TEST(WireEncryption, AServerThatDoesNotEncryptIsRefusedUntilTheUserAllowsIt)
{
    test::OwnServer server("Disabled");
    const std::string location = server.location(server.file("clara.fdb"));
    try {
        fb::Attachment::create(location, server.sysdba());
        ADD_FAILURE() << "attached without encryption";
    } catch (const DatabaseError& e) {
        const std::string text = e.what();
        EXPECT_NE(text.find(ansi("El servidor de ") + location + ansi(" no cifra la conexión")), std::string::npos)
            << text;
        EXPECT_NE(text.find("ConexionSinCifrar = 1"), std::string::npos) << text;
    }

    // Allowed, the same server takes it, and the text crosses in clear: the capture sees it.
    const ScopedWireEncryption allowed([] { return true; });
    test::Relay relay(0, server.port());
    writeVoucherText(relay.location(server.file("clara.fdb")), server.sysdba());
    EXPECT_TRUE(crossed(relay, kVoucherText));
}

TEST(WireEncryption, NoVoucherTextCrossesTheWireOnceEncrypted)
{
    test::ServerDir dir;
    test::Relay relay(0, 3050);
    writeVoucherText(relay.location(dir.file("cifrada.fdb")), test::sysdba());
    EXPECT_GT(relay.traffic().size(), 0u);
    EXPECT_FALSE(crossed(relay, kVoucherText));
    EXPECT_FALSE(crossed(relay, "COMPROBANTES")) << "nor the SQL";
}

}  // namespace
}  // namespace kalvora
