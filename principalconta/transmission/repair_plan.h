#pragma once
// What a repair sets right, read from a verification: each voucher, account or third party
// once, with what is done to it. A voucher that differs in any way is copied again whole, as
// a transmission copies it; one only in the destination is deleted only when asked; what the
// lock date protects is never touched.
#include "principalconta/transmission/verify.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace kalvora {

struct RepairItem {
    enum class Action {
        Copy,       // missing in the destination
        Replace,    // a voucher that differs there, or is held twice
        MakeEqual,  // an account or third party that differs there
        Delete,     // only in the destination, deletion asked for
        KeepExtra,  // only in the destination, kept
        Protected,  // the lock date keeps it as it is
    };
    Action action = Action::Copy;
    std::string target;  // as the verification names it: "003 Servicios Logísticos del Valle Ltda."
    std::string shown;   // "Comprobante NCO NV000016", "Cuenta 110505", "Tercero 800123"
    std::string fecha;   // a voucher's date, as the verification showed it
    VerifySubject subject;
};

struct RepairPlan {
    // Per target in the verification's order: accounts and third parties first, then vouchers,
    // then deletions, then what is left as it is.
    std::vector<RepairItem> items;
    bool deleteExtra = false;

    int count(RepairItem::Action action) const;
    // Items the repair writes for.
    int changes() const;
};

// differences: indexes into report.differences, the rows to set right; every row when empty.
RepairPlan planRepair(const VerifyReport& report, bool deleteExtra, const std::vector<std::size_t>& differences = {});

// "copiar 1, reemplazar 1, igualar 1, borrar 0; se dejan 1 que sobran en destino; 0 protegidos"
std::string planCounts(const RepairPlan& plan);

// The plan as --dry-run prints it: the counts, then each item with its action, per target.
std::vector<std::string> repairPlanText(const RepairPlan& plan);

// "copiar", "reemplazar", ...: the action as the plan and the report name it.
std::string actionName(RepairItem::Action action);

// The selects, to be read on the target's source, whose rows are the entries that replay the
// target's items in the plan's order: each row has the columns of AUDITORIA that a replay
// reads. AUDI_ID is the item's position in the plan plus one, or 0 for a voucher copied from
// the source, whose item copiedVouchers finds by its key. None when the target has nothing
// to write.
std::vector<std::string> repairSelections(const RepairPlan& plan, const std::string& target);

// The positions in the plan of the target's vouchers to copy, by their key in its source.
std::unordered_map<std::int64_t, std::size_t> copiedVouchers(const RepairPlan& plan, const std::string& target);

}  // namespace kalvora
