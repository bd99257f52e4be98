#include "support/consolidation.h"

#include "data/ddl.h"
#include "data/locations.h"
#include "data/schema.h"
#include "support/transmission_fixture.h"

namespace kalvora::test {

namespace {

Voucher voucher(int consec, const std::string& numero, const Date& fecha = Consolidation::kDay)
{
    Voucher v;
    v.consec = consec;
    v.numero = numero;
    v.fecha = fecha;
    v.descripcion = "Pago de proveedor " + numero;
    v.total = Scaled{consec * 10000, -2};
    // Blanks the copy drops, and a wide decimal it cuts to four places.
    v.lines = {VoucherLine{.item = 1, .descripcion = "Pago  ", .debito = Scaled{1234567 + consec, -6}},
               VoucherLine{.item = 2, .cuenta = "220505", .credito = Scaled{consec * 100, -4}}};
    return v;
}

void north(const std::string& location, const fb::AttachParams& params)
{
    auto statements = ddl::companyDatabase();
    for (auto& sql : statements)
        if (auto at = sql.find("DECO_DEBITO NUMERIC(18,4)"); at != std::string::npos)
            sql.replace(at, 25, "DECO_DEBITO NUMERIC(18,6)");
    ddl::createDatabase(location, params, statements);

    CompanyRows rows(location, params);
    int id = 0;
    const Voucher closed = voucher(1, "000001", {2026, 12, 1});
    rows.voucher(closed);
    rows.audit(voucherEntry(++id, closed));
    for (int n = 2; n <= 7; ++n) {
        const Voucher v = voucher(n, "00000" + std::to_string(n));
        rows.voucher(v);
        rows.audit(voucherEntry(++id, v));
    }
    rows.audit(voucherEntry(++id, voucher(3, "000003")));
    rows.account(Account{.cod = "110505", .nombre = "Caja general", .naturaleza = "D"});
    rows.audit(accountEntry(++id, "110505"));
    rows.thirdParty(ThirdParty{.nit = "800123", .nombre = "Transportes del Norte", .activo = 1});
    rows.audit(thirdPartyEntry(++id, "800123"));
    rows.audit(voucherEntry(++id, voucher(50, "000050"), "D"));
    rows.audit(voucherEntry(++id, voucher(77, "000077"), "D"));
    rows.audit(voucherEntry(++id, voucher(99, "000099")));
}

void south(const std::string& location, const fb::AttachParams& params)
{
    ddl::createDatabase(location, params, ddl::companyDatabase());
    CompanyRows rows(location, params);
    Voucher invoice = voucher(1, "000001");
    invoice.tipo = "FAV";
    invoice.prefijo = "FV";
    rows.voucher(invoice);
    rows.audit(voucherEntry(1, invoice));
    const Voucher outside = voucher(2, "000100");
    rows.voucher(outside);
    rows.audit(voucherEntry(2, outside));
}

}  // namespace

std::vector<std::string> Consolidation::everyKindOfDifference()
{
    const auto header = [](const char* numero) {
        return std::string("(select enco_consec from comprobante_encabezado where enco_numero = '") + numero + "')";
    };
    return {"update comprobante_encabezado set enco_descripcion = 'Editado, a mano' where enco_numero = '000002'",
            "update comprobante_detalle set deco_debito = 999 where deco_item = 1 and enco_consec = " +
                header("000003"),
            "delete from comprobante_detalle where deco_item = 2 and enco_consec = " + header("000004"),
            "insert into comprobante_detalle (enco_consec, deco_item, cuen_cod) values (" + header("000005") +
                ", 9, '110505')",
            "delete from comprobante_detalle where enco_consec = " + header("000006"),
            "delete from comprobante_encabezado where enco_numero = '000006'",
            "insert into comprobante_encabezado (enco_consec, tico_cod, prco_pref, enco_numero, enco_fecha)"
            " values (990, 'CEG', 'CE', '000090', '2026-12-09')",
            "update comprobante_encabezado set enco_fecha = '2026-12-02' where enco_numero = '000007'",
            "update cuentas set cuen_nombre = 'Caja' where cuen_cod = '110505'",
            "delete from terceros where terc_nit = '800123'"};
}

std::string Consolidation::source(const std::string& servidor, const std::string& code)
{
    return companyDatabaseLocation(servidor, code);
}

void Consolidation::build(const std::string& servidor, const std::string& destination, const fb::AttachParams& params)
{
    north(source(servidor, kNorth), params);
    south(source(servidor, kSouth), params);

    CompanyRows rows(destination, params);
    rows.setting(schema::kFechaBloqueo, kLockDate);
    rows.target(1, "Sucursal Norte", servidor, kNorth);
    rows.target(2, "Sucursal Sur", servidor, kSouth, {"FV"});
    Voucher older = voucher(802, "000002");
    older.descripcion = "Copia anterior";
    older.lines.pop_back();
    rows.voucher(older);
    rows.voucher(voucher(850, "000050"));
}

}  // namespace kalvora::test
