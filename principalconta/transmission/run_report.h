#pragma once
// The page of one transmission, informes/envio-AAAAMMDD-HHMMSS.html: who ran it, towards
// which company and for which days, and per source company what was taken up, sent,
// failed or kept by the lock date, each failure with its reason. The run feeds it as it
// goes (see report_page.h for a run that is killed).
#include "base/calendar.h"
#include "principalconta/transmission/report_page.h"

#include <memory>
#include <string>

namespace kalvora {

struct RunCounts {
    int taken = 0;
    int sent = 0;
    int failed = 0;
    int skipped = 0;  // kept as they are by the lock date
};

// An entry the report lists: one that failed, or one the lock date kept.
struct ReportedEntry {
    std::string item;        // "Comprobante NCO NV000016", "Cuenta 110505", "Tercero 800123"
    std::string fecha;       // the audit entry's date
    std::string engineText;  // the destination's refusal as the engine wrote it; "" if none
    std::string reason;      // used when there is no engine text to explain
};

class RunReport {
public:
    RunReport(const std::string& directory, const std::string& usuario, const std::string& companiaDestino,
              const Date& desde, const Date& hasta);
    ~RunReport();
    RunReport(const RunReport&) = delete;
    RunReport& operator=(const RunReport&) = delete;

    // "" when the page could not be written.
    const std::string& path() const;
    const RunCounts& totals() const { return totals_; }

    void replicationUser(const std::string& usuario);
    void startSource(const std::string& name);
    void entryTaken(const std::string& item);
    void entrySent();
    void entryFailed(const ReportedEntry& entry);
    void entrySkipped(const ReportedEntry& entry);
    // The user answered No to going on after a failure: the source's later entries wait.
    void targetCut();
    void finishSource();
    // A source company that could not be opened or read: its entries wait for the next run.
    void sourceUnreachable(const std::string& message);
    // The run stopped: where it was and the error that stopped it.
    void stopped(const std::string& why);
    // A stop was asked for (a signal, a logoff): the run ended after a whole entry.
    void interrupted();
    void finish();

private:
    void closeTable();
    void addRow(const ReportedEntry& entry, bool failed);
    std::string sourceCounts() const;
    std::string pendingNote() const;

    std::unique_ptr<ReportPage> page_;
    std::string source_;   // the source company being sent
    std::string current_;  // the entry being sent
    RunCounts counts_;     // of the source being sent
    RunCounts totals_;
    bool tableOpen_ = false;
    bool stopped_ = false;
};

}  // namespace kalvora
