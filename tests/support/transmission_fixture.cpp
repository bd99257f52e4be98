#include "support/transmission_fixture.h"

#include "credentials/scrambler.h"
#include "data/locations.h"
#include "principalconta/data_error_dialogs.h"
#include "support/environment.h"

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace kalvora::test {

namespace {

TimeOfDay defaultTime(int id) { return {8 + id / 3600 % 12, id / 60 % 60, id % 60, 0}; }

}  // namespace

AuditEntry voucherEntry(int id, const Voucher& v, const std::string& oper)
{
    AuditEntry e;
    e.id = id;
    e.tido = schema::kTidoComprobante;
    e.cod = v.prefijo + v.numero;
    e.iddoc = v.consec;
    e.oper = oper;
    e.tico = v.tipo;
    return e;
}

AuditEntry accountEntry(int id, const std::string& cod)
{
    AuditEntry e;
    e.id = id;
    e.tido = schema::kTidoCuenta;
    e.cod = cod;
    return e;
}

AuditEntry thirdPartyEntry(int id, const std::string& nit)
{
    AuditEntry e;
    e.id = id;
    e.tido = schema::kTidoTercero;
    e.cod = nit;
    return e;
}

// ---------------------------------------------------------------------------- CompanyRows

CompanyRows::CompanyRows(const std::string& location, const fb::AttachParams& params)
    : attachment_(fb::Attachment::attach(location, params))
{
}

CompanyRows::~CompanyRows() { attachment_->detach(); }

void CompanyRows::insert(const std::string& table, const Columns& columns)
{
    std::string names;
    std::string marks;
    std::vector<Value> values;
    for (const auto& [name, value] : columns) {
        names += (names.empty() ? "" : ", ") + name;
        marks += marks.empty() ? "?" : ", ?";
        values.push_back(value);
    }
    fb::Transaction tr(*attachment_);
    {
        fb::Statement statement(*attachment_, tr, "INSERT INTO " + table + " (" + names + ") VALUES (" + marks + ")");
        statement.execute(tr, values);
    }
    tr.commit();
}

void CompanyRows::execute(const std::string& sql) { attachment_->executeImmediate(sql); }

void CompanyRows::refuseSentFlags()
{
    execute("CREATE EXCEPTION MARCAS_RECHAZADAS 'marcas rechazadas'");
    execute("CREATE TRIGGER RECHAZAR_MARCAS ON TRANSACTION COMMIT AS BEGIN"
            " IF (EXISTS(SELECT 1 FROM AUDITORIA WHERE AUDI_ENVIO = 'S')) THEN EXCEPTION MARCAS_RECHAZADAS; END");
}

void CompanyRows::voucher(const Voucher& v)
{
    insert("COMPROBANTE_ENCABEZADO", {{"ENCO_CONSEC", v.consec},
                                      {"TICO_COD", v.tipo},
                                      {"PRCO_PREF", v.prefijo},
                                      {"ENCO_NUMERO", v.numero},
                                      {"ENCO_FECHA", v.fecha},
                                      {"ENCO_DESCRIPCION", v.descripcion},
                                      {"ENCO_TOTAL", v.total},
                                      {"ENCO_HORA", v.hora},
                                      {"ENCO_ESTADO", v.estado},
                                      {"ENCO_REGISTRO", v.registro},
                                      {"ENCO_NOTAS", v.notas}});
    for (const auto& line : v.lines)
        insert("COMPROBANTE_DETALLE", {{"ENCO_CONSEC", v.consec},
                                       {"DECO_ITEM", line.item},
                                       {"CUEN_COD", line.cuenta},
                                       {"TERC_NIT", line.tercero},
                                       {"DECO_DESCRIPCION", line.descripcion},
                                       {"DECO_DEBITO", line.debito},
                                       {"DECO_CREDITO", line.credito},
                                       {"DECO_BASE", line.base},
                                       {"DECO_FECHA", line.fecha}});
}

void CompanyRows::account(const Account& a)
{
    insert("CUENTAS", {{"CUEN_COD", a.cod},
                       {"CUEN_NOMBRE", a.nombre},
                       {"CUEN_NATURALEZA", a.naturaleza},
                       {"CUEN_NIVEL", a.nivel},
                       {"CUEN_SALDO", a.saldo},
                       {"CUEN_TASA", a.tasa},
                       {"CUEN_CREADA", a.creada},
                       {"CUEN_NOTAS", a.notas}});
}

void CompanyRows::thirdParty(const ThirdParty& t)
{
    insert("TERCEROS", {{"TERC_NIT", t.nit},
                        {"TERC_NOMBRE", t.nombre},
                        {"TERC_TIPO", t.tipo},
                        {"TERC_TELEFONO", t.telefono},
                        {"TERC_CUPO", t.cupo},
                        {"TERC_DESCUENTO", t.descuento},
                        {"TERC_NACIMIENTO", t.nacimiento},
                        {"TERC_HORA_CONTACTO", t.horaContacto},
                        {"TERC_REGISTRO", t.registro},
                        {"TERC_FOTO", t.foto},
                        {"TERC_ACTIVO", t.activo}});
}

void CompanyRows::audit(const AuditEntry& e)
{
    insert("AUDITORIA", {{"AUDI_ID", e.id},
                         {"AUDI_USUARIO", "CONTADOR"},
                         {"AUDI_FECHA", e.fecha},
                         {"AUDI_HORA", e.hora.value_or(defaultTime(e.id))},
                         {"TIDO_COD", e.tido},
                         {"AUDI_IDDOC", e.iddoc},
                         {"AUDI_OPER", e.oper},
                         {"AUDI_COD", e.cod},
                         {"AUDI_ENVIO", e.envio},
                         {"AUDI_TICO", e.tico},
                         {"AUDI_RAZON", "prueba"}});
}

void CompanyRows::setting(const schema::Setting& s, const std::string& value)
{
    insert("CONFIGURACION", {{"CONF_MODULO", s.modulo},
                             {"CONF_CATEGORIA", s.categoria},
                             {"CONF_PROPIEDAD", s.propiedad},
                             {"CONF_VALOR", value}});
}

void CompanyRows::target(int id, const std::string& nombre, const std::string& servidor, const std::string& cod,
                         const std::vector<std::string>& prefixes)
{
    insert("REPLICA_CONTA", {{"RPCO_ID", id}, {"RPCO_NOMBRE", nombre}, {"RPCO_SERVIDOR", servidor}, {"RPCO_COD", cod}});
    int item = 0;
    for (const auto& prefix : prefixes)
        insert("REPLICA_CONTA_DETALLE", {{"RPCO_ID", id}, {"RPCD_ITEM", ++item}, {"RPCD_PREF", prefix}});
}

// ---------------------------------------------------------------------------- TransmissionSite

TransmissionSite::TransmissionSite(std::string root, Databases databases) : root_(std::move(root))
{
    previousRegistry_ = environmentVariable("KALVORA_REGISTRY");
    writeRegistry();
    setEnvironmentVariable("KALVORA_REGISTRY", root_ + "/kalvora.reg");
    if (databases == Databases::Existing)
        return;
    createCompanyDatabase(root_, kDestination);
    CompanyRows rows(destination());
    rows.setting(schema::kUsuarioReplica, kReplicationUser);
    rows.setting(schema::kClaveReplica, kReplicationPassword);
}

TransmissionSite::~TransmissionSite() { setEnvironmentVariable("KALVORA_REGISTRY", previousRegistry_); }

std::string TransmissionSite::destination() const { return companyDatabaseLocation(root_, kDestination); }

std::string TransmissionSite::source(const std::string& code) const { return companyDatabaseLocation(root_, code); }

std::string TransmissionSite::addSource(const std::string& code) { return createCompanyDatabase(root_, code); }

void TransmissionSite::setFormats(const std::string& shortDate, const std::string& longTime)
{
    shortDate_ = shortDate;
    longTime_ = longTime;
    writeRegistry();
}

void TransmissionSite::setListSeparator(const std::string& separator)
{
    listSeparator_ = separator;
    writeRegistry();
}

void TransmissionSite::writeRegistry() const
{
    std::ofstream file(root_ + "/kalvora.reg", std::ios::binary);
    file << "Windows Registry Editor Version 5.00\r\n\r\n"
         << "[HKEY_LOCAL_MACHINE\\Software\\Quenti\\Kalvora2015]\r\n"
         << "\"Directorio\"=\"" << root_ << "\"\r\n\r\n"
         << "[HKEY_CURRENT_USER\\Control Panel\\International]\r\n"
         << "\"sShortDate\"=\"" << shortDate_ << "\"\r\n"
         << "\"sLongTime\"=\"" << longTime_ << "\"\r\n";
    if (!listSeparator_.empty())
        file << "\"sList\"=\"" << listSeparator_ << "\"\r\n";
}

std::string TransmissionSite::journal(const std::string& name) const
{
    std::ifstream in(root_ + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> TransmissionSite::journalLines(const std::string& name) const
{
    std::vector<std::string> lines;
    const std::string text = journal(name);
    std::size_t start = 0;
    for (auto end = text.find("\r\n"); end != std::string::npos; end = text.find("\r\n", start)) {
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

std::unique_ptr<Componentes> TransmissionSite::connect(Dialogs& dialogs) const
{
    auto c = std::make_unique<Componentes>();
    ConfigurarProviders(*c, dialogs);
    c->usuario_sesion = "SYSDBA";
    c->clave_sesion = encriptar(kReplicationPassword);
    c->servidor_sesion = root_;
    c->DBEnvio.close();
    c->DBEnvio.setParam("Database", destination());
    c->DBEnvio.setParam("User_Name", c->usuario_sesion);
    c->DBEnvio.setParam("password", desencriptar(c->clave_sesion));
    c->DBEnvio.open();
    c->Creplicac.close();
    c->Creplicac.open();
    return c;
}

void selectEntry(Componentes& c, const std::string& sourceLocation, int audiId)
{
    c.DbCia.disconnect();
    c.DbCia.setDatabase(sourceLocation);
    c.DbCia.setParam("User_Name", TransmissionSite::kReplicationUser);
    c.QAuditor.close();
    c.QAuditor.clearSql();
    c.QAuditor.addSql("select * from auditoria where audi_id = " + std::to_string(audiId));
    c.QAuditor.open();
}

}  // namespace kalvora::test
