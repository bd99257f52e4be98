#include "base/errors.h"
#include "base/text.h"
#include "ctrlaccesoconta/error_messages.h"
#include "data/connection.h"
#include "data/destination.h"
#include "data/locations.h"
#include "support/environment.h"
#include "support/server.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

namespace kalvora {
namespace {

// Sign-in failures as the real server words them, and the Spanish text the user reads.
class ServerErrorsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The client library would take these for a missing user name or password.
        test::setEnvironmentVariable("ISC_USER", std::nullopt);
        test::setEnvironmentVariable("ISC_PASSWORD", std::nullopt);
    }

    test::ServerUser user{"kalvora_prueba", "Clave.2026"};

    // Connects as DbGeneraldes would and returns the refusal (none when it connected).
    static std::optional<DatabaseError> refusal(Connection& c)
    {
        try {
            c.connect();
            return std::nullopt;
        } catch (const DatabaseError& e) {
            EXPECT_FALSE(c.connected());
            return e;
        }
    }

    void signIn(Connection& c, const std::string& location, const std::string& password)
    {
        c.setDatabase(location);
        c.setParam("User_Name", user.name());
        c.setParam("password", password);
    }
};

TEST_F(ServerErrorsTest, WrongPasswordIsRefusedAndTheRightOneWorks)
{
    Connection c;
    signIn(c, user.database(), "clave.2026");
    const auto refused = refusal(c);
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->code(), isc_login);
    EXPECT_EQ(refused->sqlState(), "28000");
    EXPECT_EQ(mensaje_error(refused->what()), ansi("El nombre de Usuario o la clave son incorrectas."));

    // The next attempt on the same connection, with the right password.
    c.setParam("PASSWORD", user.password());
    EXPECT_FALSE(refusal(c));
    EXPECT_TRUE(c.connected());
    DirectTransaction tr(c);
    Query q(c, tr);
    q.addSql("select current_user from rdb$database");
    q.open();
    EXPECT_EQ(q.field(0).asText(), user.name());
}

TEST_F(ServerErrorsTest, EmptyPasswordRemovesTheCredentialAndTheServerRefuses)
{
    Connection c;
    signIn(c, user.database(), user.password());
    c.setParam("isc_dpb_password", "");
    ASSERT_EQ(c.params().get("password"), std::nullopt);
    const auto refused = refusal(c);
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->code(), isc_login) << refused->what();

    DestinationConnection envio;
    envio.setParam("Database", user.database());
    envio.setParam("User_Name", user.name());
    envio.setParam("Password", "");
    EXPECT_THROW(envio.open(), DatabaseError);
    EXPECT_FALSE(envio.connected());
    envio.setParam("password", user.password());
    envio.open();
    EXPECT_EQ(envio.select("select current_user from rdb$database").rows.at(0).at(0).asText(), user.name());
}

TEST_F(ServerErrorsTest, UnreachableHostNamesTheHost)
{
    // A port nobody listens on, on this machine.
    Connection c;
    signIn(c, "127.0.0.1/3999:/tmp/x.fdb", user.password());
    const auto refused = refusal(c);
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->code(), isc_network_error) << refused->what();
    EXPECT_EQ(mensaje_error(refused->what()), ansi("No se encontró el equipo servidor con nombre ") + "127.0.0.1");
}

TEST_F(ServerErrorsTest, MissingFileNamesThePath)
{
    test::ServerDir dir;
    const std::string path = generalDatabaseLocation(dir.path());
    Connection c;
    signIn(c, test::serverLocation(path), user.password());
    const auto refused = refusal(c);
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->code(), isc_io_error) << refused->what();
    EXPECT_EQ(mensaje_error(refused->what()), ansi("No se encontró el archivo o la ruta ") + path);
}

}  // namespace
}  // namespace kalvora
