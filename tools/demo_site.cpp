#include "tools/demo_site.h"

#include "base/errors.h"
#include "base/picture.h"
#include "base/text.h"
#include "data/ddl.h"
#include "data/locations.h"
#include "data/schema.h"
#include "principalconta/transmission/csv_line.h"
#include "principalconta/transmission/verify.h"
#include "tools/bulk_rows.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <numeric>
#include <random>

namespace kalvora::tools {

namespace {

namespace fs = std::filesystem;

constexpr const char* kLockPicture = "yyyy/MM/dd";
constexpr const char* kReplicationUser = "SYSDBA";
constexpr const char* kReplicationPassword = "masterkey";

fb::AttachParams embeddedSysdba()
{
    fb::AttachParams p;
    p.user = "SYSDBA";
    p.hasUser = true;
    return p;
}

struct CompanyInfo {
    const char* code;
    const char* name;
    const char* nit;
    const char* address;
    const char* phones;
};

const CompanyInfo kCompanies[] = {
    {"001", "Grupo Empresarial Alameda S.A.S. - Consolidado", "900123456-7", "Calle 26 # 68C-61, Bogotá D.C.",
     "(601) 745 2310"},
    {"002", "Alameda Distribuciones S.A.S.", "900234567-1", "Carrera 43A # 14-109, Medellín", "(604) 312 8890"},
    {"003", "Servicios Logísticos del Valle Ltda.", "805012345-3", "Avenida 6N # 23-45, Cali", "(602) 485 1177"},
};

struct AccountInfo {
    const char* code;
    const char* name;
    const char* nature;  // D debit, C credit
};

// The destination's chart holds the first kChartInDestination of them already.
const AccountInfo kAccounts[] = {
    {"110505", "Caja general", "D"},
    {"111005", "Bancos - cuenta corriente", "D"},
    {"130505", "Clientes nacionales", "D"},
    {"135515", "Retención en la fuente (anticipo)", "D"},
    {"143505", "Mercancías no fabricadas por la empresa", "D"},
    {"220505", "Proveedores nacionales", "C"},
    {"236540", "Retención en la fuente por compras", "C"},
    {"240805", "IVA por pagar", "C"},
    {"250505", "Salarios por pagar", "C"},
    {"413535", "Comercio al por mayor y al por menor", "C"},
    {"510506", "Sueldos", "D"},
    {"511095", "Honorarios", "D"},
    {"512010", "Arrendamientos de construcciones y edificaciones", "D"},
    {"513530", "Energía eléctrica", "D"},
    {"513535", "Teléfono e internet", "D"},
    {"519530", "Útiles, papelería y fotocopias", "D"},
    {"523550", "Transportes, fletes y acarreos", "D"},
    {"530505", "Gastos bancarios", "D"},
    {"613535", "Costo de ventas - comercio al por mayor", "D"},
    {"519595", "Otros gastos diversos", "D"},
};
constexpr std::size_t kChartInDestination = 14;
// The account whose name someone changed by hand in the destination after a run had sent it.
constexpr std::size_t kEditedAccount = 7;
const char* const kEditedAccountName = "IVA por pagar (editada en el consolidado)";

// A voucher that only the destination holds: someone recorded it there by hand.
struct ExtraVoucher {
    const char* tipo = "NCO";
    const char* prefijo = "NV";
    const char* numero = "000900";
    const char* descripcion = "Ajuste registrado solo en el consolidado";
    std::int64_t total = 320'000'00;  // cents
};
const ExtraVoucher kExtraVoucher;

struct ThirdPartyInfo {
    const char* nit;
    const char* name;
    const char* type;  // PJ company, PN person
    const char* phone;
};

const ThirdPartyInfo kCustomers[] = {
    {"900345678-1", "Comercializadora La Sabana S.A.S.", "PJ", "(601) 623 4410"},
    {"901234567-3", "Papelería y Suministros El Estudiante S.A.S.", "PJ", "(604) 266 0912"},
    {"800765432-5", "Inversiones Montaña Verde S.A.", "PJ", "(606) 884 3321"},
    {"79456123", "Juan Carlos Rodríguez Peña", "PN", "310 456 7890"},
    {"52345678", "Ana María Gutiérrez Salazar", "PN", "315 222 3344"},
    {"1020456789", "Andrés Felipe Muñoz Ortiz", "PN", "300 765 4321"},
    {"900987654-0", "Ferretería La Esperanza S.A.S.", "PJ", "(602) 447 1020"},
    {"43567890", "Luz Ángela Ramírez Cárdenas", "PN", "311 908 1122"},
};

const ThirdPartyInfo kSuppliers[] = {
    {"830045612-9", "Transportes Rápidos del Norte Ltda.", "PJ", "(601) 412 7788"},
    {"890456123-2", "Empresa de Energía del Pacífico S.A. E.S.P.", "PJ", "(602) 660 5000"},
    {"900555111-8", "Agencia de Aduanas Andina S.A.S.", "PJ", "(605) 360 2211"},
    {"71234567", "Jorge Iván Quintero Zapata", "PN", "312 640 9988"},
    {"900777222-4", "Distribuidora de Café El Cafetal S.A.S.", "PJ", "(606) 335 1414"},
    {"860533120-6", "Arrendamientos y Propiedades Los Andes S.A.", "PJ", "(601) 349 0700"},
};

const char* const kClerks[] = {"MGOMEZ", "JRODRIGUEZ", "LRAMIREZ", "CPATINO"};

// A voucher type of the suite and the prefix its numbers carry in one company.
struct VoucherKind {
    const char* tipo;
    const char* prefijo;
};

struct Line {
    const char* cuenta;
    std::string tercero;
    std::string descripcion;
    std::int64_t debito = 0;  // cents
    std::int64_t credito = 0;
    std::int64_t base = 0;
};

Value money4(std::int64_t cents) { return Scaled{cents * 100, -4}; }
Value money2(std::int64_t cents) { return Scaled{cents, -2}; }

Date daysBefore(const Date& d, int days) { return fromDayNumber(toDayNumber(d) - days); }

TimeOfDay later(const TimeOfDay& t, int seconds)
{
    const int total = t.hour * 3600 + t.minute * 60 + t.second + seconds;
    return {std::min(total / 3600, 23), total / 60 % 60, total % 60, 0};
}

std::string number(int n)
{
    std::string text = std::to_string(n);
    return std::string(6 - std::min<std::size_t>(6, text.size()), '0') + text;
}

// The destination's copy of a voucher, as a transmission writes it (its own key, 0 at
// position 8), with another description.
struct Copy {
    BulkRows* rows = nullptr;
    int consec = 0;
    std::string descripcion;
};

// An account as the suite stores it, with the name given.
void insertAccount(BulkRows& rows, const AccountInfo& a, const std::string& nombre)
{
    rows.insert(schema::kCuentas, {{"CUEN_COD", a.code},
                                   {"CUEN_NOMBRE", nombre},
                                   {"CUEN_NATURALEZA", a.nature},
                                   {"CUEN_NIVEL", 4},
                                   {"CUEN_SALDO", money4(0)},
                                   {"CUEN_TASA", money2(0)},
                                   {"CUEN_CREADA", Date{2015, 1, 2}},
                                   {"CUEN_NOTAS", ansi("Plan único de cuentas")}});
}

// One source company: its documents, and audit entries in the order the suite wrote them.
// Counts the entries that a transmission of `today` selects for its target.
class SourceCompany {
public:
    SourceCompany(const std::string& location, const Date& today, std::uint32_t seed, std::vector<std::string> prefixes,
                  int firstConsec)
        : rows_(location, embeddedSysdba()), today_(today), random_(seed), prefixes_(std::move(prefixes)),
          consec_(firstConsec)
    {
        for (const auto& a : kAccounts)
            account(a);
        for (const auto& t : kCustomers)
            thirdParty(t);
        for (const auto& t : kSuppliers)
            thirdParty(t);
    }

    enum class Document { Factura, Recibo, Egreso, Nota };

    // A new voucher of the day and its creation entry.
    void voucher(Document document, const VoucherKind& kind, const std::string& envio = "N", int daysAgo = 0)
    {
        const int consec = writeVoucher(document, kind, daysBefore(today_, daysAgo), linesFor(document, kind));
        audit(schema::kTidoComprobante, consec, "M", std::string(kind.prefijo) + number(numbers_[kind.prefijo]),
              kind.tipo, ansi("Creación del comprobante"), envio, daysAgo);
    }

    // A voucher corrected later the same day: two entries for one voucher.
    void correctedVoucher(Document document, const VoucherKind& kind)
    {
        voucher(document, kind);
        pendingCorrections_.push_back(
            {consec_ - 1, std::string(kind.prefijo) + number(numbers_[kind.prefijo]), kind.tipo});
    }

    // Corrections come after every voucher written so far.
    void corrections()
    {
        for (const auto& c : pendingCorrections_)
            audit(schema::kTidoComprobante, c.consec, "M", c.cod, c.tipo, ansi("Modificación del comprobante"));
        pendingCorrections_.clear();
    }

    // A voucher of a month already closed, touched today: the lock date turns it away.
    void lockedVoucher(const VoucherKind& kind)
    {
        const int consec =
            writeVoucher(Document::Egreso, kind, daysBefore(today_, 45), linesFor(Document::Egreso, kind));
        audit(schema::kTidoComprobante, consec, "M", std::string(kind.prefijo) + number(numbers_[kind.prefijo]),
              kind.tipo, ansi("Modificación del comprobante"));
    }

    // A voucher as a verification names it.
    struct ShownVoucher {
        std::string key;
        std::string total;
    };

    // A voucher of the day that an earlier run took to the destination, where someone then
    // changed its description by hand: what a verification is for.
    ShownVoucher editedCopy(const VoucherKind& kind, BulkRows& destination, int destinationConsec,
                            const std::string& edited)
    {
        const std::vector<Line> lines = linesFor(Document::Egreso, kind);
        const int consec =
            writeVoucher(Document::Egreso, kind, today_, lines, Copy{&destination, destinationConsec, edited});
        const std::string cod = std::string(kind.prefijo) + number(numbers_[kind.prefijo]);
        audit(schema::kTidoComprobante, consec, "M", cod, kind.tipo, ansi("Creación del comprobante"),
              schema::kEnvioEnviado);
        return {"Comprobante " + std::string(kind.tipo) + " " + cod, totalOf(lines).asText()};
    }

    // A line with a negative debit, which the destination's CHECK refuses.
    ShownVoucher refusedVoucher(const VoucherKind& kind)
    {
        const std::int64_t advance = 1'250'000'00;
        const std::string supplier = kSuppliers[2].nit;
        const std::vector<Line> lines{
            {"220505", supplier, ansi("Reversión del anticipo a la agencia de aduanas"), -advance, 0, 0},
            {"111005", "", ansi("Reintegro a la cuenta corriente"), 0, -advance, 0}};
        const int consec = writeVoucher(Document::Nota, kind, today_, lines);
        const std::string cod = std::string(kind.prefijo) + number(numbers_[kind.prefijo]);
        audit(schema::kTidoComprobante, consec, "M", cod, kind.tipo, ansi("Creación del comprobante"));
        ++failing_;
        return {"Comprobante " + std::string(kind.tipo) + " " + cod, totalOf(lines).asText()};
    }

    // The deletion of a voucher that an earlier transmission took to the destination.
    void deletion(const std::string& tipo, const std::string& cod)
    {
        audit(schema::kTidoComprobante, 0, schema::kOperBorrado, cod, tipo, ansi("Eliminación del comprobante"));
    }

    void accountEntry(const AccountInfo& a, int daysAgo = 0, const std::string& envio = "N")
    {
        audit(schema::kTidoCuenta, 0, "M", a.code, "", ansi("Actualización de la cuenta"), envio, daysAgo);
    }

    void thirdPartyEntry(const ThirdPartyInfo& t, int daysAgo = 0)
    {
        audit(schema::kTidoTercero, 0, "M", t.nit, "", ansi("Actualización de datos del tercero"), "N", daysAgo);
    }

    std::mt19937& random() { return random_; }
    int selected() const { return selected_; }
    int failing() const { return failing_; }

    void commit() { rows_.commit(); }

private:
    struct Correction {
        int consec;
        std::string cod;
        std::string tipo;
    };

    std::int64_t amount(int lowestPesos, int highestPesos)
    {
        // Whole hundreds of pesos, in cents.
        std::uniform_int_distribution<int> hundreds(lowestPesos / 100, highestPesos / 100);
        return std::int64_t(hundreds(random_)) * 100 * 100;
    }

    template <std::size_t N>
    const ThirdPartyInfo& pick(const ThirdPartyInfo (&list)[N])
    {
        return list[std::uniform_int_distribution<std::size_t>(0, N - 1)(random_)];
    }

    std::vector<Line> linesFor(Document document, const VoucherKind& kind)
    {
        const std::string numero = std::string(kind.prefijo) + number(numbers_[kind.prefijo] + 1);
        switch (document) {
        case Document::Factura: {
            const std::int64_t base = amount(120'000, 7'500'000);
            const std::int64_t iva = base * 19 / 100;
            const std::string customer = pick(kCustomers).nit;
            return {{"130505", customer, ansi("Factura de venta ") + numero, base + iva, 0, 0},
                    {"413535", customer, ansi("Venta de mercancías"), 0, base, 0},
                    {"240805", customer, ansi("IVA generado 19%"), 0, iva, base}};
        }
        case Document::Recibo: {
            const std::int64_t total = amount(80'000, 5'000'000);
            const std::string customer = pick(kCustomers).nit;
            return {{"110505", customer, ansi("Recaudo en efectivo"), total, 0, 0},
                    {"130505", customer, ansi("Abono a cartera"), 0, total, 0}};
        }
        case Document::Egreso: {
            const std::int64_t base = amount(200'000, 6'000'000);
            const std::int64_t retencion = base * 25 / 1000;
            const std::string supplier = pick(kSuppliers).nit;
            return {{"220505", supplier, ansi("Pago de factura de proveedor"), base, 0, 0},
                    {"236540", supplier, ansi("Retención en la fuente 2,5%"), 0, retencion, base},
                    {"111005", "", ansi("Transferencia desde la cuenta corriente"), 0, base - retencion, 0}};
        }
        case Document::Nota: {
            const char* expenses[] = {"513530", "513535", "512010", "511095", "523550", "519530"};
            const char* expense = expenses[std::uniform_int_distribution<int>(0, 5)(random_)];
            const std::int64_t base = amount(90'000, 3'500'000);
            const std::string supplier = pick(kSuppliers).nit;
            return {{expense, supplier, ansi("Causación del gasto del mes"), base, 0, 0},
                    {"220505", supplier, ansi("Cuenta por pagar al proveedor"), 0, base, 0}};
        }
        }
        return {};
    }

    // ENCO_TOTAL: the sum of the debits.
    static Value totalOf(const std::vector<Line>& lines)
    {
        return money2(std::accumulate(lines.begin(), lines.end(), std::int64_t{0},
                                      [](std::int64_t sum, const Line& l) { return sum + l.debito; }));
    }

    int writeVoucher(Document document, const VoucherKind& kind, const Date& fecha, const std::vector<Line>& lines,
                     const Copy& copy = {})
    {
        const int consec = consec_++;
        const int numero = ++numbers_[kind.prefijo];
        static const char* const descriptions[] = {"Factura de venta de mercancías", "Recibo de caja",
                                                   "Comprobante de egreso", "Nota de contabilidad"};
        Columns header{{"ENCO_CONSEC", consec},
                       {"TICO_COD", kind.tipo},
                       {"PRCO_PREF", kind.prefijo},
                       {"ENCO_NUMERO", number(numero)},
                       {"ENCO_FECHA", fecha},
                       {"ENCO_DESCRIPCION", ansi(descriptions[int(document)])},
                       {"ENCO_TOTAL", totalOf(lines)},
                       {"ENCO_HORA", clock_},
                       {"ENCO_ESTADO", 1},
                       {"ENCO_REGISTRO", Timestamp{fecha, clock_}},
                       {"ENCO_NOTAS", ansi("Registrado por el área de contabilidad.")}};
        rows_.insert(schema::kComprobanteEncabezado, header);
        if (copy.rows) {
            header[0].second = copy.consec;
            header[5].second = copy.descripcion;
            header[8].second = 0;
            copy.rows->insert(schema::kComprobanteEncabezado, header);
        }
        int item = 0;
        for (const auto& l : lines) {
            Columns line{{"ENCO_CONSEC", consec},
                         {"DECO_ITEM", ++item},
                         {"CUEN_COD", l.cuenta},
                         {"TERC_NIT", l.tercero.empty() ? Value() : Value(l.tercero)},
                         {"DECO_DESCRIPCION", l.descripcion},
                         {"DECO_DEBITO", money4(l.debito)},
                         {"DECO_CREDITO", money4(l.credito)},
                         {"DECO_BASE", l.base ? money2(l.base) : Value()},
                         {"DECO_FECHA", fecha}};
            rows_.insert(schema::kComprobanteDetalle, line);
            if (copy.rows) {
                line[0].second = copy.consec;
                copy.rows->insert(schema::kComprobanteDetalle, line);
            }
        }
        return consec;
    }

    void account(const AccountInfo& a) { insertAccount(rows_, a, ansi(a.name)); }

    void thirdParty(const ThirdPartyInfo& t)
    {
        const bool person = std::string(t.type) == "PN";
        rows_.insert(schema::kTerceros, {{"TERC_NIT", t.nit},
                                         {"TERC_NOMBRE", ansi(t.name)},
                                         {"TERC_TIPO", t.type},
                                         {"TERC_TELEFONO", t.phone},
                                         {"TERC_CUPO", money4(person ? 5'000'000'00 : 50'000'000'00)},
                                         {"TERC_DESCUENTO", money2(person ? 0 : 250)},
                                         {"TERC_NACIMIENTO", person ? Value(Date{1978, 5, 14}) : Value()},
                                         {"TERC_HORA_CONTACTO", TimeOfDay{9, 0, 0, 0}},
                                         {"TERC_REGISTRO", Timestamp{{2019, 3, 1}, {8, 30, 0, 0}}},
                                         {"TERC_FOTO", Value()},
                                         {"TERC_ACTIVO", 1}});
    }

    bool matchesPrefixes(const std::string& cod) const
    {
        return prefixes_.empty() ||
               std::any_of(prefixes_.begin(), prefixes_.end(), [&](const auto& p) { return cod.starts_with(p); });
    }

    void audit(int tido, int iddoc, const std::string& oper, const std::string& cod, const std::string& tico,
               const std::string& razon, const std::string& envio = "N", int daysAgo = 0)
    {
        const Date fecha = daysBefore(today_, daysAgo);
        rows_.insert(schema::kAuditoria, {{"AUDI_ID", ++audiId_},
                                          {"AUDI_USUARIO", kClerks[std::uniform_int_distribution<int>(0, 3)(random_)]},
                                          {"AUDI_FECHA", fecha},
                                          {"AUDI_HORA", clock_},
                                          {"TIDO_COD", tido},
                                          {"AUDI_IDDOC", iddoc},
                                          {"AUDI_OPER", oper},
                                          {"AUDI_COD", cod},
                                          {"AUDI_ENVIO", envio},
                                          {"AUDI_TICO", tico},
                                          {"AUDI_RAZON", razon}});
        if (envio == schema::kEnvioPendiente && fecha == today_ && matchesPrefixes(cod))
            ++selected_;
        clock_ = later(clock_, std::uniform_int_distribution<int>(20, 90)(random_));
    }

    BulkRows rows_;
    Date today_;
    std::mt19937 random_;
    std::vector<std::string> prefixes_;
    int consec_;
    int audiId_ = 0;
    std::map<std::string, int> numbers_;
    TimeOfDay clock_{7, 30, 0, 0};
    std::vector<Correction> pendingCorrections_;
    int selected_ = 0;
    int failing_ = 0;
};

// Runs the actions in a shuffled order, as a working day mixes them.
void shuffled(std::vector<std::function<void()>> actions, std::mt19937& random)
{
    std::shuffle(actions.begin(), actions.end(), random);
    for (const auto& action : actions)
        action();
}

void repeat(std::vector<std::function<void()>>& actions, int times, const std::function<void()>& action)
{
    for (int i = 0; i < times; ++i)
        actions.push_back(action);
}

// The target with prefixes: sales invoices and cash receipts only; its payments, accounts
// and third parties stay in the company.
void fillDistribuciones(SourceCompany& s)
{
    const VoucherKind factura{"FAV", "FV"};
    const VoucherKind recibo{"RCC", "RC"};
    const VoucherKind egreso{"CEG", "CE"};
    using D = SourceCompany::Document;

    // Sent by earlier runs, and pending from earlier days.
    for (int i = 0; i < 15; ++i)
        s.voucher(D::Factura, factura, schema::kEnvioEnviado, 1 + i % 3);
    for (int i = 0; i < 10; ++i)
        s.voucher(D::Factura, factura, schema::kEnvioPendiente, 2 + i % 4);

    std::vector<std::function<void()>> day;
    repeat(day, 100, [&] { s.voucher(D::Factura, factura); });
    repeat(day, 10, [&] { s.correctedVoucher(D::Factura, factura); });
    repeat(day, 50, [&] { s.voucher(D::Recibo, recibo); });
    repeat(day, 20, [&] { s.voucher(D::Egreso, egreso); });
    for (std::size_t i = 0; i < 8; ++i)
        day.push_back([&s, i] { s.accountEntry(kAccounts[i * 2]); });
    for (std::size_t i = 0; i < 4; ++i)
        day.push_back([&s, i] { s.thirdPartyEntry(kCustomers[i]); });
    shuffled(std::move(day), s.random());
    s.corrections();
}

// The target without prefixes: everything it records travels, including one voucher the
// destination refuses, a deletion and a voucher of a closed month. One voucher sent earlier
// was edited by hand in the destination. Returns what verifying the day finds.
// The lines of VERIFICACION.CSV after the day's transmission, and after a repair.
struct ExpectedDifferences {
    std::vector<std::string> verified;
    std::vector<std::string> leftAfterRepair;
};

ExpectedDifferences fillValle(SourceCompany& s, BulkRows& destination, const Date& today,
                              const std::string& deletedTipo, const std::string& deletedCod)
{
    const VoucherKind egreso{"CEG", "EV"};
    const VoucherKind nota{"NCO", "NV"};
    const VoucherKind recibo{"RCC", "RV"};
    using D = SourceCompany::Document;

    for (int i = 0; i < 8; ++i)
        s.voucher(D::Egreso, egreso, schema::kEnvioPendiente, 1 + i % 5);
    const std::string edited = ansi("Comprobante de egreso (corregido en el consolidado)");
    const auto editedCopy = s.editedCopy(egreso, destination, 4571, edited);

    std::vector<std::function<void()>> morning;
    repeat(morning, 40, [&] { s.voucher(D::Egreso, egreso); });
    repeat(morning, 15, [&] { s.voucher(D::Nota, nota); });
    repeat(morning, 10, [&] { s.voucher(D::Recibo, recibo); });
    for (std::size_t i = 0; i < 8; ++i)
        morning.push_back([&s, i] { s.accountEntry(kAccounts[kChartInDestination - 4 + i % 6]); });
    morning.push_back([&] { s.deletion(deletedTipo, deletedCod); });
    morning.push_back([&] { s.lockedVoucher(egreso); });
    shuffled(std::move(morning), s.random());

    const auto refused = s.refusedVoucher(nota);

    std::vector<std::function<void()>> afternoon;
    repeat(afternoon, 30, [&] { s.voucher(D::Egreso, egreso); });
    repeat(afternoon, 15, [&] { s.voucher(D::Nota, nota); });
    repeat(afternoon, 10, [&] { s.voucher(D::Recibo, recibo); });
    for (std::size_t i = 0; i < 7; ++i)
        afternoon.push_back([&s, i] { s.accountEntry(kAccounts[std::size(kAccounts) - 1 - i]); });
    for (std::size_t i = 0; i < 6; ++i)
        afternoon.push_back([&s, i] { s.thirdPartyEntry(kSuppliers[i]); });
    for (std::size_t i = 0; i < 6; ++i)
        afternoon.push_back([&s, i] { s.thirdPartyEntry(kCustomers[i + 2]); });
    shuffled(std::move(afternoon), s.random());

    // An account that an earlier run sent; its name was changed by hand in the destination.
    s.accountEntry(kAccounts[kEditedAccount], 0, schema::kEnvioEnviado);

    const std::string target = std::string(kCompanies[2].code) + " " + ansi(kCompanies[2].name);
    const std::string shownToday = formatDate(today, kLockPicture);
    const ExtraVoucher& extra = kExtraVoucher;
    const std::string editedAccount = ansi(kAccounts[kEditedAccount].name);
    // A repair cannot copy the refused voucher either, and keeps the extra one.
    ExpectedDifferences expected;
    expected.leftAfterRepair = {
        csvLine({target, ansi(verify_kind::kExtra),
                 "Comprobante " + std::string(extra.tipo) + " " + extra.prefijo + extra.numero, "", "", shownToday,
                 shownToday, money2(extra.total).asText(), ""}),
        csvLine({target, ansi(verify_kind::kMissing), refused.key, "", shownToday, "", shownToday, refused.total, ""})};
    expected.verified = {
        csvLine({target, ansi(verify_kind::kDifferent), "Cuenta " + std::string(kAccounts[kEditedAccount].code),
                 "CUEN_NOMBRE", editedAccount, ansi(kEditedAccountName), "", "", editedAccount}),
        csvLine({target, ansi(verify_kind::kDifferent), editedCopy.key, "ENCO_DESCRIPCION",
                 ansi("Comprobante de egreso"), edited, shownToday, editedCopy.total, ""})};
    expected.verified.insert(expected.verified.end(), expected.leftAfterRepair.begin(), expected.leftAfterRepair.end());
    return expected;
}

void removeEarlierDemo(const fs::path& folder)
{
    if (!fs::exists(folder))
        return;
    if (!fs::is_empty(folder) && !fs::exists(folder / "kalvora.reg"))
        throw Error(ansi("La carpeta ") + folder.string() + ansi(" no está vacía ni contiene una demo anterior"));
    fs::remove_all(folder);
}

void writeText(const fs::path& file, const std::string& text) { std::ofstream(file, std::ios::binary) << text; }

// regedit's escapes inside a quoted text.
std::string regText(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    return out;
}

void writeGeneral(const std::string& server)
{
    const std::string location = generalDatabaseLocation(server);
    ddl::createDatabase(location, embeddedSysdba(), ddl::generalDatabase());
    BulkRows rows(location, embeddedSysdba());
    for (const auto& c : kCompanies)
        rows.insert(schema::kCompania, {{"COMP_COD", c.code},
                                        {"COM_NOMBRE", ansi(c.name)},
                                        {"COMP_NIT", c.nit},
                                        {"COMP_LOGO", Value()},
                                        {"COMP_DIR", ansi(c.address)},
                                        {"COMP_TELS", c.phones},
                                        {"COMP_ENCABEZADO", ansi(c.name)}});
    rows.insert(schema::kUsuario, {{"USUA_COD", "SYSDBA"}, {"USUA_NOMBRE", "Administrador del sistema"}});
    rows.insert(schema::kUsuario, {{"USUA_COD", "MGOMEZ"}, {"USUA_NOMBRE", ansi("María Fernanda Gómez Restrepo")}});
    rows.commit();
}

// The consolidation: its settings, its two targets, the chart of accounts and a voucher that
// an earlier transmission brought and the source has since deleted.
void writeDestination(const std::string& server, const Date& today, const std::string& deletedTipo,
                      const std::string& deletedPrefijo, const std::string& deletedNumero)
{
    const std::string location = companyDatabaseLocation(server, kCompanies[0].code);
    auto statements = ddl::companyDatabase();
    statements.push_back("ALTER TABLE COMPROBANTE_DETALLE ADD CONSTRAINT DECO_VALORES_NO_NEGATIVOS"
                         " CHECK (DECO_DEBITO >= 0 AND DECO_CREDITO >= 0)");
    ddl::createDatabase(location, embeddedSysdba(), statements);

    BulkRows rows(location, embeddedSysdba());
    const auto setting = [&](const schema::Setting& s, const std::string& value) {
        rows.insert(schema::kConfiguracion, {{"CONF_MODULO", s.modulo},
                                             {"CONF_CATEGORIA", s.categoria},
                                             {"CONF_PROPIEDAD", s.propiedad},
                                             {"CONF_VALOR", value}});
    };
    setting(schema::kFechaBloqueo, formatDate(Date{today.year, today.month, 1}, kLockPicture));
    setting(schema::kUsuarioReplica, kReplicationUser);
    setting(schema::kClaveReplica, kReplicationPassword);

    rows.insert(schema::kReplicaConta, {{"RPCO_ID", 1},
                                        {"RPCO_NOMBRE", ansi(kCompanies[1].name)},
                                        {"RPCO_SERVIDOR", server},
                                        {"RPCO_COD", kCompanies[1].code}});
    int item = 0;
    for (const char* prefix : {"FV", "RC"})
        rows.insert(
            schema::kReplicaContaDetalle,
            {{"RPCO_ID", 1}, {"RPCD_ITEM", ++item}, {"RPCD_PREF", prefix}, {"RPCD_PROY", ""}, {"RPCD_CENTRO", ""}});
    rows.insert(schema::kReplicaConta, {{"RPCO_ID", 2},
                                        {"RPCO_NOMBRE", ansi(kCompanies[2].name)},
                                        {"RPCO_SERVIDOR", server},
                                        {"RPCO_COD", kCompanies[2].code}});

    for (std::size_t i = 0; i < kChartInDestination; ++i)
        if (i == kEditedAccount)
            insertAccount(rows, kAccounts[i], ansi(kEditedAccountName));
        else
            rows.insert(schema::kCuentas, {{"CUEN_COD", kAccounts[i].code},
                                           {"CUEN_NOMBRE", ansi(kAccounts[i].name)},
                                           {"CUEN_NATURALEZA", kAccounts[i].nature},
                                           {"CUEN_NIVEL", 4},
                                           {"CUEN_CREADA", Date{2015, 1, 2}}});
    for (std::size_t i = 0; i < 3; ++i)
        rows.insert(schema::kTerceros, {{"TERC_NIT", kSuppliers[i].nit},
                                        {"TERC_NOMBRE", ansi(kSuppliers[i].name)},
                                        {"TERC_TIPO", kSuppliers[i].type},
                                        {"TERC_ACTIVO", 1}});

    constexpr int kConsec = 4570;
    rows.insert(schema::kComprobanteEncabezado, {{"ENCO_CONSEC", kConsec},
                                                 {"TICO_COD", deletedTipo},
                                                 {"PRCO_PREF", deletedPrefijo},
                                                 {"ENCO_NUMERO", deletedNumero},
                                                 {"ENCO_FECHA", today},
                                                 {"ENCO_DESCRIPCION", "Nota de contabilidad"},
                                                 {"ENCO_TOTAL", money2(845'000'00)},
                                                 {"ENCO_ESTADO", 0}});
    rows.insert(schema::kComprobanteDetalle, {{"ENCO_CONSEC", kConsec},
                                              {"DECO_ITEM", 1},
                                              {"CUEN_COD", "513530"},
                                              {"DECO_DESCRIPCION", ansi("Energía eléctrica sede Yumbo")},
                                              {"DECO_DEBITO", money4(845'000'00)},
                                              {"DECO_CREDITO", money4(0)},
                                              {"DECO_FECHA", today}});
    const ExtraVoucher& extra = kExtraVoucher;
    constexpr int kExtraConsec = 4572;
    rows.insert(schema::kComprobanteEncabezado, {{"ENCO_CONSEC", kExtraConsec},
                                                 {"TICO_COD", extra.tipo},
                                                 {"PRCO_PREF", extra.prefijo},
                                                 {"ENCO_NUMERO", extra.numero},
                                                 {"ENCO_FECHA", today},
                                                 {"ENCO_DESCRIPCION", ansi(extra.descripcion)},
                                                 {"ENCO_TOTAL", money2(extra.total)},
                                                 {"ENCO_ESTADO", 0}});
    rows.insert(schema::kComprobanteDetalle, {{"ENCO_CONSEC", kConsec},
                                              {"DECO_ITEM", 2},
                                              {"CUEN_COD", "220505"},
                                              {"DECO_DESCRIPCION", "Cuenta por pagar"},
                                              {"DECO_DEBITO", money4(0)},
                                              {"DECO_CREDITO", money4(845'000'00)},
                                              {"DECO_FECHA", today}});
    rows.commit();
}

}  // namespace

DemoSite buildDemo(const std::string& folder, const Date& today)
{
    DemoSite site;
    site.folder = fs::absolute(folder).lexically_normal().string();
    if (site.folder.size() > 1 && site.folder.back() == '/')
        site.folder.pop_back();
    site.registry = site.folder + "/kalvora.reg";
    site.server = site.folder + "/servidor";
    site.destination = kCompanies[0].code;
    removeEarlierDemo(site.folder);
    fs::create_directories(site.folder);

    writeText(site.registry, "Windows Registry Editor Version 5.00\r\n\r\n"
                             "[HKEY_LOCAL_MACHINE\\Software\\Quenti\\Kalvora2015]\r\n"
                             "\"Directorio\"=\"" +
                                 regText(site.folder) +
                                 "\"\r\n\r\n"
                                 "[HKEY_CURRENT_USER\\Control Panel\\International]\r\n"
                                 "\"sShortDate\"=\"" +
                                 std::string(kLockPicture) +
                                 "\"\r\n"
                                 "\"sTimeFormat\"=\"HH:mm:ss\"\r\n");
    writeText(site.folder + "/SERVIDORES.cfg", site.server + "\r\n");

    const std::string deletedTipo = "NCO";
    const std::string deletedPrefijo = "NV";
    const std::string deletedNumero = "000457";
    writeGeneral(site.server);
    writeDestination(site.server, today, deletedTipo, deletedPrefijo, deletedNumero);

    const auto source = [&](const CompanyInfo& company) {
        const std::string location = companyDatabaseLocation(site.server, company.code);
        ddl::createDatabase(location, embeddedSysdba(), ddl::companyDatabase());
        return location;
    };
    SourceCompany distribuciones(source(kCompanies[1]), today, 2015, {"FV", "RC"}, 5001);
    fillDistribuciones(distribuciones);
    distribuciones.commit();
    SourceCompany valle(source(kCompanies[2]), today, 607, {}, 7001);
    BulkRows consolidated(companyDatabaseLocation(site.server, site.destination), embeddedSysdba());
    ExpectedDifferences differences =
        fillValle(valle, consolidated, today, deletedTipo, deletedPrefijo + deletedNumero);
    site.expectedDifferences = std::move(differences.verified);
    site.expectedAfterRepair = std::move(differences.leftAfterRepair);
    valle.commit();
    consolidated.commit();

    const int failing = distribuciones.failing() + valle.failing();
    site.expected.concluded = true;
    site.expected.transmitted = distribuciones.selected() + valle.selected() - failing;
    site.expected.failed = failing;
    site.expected.targets = 2;
    return site;
}

}  // namespace kalvora::tools
