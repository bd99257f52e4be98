#pragma once
// The page of one repair, informes/reparacion-AAAAMMDD-HHMMSS.html: who ran it, towards
// which company and for which days, the plan, every item set right or not with its reason,
// what was left as it is, and the verification after it. Written as the repair goes, like a
// run's page, so that a repair that is killed leaves a page that says so.
#include "base/calendar.h"
#include "principalconta/transmission/repair_plan.h"
#include "principalconta/transmission/report_page.h"

#include <memory>
#include <string>
#include <vector>

namespace kalvora {

struct RepairCounts {
    int repaired = 0;
    int failed = 0;
    int protectedByLock = 0;  // found protected only when the repair reached it
};

class RepairReport {
public:
    RepairReport(const std::string& directory, const std::string& usuario, const std::string& companiaDestino,
                 const Date& desde, const Date& hasta, const RepairPlan& plan);
    ~RepairReport();
    RepairReport(const RepairReport&) = delete;
    RepairReport& operator=(const RepairReport&) = delete;

    // "" when the page could not be written.
    const std::string& path() const;
    const RepairCounts& totals() const { return totals_; }

    void replicationUser(const std::string& usuario);
    void startSource(const std::string& name);
    void itemTaken(const RepairItem& item);
    void itemRepaired();
    void itemFailed(const std::string& engineText);
    void itemProtected(const std::string& reason);
    void finishSource();
    void sourceUnreachable(const std::string& message);
    void stopped(const std::string& why);
    void interrupted();
    // What the plan left as it is, and the verification after the repair.
    void finish(const std::vector<std::string>& verificationAfter);

private:
    void addRow(const std::string& result, const std::string& resultClass, const std::string& reason,
                const std::string& engineText, const std::string& advice);
    void closeTable();
    std::string pendingNote() const;

    std::unique_ptr<ReportPage> page_;
    const RepairPlan& plan_;
    std::string source_;
    const RepairItem* current_ = nullptr;
    RepairCounts totals_;
    bool tableOpen_ = false;
    bool stopped_ = false;
};

}  // namespace kalvora
