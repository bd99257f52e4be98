#include "principalconta/transmission/repair_plan.h"

#include "base/text.h"
#include "data/schema.h"
#include "data/sql_text.h"

#include <algorithm>
#include <map>
#include <tuple>
#include <unordered_map>

namespace kalvora {

namespace {

using Action = RepairItem::Action;
using Kind = VerifySubject::Kind;

// The order of the items of one target: what vouchers refer to comes before them.
int rank(const RepairItem& item)
{
    switch (item.action) {
    case Action::MakeEqual:
        return 0;
    case Action::Copy:
        return item.subject.kind == Kind::Voucher ? 1 : 0;
    case Action::Replace:
        return 1;
    case Action::Delete:
        return 2;
    default:
        return 3;
    }
}

std::string shownOf(const VerifySubject& s)
{
    switch (s.kind) {
    case Kind::Voucher:
        return "Comprobante " + s.tipo + " " + s.prefijo + s.numero;
    case Kind::Account:
        return "Cuenta " + s.codigo;
    default:
        return "Tercero " + s.codigo;
    }
}

// A whole voucher or row missing, not one of its lines.
bool wholeItemMissing(const VerifyDifference& d)
{
    return d.kind == ansi(verify_kind::kMissing) && d.key == shownOf(d.subject);
}

Action actionFor(const VerifyDifference& d, bool deleteExtra)
{
    if (d.kind == ansi(verify_kind::kLocked))
        return Action::Protected;
    if (d.subject.kind != Kind::Voucher)
        return wholeItemMissing(d) ? Action::Copy : Action::MakeEqual;
    if (d.subject.sourceKey == 0)
        return deleteExtra ? Action::Delete : Action::KeepExtra;
    return wholeItemMissing(d) ? Action::Copy : Action::Replace;
}

std::string counted(int n, const char* what) { return std::string(what) + " " + std::to_string(n); }

// One replayed entry as a row of literals: the columns a replay reads, AUDI_ID first.
std::string entryRow(std::size_t position, const RepairItem& item)
{
    const VerifySubject& s = item.subject;
    int tido = schema::kTidoComprobante;
    if (s.kind == Kind::Account)
        tido = schema::kTidoCuenta;
    else if (s.kind == Kind::ThirdParty)
        tido = schema::kTidoTercero;
    const bool voucher = s.kind == Kind::Voucher;
    const std::string oper = item.action == Action::Delete ? schema::kOperBorrado : "M";
    const std::string iddoc = voucher && item.action != Action::Delete ? std::to_string(s.sourceKey) : "null";
    const std::string cod = voucher ? s.prefijo + s.numero : s.codigo;
    return "select cast(" + std::to_string(position + 1) + " as integer) as audi_id, cast(" + std::to_string(tido) +
           " as integer) as tido_cod, cast(" + quoted(oper) + " as char(1)) as audi_oper, cast(" + iddoc +
           " as bigint) as audi_iddoc, cast(" + quoted(cod) + " as varchar(100)) as audi_cod, cast(" +
           quoted(voucher ? s.tipo : "") +
           " as varchar(10)) as audi_tico, current_date as audi_fecha, current_time as audi_hora from rdb$database";
}

// Rows per select of literals: well inside the engine's limits on a statement's length and
// its streams. Keys per select of vouchers: inside its limit on a list; runs of consecutive
// keys go as ranges, a few to a select, so that a branch's whole history is a short text.
constexpr std::size_t kRowsPerSelect = 100;
constexpr std::size_t kKeysPerSelect = 1000;
constexpr std::size_t kRangesPerSelect = 50;
constexpr std::size_t kShortestRange = 3;

bool copiesAVoucher(const RepairItem& item)
{
    return item.subject.kind == Kind::Voucher && (item.action == Action::Copy || item.action == Action::Replace);
}

// The source's own headers as the entries that copy them, AUDI_ID 0.
std::string voucherEntries(const std::string& condition)
{
    return "select cast(0 as integer) as audi_id, cast(" + std::to_string(schema::kTidoComprobante) +
           " as integer) as tido_cod, cast('M' as char(1)) as audi_oper, enco_consec as audi_iddoc, prco_pref ||"
           " enco_numero as audi_cod, tico_cod as audi_tico, enco_fecha as audi_fecha, current_time as audi_hora"
           " from comprobante_encabezado where " +
           condition + " order by enco_consec";
}

// The selects that read these source vouchers, in the order of their keys.
void addVoucherSelections(std::vector<std::int64_t> keys, std::vector<std::string>& selections)
{
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    std::string singles;
    std::string ranges;
    std::size_t singleCount = 0;
    std::size_t rangeCount = 0;
    const auto close = [&] {
        if (singleCount == 0 && rangeCount == 0)
            return;
        std::string condition = ranges;
        if (singleCount > 0)
            condition += (condition.empty() ? "" : " or ") + std::string("enco_consec in (") + singles + ")";
        selections.push_back(voucherEntries(condition));
        singles.clear();
        ranges.clear();
        singleCount = rangeCount = 0;
    };
    for (std::size_t i = 0; i < keys.size();) {
        std::size_t end = i + 1;
        while (end < keys.size() && keys[end] == keys[end - 1] + 1)
            ++end;
        if (end - i >= kShortestRange) {
            ranges += (ranges.empty() ? "" : " or ") + std::string("enco_consec between ") + std::to_string(keys[i]) +
                      " and " + std::to_string(keys[end - 1]);
            if (++rangeCount == kRangesPerSelect)
                close();
        } else
            for (std::size_t k = i; k < end; ++k) {
                singles += (singles.empty() ? "" : ", ") + std::to_string(keys[k]);
                if (++singleCount == kKeysPerSelect)
                    close();
            }
        i = end;
    }
    close();
}

}  // namespace

int RepairPlan::count(Action action) const
{
    return int(std::count_if(items.begin(), items.end(), [&](const RepairItem& i) { return i.action == action; }));
}

int RepairPlan::changes() const
{
    return count(Action::Copy) + count(Action::Replace) + count(Action::MakeEqual) + count(Action::Delete);
}

RepairPlan planRepair(const VerifyReport& report, bool deleteExtra, const std::vector<std::size_t>& differences)
{
    std::vector<std::size_t> rows = differences;
    if (rows.empty())
        for (std::size_t i = 0; i < report.differences.size(); ++i)
            rows.push_back(i);
    std::map<std::string, std::size_t> targetOrder;
    for (std::size_t t = 0; t < report.targets.size(); ++t)
        targetOrder.emplace(report.targets[t].name, t);

    RepairPlan plan;
    plan.deleteExtra = deleteExtra;
    // One item per target and subject; a voucher replaced for one line is replaced whole.
    std::map<std::tuple<std::string, int, std::string>, std::size_t> seen;
    for (const std::size_t row : rows) {
        if (row >= report.differences.size())
            continue;
        const VerifyDifference& d = report.differences[row];
        const std::string shown = shownOf(d.subject);
        const auto key = std::make_tuple(d.target, int(d.subject.kind), shown);
        const Action action = actionFor(d, deleteExtra);
        if (const auto found = seen.find(key); found != seen.end()) {
            RepairItem& item = plan.items[found->second];
            if (item.action == Action::Copy && action == Action::Replace)
                item.action = Action::Replace;
            continue;
        }
        seen.emplace(key, plan.items.size());
        plan.items.push_back({action, d.target, shown, d.fecha, d.subject});
    }
    std::stable_sort(plan.items.begin(), plan.items.end(), [&](const RepairItem& a, const RepairItem& b) {
        const auto order = [&](const RepairItem& i) {
            const auto t = targetOrder.find(i.target);
            return std::make_pair(t == targetOrder.end() ? targetOrder.size() : t->second, rank(i));
        };
        return order(a) < order(b);
    });
    return plan;
}

std::string actionName(Action action)
{
    switch (action) {
    case Action::Copy:
        return "copiar";
    case Action::Replace:
        return "reemplazar";
    case Action::MakeEqual:
        return "igualar";
    case Action::Delete:
        return "borrar";
    case Action::KeepExtra:
        return ansi("dejar: sobra en destino (--delete-extra lo borra)");
    default:
        return ansi("no se toca: protegido por la fecha de bloqueo");
    }
}

std::string planCounts(const RepairPlan& plan)
{
    return counted(plan.count(Action::Copy), "copiar") + ", " + counted(plan.count(Action::Replace), "reemplazar") +
           ", " + counted(plan.count(Action::MakeEqual), "igualar") + ", " +
           counted(plan.count(Action::Delete), "borrar") + "; " +
           counted(plan.count(Action::KeepExtra), "se dejan por sobrar en destino") + "; " +
           counted(plan.count(Action::Protected), "protegidos");
}

std::vector<std::string> repairPlanText(const RepairPlan& plan)
{
    std::vector<std::string> lines{ansi("Plan de reparación: no se escribe nada"), "Total: " + planCounts(plan)};
    std::string target;
    for (const RepairItem& item : plan.items) {
        if (item.target != target) {
            target = item.target;
            lines.push_back(target);
        }
        lines.push_back("  " + item.shown + (item.fecha.empty() ? "" : "  " + item.fecha) + "  " +
                        actionName(item.action));
    }
    return lines;
}

std::vector<std::string> repairSelections(const RepairPlan& plan, const std::string& target)
{
    std::vector<std::string> selections;
    std::string rows;                // entries made of literals
    std::vector<std::int64_t> keys;  // source vouchers to copy, read as entries of their own
    std::size_t rowsInSelect = 0;
    const auto close = [&] {
        if (!rows.empty())
            selections.push_back(rows + " order by 1");
        if (!keys.empty())
            addVoucherSelections(std::move(keys), selections);
        rows.clear();
        keys.clear();
        rowsInSelect = 0;
    };
    for (std::size_t i = 0; i < plan.items.size(); ++i) {
        const RepairItem& item = plan.items[i];
        if (item.target != target || item.action == Action::KeepExtra || item.action == Action::Protected)
            continue;
        const bool copied = copiesAVoucher(item);
        if ((copied && !rows.empty()) || (!copied && !keys.empty()))
            close();
        if (copied)
            keys.push_back(item.subject.sourceKey);
        else {
            rows += (rows.empty() ? "" : " union all ") + entryRow(i, item);
            if (++rowsInSelect == kRowsPerSelect)
                close();
        }
    }
    close();
    return selections;
}

std::unordered_map<std::int64_t, std::size_t> copiedVouchers(const RepairPlan& plan, const std::string& target)
{
    std::unordered_map<std::int64_t, std::size_t> positions;
    for (std::size_t i = 0; i < plan.items.size(); ++i)
        if (plan.items[i].target == target && copiesAVoucher(plan.items[i]))
            positions.emplace(plan.items[i].subject.sourceKey, i);
    return positions;
}

}  // namespace kalvora
