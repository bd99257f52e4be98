#include "base/errors.h"
#include "base/text.h"
#include "ctrlaccesoconta/sign_in.h"
#include "data/row_store.h"
#include "principalconta/componentes.h"
#include "principalconta/data_error_dialogs.h"
#include "support/environment.h"
#include "support/scratch.h"
#include "ui/scripted_dialogs.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace kalvora {
namespace {

using Kind = ScriptedDialogs::Kind;

class RowStoreTest : public ::testing::Test {
protected:
    test::TempDir dir;
    std::string location = test::createCompanyDatabase(dir.path(), "DES");
    Componentes c;
    ScriptedDialogs dialogs;

    void SetUp() override
    {
        c.DBEnvio.setParam("Database", location);
        c.DBEnvio.setParam("User_Name", "SYSDBA");
        ConfigurarProviders(c, dialogs);
    }

    std::size_t count(const std::string& sql) { return test::query(location, sql).rows.size(); }

    void addTarget(RowStore& s, int id, const std::string& code)
    {
        s.append();
        s.field("RPCO_ID").setInteger(id);
        s.field("RPCO_NOMBRE").setText("Empresa " + std::to_string(id));
        s.field("RPCO_COD").setText(code);
        s.post();
    }
};

TEST_F(RowStoreTest, FieldTypesFollowTheColumnsAndValuesAreReadAsHeld)
{
    const std::string reg = dir.file("kalvora.reg");
    std::ofstream(reg) << "Windows Registry Editor Version 5.00\r\n\r\n"
                          "[HKEY_CURRENT_USER\\Control Panel\\International]\r\n\"sShortDate\"=\"dd/MM/yyyy\"\r\n";
    test::setEnvironmentVariable("KALVORA_REGISTRY", reg);
    std::string notes(70000, 'n');
    notes[10] = '\0';
    test::execute(location, {"INSERT INTO CUENTAS (CUEN_COD, CUEN_NOMBRE, CUEN_NATURALEZA, CUEN_SALDO, CUEN_TASA,"
                             " CUEN_CREADA, CUEN_NOTAS) VALUES ('1105', 'Caja   ', 'D', 1234.5678, 12.34,"
                             " '2026-12-09', NULL)"});
    c.CDestino.setCommandText("SELECT * FROM CUENTAS");
    c.CDestino.open();
    c.CDestino.edit();
    c.CDestino.field("CUEN_NOTAS").setValue(BlobBytes{notes});
    c.CDestino.post();
    ASSERT_EQ(c.CDestino.applyUpdates(0), 0);
    c.CDestino.close();
    c.CDestino.open();

    EXPECT_EQ(c.CDestino.field("CUEN_SALDO").def().type, FieldType::FmtBcd);  // NUMERIC(15,4)
    EXPECT_EQ(c.CDestino.field("CUEN_TASA").def().type, FieldType::Bcd);      // NUMERIC(9,2)
    EXPECT_EQ(c.CDestino.field("CUEN_NIVEL").def().type, FieldType::SmallInt);
    EXPECT_EQ(c.CDestino.field("CUEN_NATURALEZA").def().type, FieldType::FixedChar);
    EXPECT_EQ(c.CDestino.field("CUEN_NOTAS").def().type, FieldType::Memo);
    EXPECT_TRUE(c.CDestino.field("CUEN_COD").def().required);
    EXPECT_FALSE(c.CDestino.field("CUEN_NOMBRE").def().required);

    EXPECT_EQ(c.CDestino.field("CUEN_NOMBRE").asText(), "Caja");
    EXPECT_EQ(c.CDestino.field("CUEN_SALDO").asCurrency(), 12345678);
    EXPECT_EQ(c.CDestino.field("CUEN_TASA").asText(), "12.34");
    EXPECT_EQ(c.CDestino.field("CUEN_CREADA").asText(), "09/12/2026");
    EXPECT_EQ(c.CDestino.field("CUEN_NIVEL").asText(), "");
    EXPECT_EQ(c.CDestino.field("CUEN_NIVEL").asInteger(), 0);
    EXPECT_EQ(c.CDestino.field("CUEN_NOTAS").asText(), notes);
    test::setEnvironmentVariable("KALVORA_REGISTRY", std::nullopt);
}

TEST_F(RowStoreTest, FixedTextLosesItsPaddingAndStillLocatesItsRow)
{
    test::execute(location, {"INSERT INTO REPLICA_CONTA VALUES (1, 'Uno', 'srv:/k', 'A')"});
    c.Creplicac.open();
    EXPECT_EQ(c.Creplicac.field("RPCO_COD").asText(), "A");
    c.Creplicac.edit();
    c.Creplicac.field("RPCO_NOMBRE").setText("Uno bis");
    c.Creplicac.post();
    EXPECT_EQ(c.Creplicac.applyUpdates(0), 0);
    EXPECT_EQ(test::query(location, "SELECT RPCO_NOMBRE FROM REPLICA_CONTA").rows[0][0].asText(), "Uno bis");
}

TEST_F(RowStoreTest, AnEmptyLogSendsNothingAndAnUnassignedEditWritesNothing)
{
    test::execute(location, {"INSERT INTO REPLICA_CONTA VALUES (1, 'Uno', 'srv:/k', 'AAA')"});
    c.Creplicac.open();
    c.DBEnvio.close();
    EXPECT_EQ(c.Creplicac.applyUpdates(0), 0);
    EXPECT_FALSE(c.DBEnvio.connected()) << "an empty log must not reach the database";

    c.Creplicac.edit();
    c.Creplicac.post();
    EXPECT_EQ(c.Creplicac.applyUpdates(0), 0);
    EXPECT_EQ(c.Creplicac.changeCount(), 0);
}

TEST_F(RowStoreTest, ARejectedRowCountsOneStoresNothingAndStaysPending)
{
    test::execute(location, {"INSERT INTO REPLICA_CONTA VALUES (1, 'Uno', 'srv:/k', 'AAA')"});
    c.Creplicac.open();
    addTarget(c.Creplicac, 2, "BBB");
    addTarget(c.Creplicac, 1, "CCC");  // duplicate key
    addTarget(c.Creplicac, 3, "DDD");

    EXPECT_EQ(c.Creplicac.applyUpdates(0), 1);
    EXPECT_EQ(count("SELECT * FROM REPLICA_CONTA"), 1u) << "one failure undoes the whole apply";
    EXPECT_EQ(c.Creplicac.changeCount(), 3);
    EXPECT_EQ(c.Creplicac.recordCount(), 4);

    const auto raw = dialogs.texts(Kind::Message);
    const auto boxes = dialogs.texts(Kind::Error);
    ASSERT_EQ(raw.size(), 1u);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(raw[0].find("violation of PRIMARY or UNIQUE KEY constraint"), std::string::npos) << raw[0];
    EXPECT_EQ(boxes[0], raw[0]) << "the message keeps its last character";
    EXPECT_EQ(dialogs.events()[1].kind, Kind::Beep);

    // Once the conflict is gone the same log goes through.
    c.Creplicac.moveTo(2);
    c.Creplicac.edit();
    c.Creplicac.field("RPCO_ID").setInteger(9);
    c.Creplicac.post();
    EXPECT_EQ(c.Creplicac.applyUpdates(0), 0);
    EXPECT_EQ(count("SELECT * FROM REPLICA_CONTA"), 4u);
}

// Only a line end or a blank at the end of a provider's message is dropped from the box.
TEST(DataErrorBox, AProviderMessageLosesOnlyATrailingLineBreakOrBlank)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"connection shutdown", "connection shutdown"},
        {"At trigger 'CHECK_1'", "At trigger 'CHECK_1'"},
        {"Registro bloqueado.\n", "Registro bloqueado."},
        {"actual 150 ", "actual 150"},
        {"x", "x"},
        {"", ""},
    };
    for (const auto& [message, box] : cases) {
        SCOPED_TRACE(message);
        EXPECT_EQ(textoErrorDatos(nullptr, true, message), box);
    }
}

TEST_F(RowStoreTest, ARowChangedByAnotherUserIsNotFound)
{
    test::execute(location, {"INSERT INTO REPLICA_CONTA VALUES (1, 'Uno', 'srv:/k', 'AAA')"});
    c.Creplicac.open();
    test::execute(location, {"UPDATE REPLICA_CONTA SET RPCO_NOMBRE = 'Otro'"});
    c.Creplicac.edit();
    c.Creplicac.field("RPCO_SERVIDOR").setText("srv:/nuevo");
    c.Creplicac.post();
    EXPECT_EQ(c.Creplicac.applyUpdates(0), 1);
    EXPECT_EQ(dialogs.texts(Kind::Message).at(0), "Record not found or changed by another user");
    EXPECT_EQ(test::query(location, "SELECT RPCO_SERVIDOR FROM REPLICA_CONTA").rows[0][0].asText(), "srv:/k");
}

TEST_F(RowStoreTest, AnUpdateMatchingTwoRowsIsRolledBack)
{
    test::execute(location, {"INSERT INTO CUENTAS (CUEN_COD, CUEN_NOMBRE) VALUES ('11', 'Igual')",
                             "INSERT INTO CUENTAS (CUEN_COD, CUEN_NOMBRE) VALUES ('11', 'Igual')"});
    c.CDestino.setCommandText("SELECT * FROM CUENTAS WHERE CUEN_COD = '11'");
    c.CDestino.open();
    c.CDestino.edit();
    c.CDestino.field("CUEN_NOMBRE").setText("Cambiada");
    c.CDestino.post();
    EXPECT_EQ(c.CDestino.applyUpdates(0), 1);
    EXPECT_EQ(dialogs.texts(Kind::Message).at(0), "Update affected more than 1 record.");
    EXPECT_EQ(count("SELECT * FROM CUENTAS WHERE CUEN_NOMBRE = 'Igual'"), 2u);
    EXPECT_FALSE(c.DBEnvio.inTransaction());
}

TEST_F(RowStoreTest, WithoutATableNameEveryRowFails)
{
    c.CDestino.setCommandText("EXECUTE BLOCK RETURNS (X INTEGER) AS BEGIN X = 1; SUSPEND; END");
    c.CDestino.open();
    c.CDestino.edit();
    c.CDestino.field("X").setInteger(2);
    c.CDestino.post();
    EXPECT_EQ(c.CDestino.applyUpdates(0), 1);
    EXPECT_EQ(dialogs.texts(Kind::Message).at(0), "Unable to resolve records.  Table name not found.");
}

TEST_F(RowStoreTest, ExecuteRunsTheCommandTextAndADeleteOfNothingSucceeds)
{
    test::execute(location, {"INSERT INTO CUENTAS (CUEN_COD) VALUES ('11')"});
    c.CDestino.setCommandText("delete FROM CUENTAS WHERE CUEN_COD = '99'");
    c.CDestino.execute();
    c.CDestino.setCommandText("delete FROM CUENTAS WHERE CUEN_COD = '11'");
    c.CDestino.execute();
    EXPECT_EQ(count("SELECT * FROM CUENTAS"), 0u) << "an execute commits by itself";
}

TEST_F(RowStoreTest, TargetsWithPrefixesAreWrittenMasterFirstAndDeletedDetailFirst)
{
    c.Creplicac.open();
    addTarget(c.Creplicac, 5, "AAA");
    for (int item : {1, 2}) {
        c.CReplicadet.append();
        c.CReplicadet.field("RPCD_ITEM").setInteger(item);
        c.CReplicadet.field("RPCD_PREF").setText(item == 1 ? "CE" : "FAC");
        c.CReplicadet.post();
    }
    EXPECT_EQ(c.CReplicadet.field("RPCO_ID").asInteger(), 5) << "a new prefix row takes its target's key";
    // The foreign key of REPLICA_CONTA_DETALLE refuses any other order.
    ASSERT_EQ(c.Creplicac.applyUpdates(0), 0) << (dialogs.events().empty() ? "" : dialogs.events()[0].text);
    EXPECT_EQ(count("SELECT * FROM REPLICA_CONTA_DETALLE WHERE RPCO_ID = 5"), 2u);

    c.Creplicac.close();
    c.Creplicac.open();
    ASSERT_EQ(c.CReplicadet.recordCount(), 2);
    c.Creplicac.remove();
    ASSERT_EQ(c.Creplicac.applyUpdates(0), 0) << (dialogs.events().empty() ? "" : dialogs.events()[0].text);
    EXPECT_EQ(count("SELECT * FROM REPLICA_CONTA"), 0u);
    EXPECT_EQ(count("SELECT * FROM REPLICA_CONTA_DETALLE"), 0u);
}

TEST_F(RowStoreTest, CancelUpdatesRestoresBothLevels)
{
    test::execute(location, {"INSERT INTO REPLICA_CONTA VALUES (1, 'Uno', 'srv:/k', 'AAA')",
                             "INSERT INTO REPLICA_CONTA_DETALLE VALUES (1, 1, 'CE', 'P1', 'C1')"});
    c.Creplicac.open();
    c.CReplicadet.edit();
    c.CReplicadet.field("RPCD_PREF").setText("XX");
    c.CReplicadet.post();
    c.CReplicadet.append();
    c.CReplicadet.field("RPCD_ITEM").setInteger(2);
    c.CReplicadet.post();
    c.Creplicac.edit();
    c.Creplicac.field("RPCO_NOMBRE").setText("Cambiado");
    c.Creplicac.post();
    addTarget(c.Creplicac, 2, "BBB");
    EXPECT_EQ(c.Creplicac.changeCount(), 4);

    c.Creplicac.cancelUpdates();
    EXPECT_EQ(c.Creplicac.changeCount(), 0);
    ASSERT_EQ(c.Creplicac.recordCount(), 1);
    c.Creplicac.first();
    EXPECT_EQ(c.Creplicac.field("RPCO_NOMBRE").asText(), "Uno");
    ASSERT_EQ(c.CReplicadet.recordCount(), 1);
    EXPECT_EQ(c.CReplicadet.field("RPCD_PREF").asText(), "CE");
    EXPECT_EQ(c.CReplicadet.field("RPCD_PROY").asText(), "P1");
}

TEST_F(RowStoreTest, PostingWithoutRequiredFieldsShowsTheComposedTextAndAbortsSilently)
{
    c.Creplicac.open();
    c.Creplicac.append();
    c.Creplicac.field("RPCO_NOMBRE").setText("Solo nombre");
    EXPECT_THROW(c.Creplicac.post(), SilentAbort);
    EXPECT_EQ(c.Creplicac.state(), RowStore::State::Insert) << "the row stays in edit";
    const std::vector<ScriptedDialogs::Event> expected{
        {Kind::Message, ansi("Field 'Cód' must have a value")},
        {Kind::Beep, ""},
        {Kind::Error, "Los campos RPCO_ID, RPCO_COD,  son obligatorios."}};
    EXPECT_EQ(dialogs.events(), expected);

    dialogs.clear();
    c.Creplicac.field("RPCO_ID").setInteger(1);
    c.Creplicac.field("RPCO_COD").setText("AAA");
    c.Creplicac.post();
    c.CReplicadet.append();
    c.CReplicadet.field("RPCD_PREF").setText("CE");
    EXPECT_THROW(c.CReplicadet.post(), SilentAbort);
    EXPECT_EQ(dialogs.texts(Kind::Message).at(0), "Field 'Item' must have a value");
    EXPECT_EQ(dialogs.texts(Kind::Error).at(0), "Los campos RPCD_ITEM,  son obligatorios.");
}

TEST_F(RowStoreTest, MisuseIsReportedWithTheLibraryTexts)
{
    try {
        c.Creplicac.applyUpdates(0);
        FAIL();
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Creplicac: Cannot perform this operation on a closed dataset");
    }
    c.Creplicac.setCommandText("SELECT * FROM REPLICA_CONTA");
    try {
        c.Creplicac.open();
        FAIL();
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "CommandText changes are not allowed");
    }
    c.CDestino.setCommandText("SELECT * FROM CUENTAS");
    c.CDestino.open();
    try {
        c.CDestino.field("CUEN_COD").setText("1");
        FAIL();
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Dataset not in edit or insert mode");
    }
}

// The targets, their prefixes and the user query name the fields they hold.
struct MissingField {
    const char* store;
    const char* ddl;
    const char* message;
};

class DeclaredFieldsTest : public RowStoreTest, public ::testing::WithParamInterface<MissingField> {};

TEST_P(DeclaredFieldsTest, AResultWithoutOneOfThemIsRefused)
{
    const MissingField& k = GetParam();
    const std::string general = test::createGeneralDatabase(dir.path());
    c.DbGeneraldes.setDatabase(general);
    c.DbGeneraldes.setParam("User_Name", "SYSDBA");
    SignIn signIn(c);
    signIn.CusuarioDes.setCommandText("select * from usuario");
    RowStore& store = std::string(k.store) == "CusuarioDes" ? signIn.CusuarioDes : c.Creplicac;
    test::execute(&store == &c.Creplicac ? location : general, {k.ddl});
    try {
        store.open();
        FAIL() << "opened without the field";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), k.message);
    }
    EXPECT_FALSE(store.active());
}

INSTANTIATE_TEST_SUITE_P(Stores, DeclaredFieldsTest,
                         ::testing::Values(MissingField{"Creplicac", "ALTER TABLE REPLICA_CONTA DROP RPCO_SERVIDOR",
                                                        "Creplicac: Field 'RPCO_SERVIDOR' not found"},
                                           MissingField{"CReplicadet",
                                                        "ALTER TABLE REPLICA_CONTA_DETALLE DROP RPCD_CENTRO",
                                                        "CReplicadet: Field 'RPCD_CENTRO' not found"},
                                           MissingField{"CusuarioDes", "ALTER TABLE USUARIO DROP USUA_NOMBRE",
                                                        "CusuarioDes: Field 'USUA_NOMBRE' not found"}));

TEST_F(RowStoreTest, CancelUpdatesPutsDeletedRowsBackInTheirPlaces)
{
    test::execute(location, {"INSERT INTO REPLICA_CONTA VALUES (1, 'Uno', 'srv:/k', 'AAA')",
                             "INSERT INTO REPLICA_CONTA VALUES (2, 'Dos', 'srv:/k', 'BBB')",
                             "INSERT INTO REPLICA_CONTA VALUES (3, 'Tres', 'srv:/k', 'CCC')",
                             "INSERT INTO REPLICA_CONTA_DETALLE VALUES (2, 1, 'CE', NULL, NULL)",
                             "INSERT INTO REPLICA_CONTA_DETALLE VALUES (2, 2, 'FV', NULL, NULL)",
                             "INSERT INTO REPLICA_CONTA_DETALLE VALUES (2, 3, 'NC', NULL, NULL)"});
    c.Creplicac.open();
    auto names = [&] {
        std::string shown;
        for (c.Creplicac.first(); !c.Creplicac.eof(); c.Creplicac.next())
            shown += c.Creplicac.field("RPCO_NOMBRE").asText() + " ";
        return shown;
    };
    auto prefixes = [&](int target) {
        c.Creplicac.moveTo(target);
        std::string shown;
        for (c.CReplicadet.first(); !c.CReplicadet.eof(); c.CReplicadet.next())
            shown += c.CReplicadet.field("RPCD_PREF").asText() + " ";
        return shown;
    };
    // A row inserted before the deleted ones, another deleted, and a save in between: the
    // order after the save is the one a cancel returns to.
    c.Creplicac.moveTo(1);
    c.CReplicadet.moveTo(1);
    c.CReplicadet.remove();
    c.CReplicadet.first();
    c.CReplicadet.remove();
    c.Creplicac.first();
    addTarget(c.Creplicac, 4, "DDD");
    c.Creplicac.first();
    c.Creplicac.insert();
    c.Creplicac.field("RPCO_ID").setInteger(5);
    c.Creplicac.field("RPCO_NOMBRE").setText("Cinco");
    c.Creplicac.field("RPCO_COD").setText("EEE");
    c.Creplicac.post();
    c.Creplicac.moveTo(1);
    c.Creplicac.remove();
    c.Creplicac.cancelUpdates();
    EXPECT_EQ(names(), "Uno Dos Tres ");
    EXPECT_EQ(prefixes(1), "CE FV NC ");

    c.Creplicac.first();
    c.Creplicac.insert();
    c.Creplicac.field("RPCO_ID").setInteger(5);
    c.Creplicac.field("RPCO_COD").setText("EEE");
    c.Creplicac.field("RPCO_NOMBRE").setText("Cinco");
    c.Creplicac.post();
    ASSERT_EQ(c.Creplicac.applyUpdates(0), 0);
    c.Creplicac.moveTo(2);
    c.Creplicac.remove();
    c.Creplicac.first();
    c.Creplicac.remove();
    c.Creplicac.cancelUpdates();
    EXPECT_EQ(names(), "Cinco Uno Dos Tres ");
    EXPECT_EQ(prefixes(2), "CE FV NC ");
}

TEST_F(RowStoreTest, LongTextsAndBlobsAreWrittenButNeverCompared)
{
    test::execute(location, {"CREATE TABLE LARGA (ID INTEGER, TEXTO VARCHAR(8192), DATO BLOB SUB_TYPE 0)"});
    test::execute(location, {"INSERT INTO LARGA VALUES (1, 'corto', 'datos')"});
    c.CDestino.setCommandText("SELECT * FROM LARGA");
    c.CDestino.open();
    c.CDestino.edit();
    c.CDestino.field("TEXTO").setText(std::string(8192, 'x'));
    c.CDestino.field("DATO").setValue(BlobBytes{std::string("\0\xff", 2)});
    c.CDestino.post();
    ASSERT_EQ(c.CDestino.applyUpdates(0), 0);
    c.CDestino.edit();
    c.CDestino.field("ID").setInteger(2);
    c.CDestino.post();
    ASSERT_EQ(c.CDestino.applyUpdates(0), 0);
    const auto row = test::query(location, "SELECT * FROM LARGA").rows.at(0);
    EXPECT_EQ(row[0].asInteger(), 2);
    EXPECT_EQ(row[1].asText(), std::string(8192, 'x'));
    EXPECT_EQ(row[2].asText(), std::string("\0\xff", 2));
}

}  // namespace
}  // namespace kalvora
