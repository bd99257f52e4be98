#pragma once
// What "Enviar" would do with the same dates, without writing anything anywhere: for each
// target, in run order, the entries its selection takes and what the run would make of each.
#include "base/calendar.h"
#include "principalconta/transmission/unreachable_source.h"
#include "ui/dialogs.h"
#include "ui/progress.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace kalvora {

class Componentes;

enum class PreviewAction {
    Copy,             // a voucher, account or third party the destination lacks
    Replace,          // one it holds: replaced (voucher) or overwritten
    Delete,           // a voucher deletion
    Locked,           // left alone: the lock date protects it in the source or the destination
    SourceMissing,    // the source no longer holds it: nothing happens
    NothingToDelete,  // a deletion of a voucher the destination does not hold
    NamesNothing,     // an entry without its voucher or code: the run fails it
};
inline constexpr std::size_t kPreviewActions = 7;

// One entry. Texts in Windows-1252.
struct PreviewLine {
    std::string target;
    std::int64_t audiId = 0;
    int tido = 0;
    std::string audiCod;  // as stored
    std::string fecha;    // AUDI_FECHA and AUDI_HORA in the regional formats
    std::string hora;
    std::string tipo;    // "Comprobante", "Cuenta", "Tercero"
    std::string codigo;  // "CEG CE000123" for a voucher, else AUDI_COD
    PreviewAction action = PreviewAction::Copy;
};

struct PreviewTarget {
    std::string name;
    std::array<int, kPreviewActions> counts{};
    int entries() const;
};

struct PreviewReport {
    bool completed = false;  // false when the guard refused to start
    std::vector<PreviewTarget> targets;
    std::vector<PreviewLine> lines;
    // Targets whose source could not be opened or read, as the run lists them.
    std::vector<UnreachableSource> unreachable;
};

// Takes the guard, settings, connections, selection and reads of "Enviar"; writes no flag,
// journal line or destination row. Database errors stop it and propagate.
PreviewReport vistaPrevia(Componentes& c, Dialogs& dialogs, Progress& progress, const std::string& companiaDestino,
                          const Date& desde, const Date& hasta);

// "copiar", "omitir: protegido por la fecha de bloqueo", ...
std::string actionText(PreviewAction action);

// The preview for a console: per target its name, its lines ("  2026/12/09 08:00:01
// Comprobante CEG CE000001  copiar") and its subtotal, then the total.
std::vector<std::string> previewText(const PreviewReport& report);
// "Sucursal Norte: 13 entradas (copiar 5, reemplazar 2, ...)".
std::string previewCounts(const std::string& name, const std::array<int, kPreviewActions>& counts);
std::array<int, kPreviewActions> previewTotals(const PreviewReport& report);

// The lines as CSV, header first, fields parted by separator (the regional list separator).
std::string previewCsv(const PreviewReport& report, std::string_view separator = ",");

}  // namespace kalvora
