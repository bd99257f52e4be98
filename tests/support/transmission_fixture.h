#pragma once
// A server folder for transmissions: a destination company and source companies built from
// the project's DDL (embedded engine), a registry file that installs the program in that
// folder, rows written straight into the databases, and the main window's components
// signed in and connected the way "Conectar" leaves them.
#include "data/schema.h"
#include "data/value.h"
#include "principalconta/componentes.h"
#include "support/scratch.h"
#include "ui/dialogs.h"
#include "ui/progress.h"

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kalvora::test {

using Columns = std::vector<std::pair<std::string, Value>>;

// A COMPROBANTE_DETALLE row; ENCO_CONSEC comes from its voucher.
struct VoucherLine {
    int item = 1;
    std::string cuenta = "110505";
    Value tercero{};
    Value descripcion{};
    Value debito{};  // NUMERIC(18,4)
    Value credito{};
    Value base{};  // NUMERIC(9,2)
    Value fecha{};
};

struct Voucher {
    int consec = 1;
    std::string tipo = "CEG";
    std::string prefijo = "CE";
    std::string numero = "000001";
    Date fecha{2026, 12, 9};
    Value descripcion{};
    Value total{};
    Value hora{};
    Value estado = 7;  // position 8
    Value registro{};
    Value notas{};
    std::vector<VoucherLine> lines{};
};

struct Account {
    std::string cod{};
    Value nombre{};
    Value naturaleza{};
    Value nivel{};
    Value saldo{};  // NUMERIC(15,4)
    Value tasa{};   // NUMERIC(9,2)
    Value creada{};
    Value notas{};
};

struct ThirdParty {
    std::string nit{};
    Value nombre{};
    Value tipo{};
    Value telefono{};
    Value cupo{};       // NUMERIC(15,4)
    Value descuento{};  // NUMERIC(9,2)
    Value nacimiento{};
    Value horaContacto{};
    Value registro{};
    Value foto{};
    Value activo{};
};

struct AuditEntry {
    int id = 1;
    int tido = schema::kTidoComprobante;
    std::string cod{};
    int iddoc = 0;
    std::string oper = "M";
    std::string tico{};
    Date fecha{2026, 12, 9};
    std::optional<TimeOfDay> hora{};  // 08:00 plus id seconds when not given
    std::string envio = "N";
};

AuditEntry voucherEntry(int id, const Voucher& v, const std::string& oper = "M");
AuditEntry accountEntry(int id, const std::string& cod);
AuditEntry thirdPartyEntry(int id, const std::string& nit);

// Writes into one company database through one attachment; every row is committed at once.
class CompanyRows {
public:
    // The embedded engine's user unless told otherwise (a database reached through a server).
    explicit CompanyRows(const std::string& location, const fb::AttachParams& params = embeddedUser());
    ~CompanyRows();
    CompanyRows(const CompanyRows&) = delete;
    CompanyRows& operator=(const CompanyRows&) = delete;

    void insert(const std::string& table, const Columns& columns);
    void execute(const std::string& sql);

    void voucher(const Voucher& v);
    void account(const Account& a);
    void thirdParty(const ThirdParty& t);
    void audit(const AuditEntry& e);
    void setting(const schema::Setting& s, const std::string& value);
    // A commit trigger that refuses every transaction leaving an entry flagged sent, with the
    // message "marcas rechazadas".
    void refuseSentFlags();
    // A REPLICA_CONTA row and one REPLICA_CONTA_DETALLE row per prefix.
    void target(int id, const std::string& nombre, const std::string& servidor, const std::string& cod,
                const std::vector<std::string>& prefixes = {});

private:
    std::unique_ptr<fb::Attachment> attachment_;
};

// The program installed in root: a registry file named by KALVORA_REGISTRY for as long as
// this lives, holding the installation directory and the regional formats.
class TransmissionSite {
public:
    enum class Databases { Create, Existing };
    static constexpr const char* kDestination = "DES";
    static constexpr const char* kReplicationUser = "SYSDBA";
    static constexpr const char* kReplicationPassword = "masterkey";

    // Create makes the destination company with the replication credentials in its
    // CONFIGURACION; Existing uses the databases already below root.
    explicit TransmissionSite(std::string root, Databases databases = Databases::Create);
    ~TransmissionSite();
    TransmissionSite(const TransmissionSite&) = delete;
    TransmissionSite& operator=(const TransmissionSite&) = delete;

    const std::string& root() const { return root_; }
    std::string destination() const;
    std::string source(const std::string& code) const;
    std::string addSource(const std::string& code);

    void setFormats(const std::string& shortDate, const std::string& longTime = "HH:mm:ss");
    // The regional list separator (sList); none is written while it is "".
    void setListSeparator(const std::string& separator);

    // The journal's bytes; "" when it does not exist.
    std::string journal(const std::string& name) const;
    // Its lines without their CR LF.
    std::vector<std::string> journalLines(const std::string& name) const;

    // Signed in as SYSDBA on root, hooked to the data error dialogs, destination connected
    // and targets loaded.
    std::unique_ptr<Componentes> connect(Dialogs& dialogs) const;

private:
    void writeRegistry() const;

    std::string root_;
    std::string shortDate_ = "yyyy/MM/dd";
    std::string longTime_ = "HH:mm:ss";
    std::string listSeparator_;
    std::optional<std::string> previousRegistry_;
};

// Points the source connection at a company and QAuditor at one of its entries, as the run
// does before it dispatches the entry.
void selectEntry(Componentes& c, const std::string& sourceLocation, int audiId);

// Remembers what the run did to the progress panel, e.g. "show", "caption:...", "reset:3",
// "step", "hide".
class RecordingProgress : public Progress {
public:
    void show() override { events.push_back("show"); }
    void hide() override { events.push_back("hide"); }
    void setCaption(const std::string& text) override { events.push_back("caption:" + text); }
    void reset(int maximum) override { events.push_back("reset:" + std::to_string(maximum)); }
    void step() override { events.push_back("step"); }

    std::vector<std::string> events;
};

}  // namespace kalvora::test
