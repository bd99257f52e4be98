#pragma once
// Compares what each replication target's source holds with what the destination holds,
// without writing to either: vouchers dated in the range, and the accounts and third
// parties that the range's audit entries touched.
#include "base/calendar.h"
#include "ui/dialogs.h"
#include "ui/progress.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kalvora {

class Componentes;
struct RunContext;

// What a difference is about, as a repair finds it in the databases again.
struct VerifySubject {
    enum class Kind { Voucher, Account, ThirdParty };
    Kind kind = Kind::Voucher;
    // A voucher's type, prefix and number, trimmed; an account's or third party's code.
    std::string tipo;
    std::string prefijo;
    std::string numero;
    std::string codigo;
    // The voucher's ENCO_CONSEC in the target's source; 0 when no source holds it.
    std::int64_t sourceKey = 0;
};

// One line of the detail file. Texts in Windows-1252.
struct VerifyDifference {
    std::string target;       // "002 Alameda Distribuciones S.A.S."
    std::string kind;         // one of the kinds below
    std::string key;          // "Comprobante FAV FV000123", "... línea 2", "Cuenta 110505", "Tercero 800123"
    std::string column;       // the column that differs; "" for a whole row
    std::string source;       // value in the source
    std::string destination;  // value in the destination
    // What names the item to an accountant: a voucher's date and total, an account's or a
    // third party's name.
    std::string fecha;
    std::string total;
    std::string nombre;
    VerifySubject subject;
};

namespace verify_kind {
inline constexpr const char* kMissing = "Falta en destino";
inline constexpr const char* kExtra = "Sobra en destino";
inline constexpr const char* kDifferent = "Diferente";
// Differs, but the lock date keeps the run from changing it: reported apart.
inline constexpr const char* kLocked = "Protegido por la fecha de bloqueo";
}  // namespace verify_kind

struct VerifyTarget {
    std::string name;
    int vouchers = 0;  // source vouchers compared
    int accounts = 0;  // accounts and third parties compared
    int differences = 0;
    int locked = 0;
};

struct VerifyReport {
    bool completed = false;  // false when the guard refused to start
    std::vector<VerifyTarget> targets;
    std::vector<VerifyDifference> differences;  // in target order; locked ones included
    int differenceCount() const;
    int lockedCount() const;
};

// Takes the guard, settings, connections and row stores of "Enviar". Database errors stop
// it and propagate.
VerifyReport verificar(Componentes& c, Dialogs& dialogs, Progress& progress, const std::string& companiaDestino,
                       const Date& desde, const Date& hasta);

// "002 Alameda Distribuciones S.A.S.": the current target of Creplicac as a report names it.
std::string verifyTargetName(Componentes& c);

// The same comparison inside a scope that already reads (the repair's): every target of
// Creplicac, the lock date taken from run.
VerifyReport verifyTargets(RunContext& run, Progress& progress, const Date& desde, const Date& hasta);

// "002 Alameda Distribuciones S.A.S.: 185 comprobantes y 12 cuentas o terceros comparados,
// 1 diferencia, 0 protegidos", one per target, then the total (Windows-1252).
std::vector<std::string> verifySummary(const VerifyReport& report);

// The differences as CSV, header line first, fields parted by separator.
std::string verifyCsv(const VerifyReport& report, std::string_view separator);

// The detail file of the last verification.
inline constexpr const char* kVerifyDetailFile = "VERIFICACION.CSV";

// Writes it in the installation directory, header line first, fields parted by the regional
// list separator, whole or not at all; returns its path, or "" after saying why it could not
// be written.
std::string writeVerifyDetail(Dialogs& dialogs, const VerifyReport& report);

}  // namespace kalvora
