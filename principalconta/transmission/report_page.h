#pragma once
// A self-contained HTML page in the installation directory's "informes" folder, written as
// the work goes: every piece is on disk when add() returns, followed by a closing paragraph
// that says the work did not end, until finish() replaces it. A page whose program was
// killed so ends with "incompleto".
#include "base/calendar.h"

#include <cstdio>
#include <memory>
#include <string>

namespace kalvora {

class ReportPage {
public:
    // kind and when name the file: "envio" gives informes/envio-AAAAMMDD-HHMMSS.html. title
    // and head are Windows-1252 HTML; head goes inside <head> (meta lines). A page that
    // cannot be written leaves path() empty, and every call after that does nothing.
    ReportPage(const std::string& directory, const std::string& kind, const Timestamp& when, const std::string& title,
               const std::string& head);
    ~ReportPage();
    ReportPage(const ReportPage&) = delete;
    ReportPage& operator=(const ReportPage&) = delete;

    const std::string& path() const { return path_; }
    // Appends body HTML; pending is what a page left here shows before its last line.
    void add(const std::string& html, const std::string& pending = {});
    // Replaces the pending part once more without adding anything.
    void pending(const std::string& html);
    // Appends the page's end; the page no longer says "incompleto".
    void finish(const std::string& html);

private:
    void writeTail(const std::string& tail);

    std::FILE* file_ = nullptr;
    std::string path_;
    long end_ = 0;   // where the body ends and the pending tail starts
    long size_ = 0;  // the file's length
};

// "informes" in the installation directory.
std::string reportsFolder(const std::string& directory);

// Who ran the work, towards which company and for which days.
struct ReportHeading {
    std::string usuario;
    std::string companiaDestino;
    Date desde;
    Date hasta;
};

// A page of kind opened now, with the heading in meta lines (which the list of reports
// reads back) and in a table of facts left open for the caller's own rows.
std::unique_ptr<ReportPage> openReportPage(const std::string& directory, const std::string& kind,
                                           const std::string& title, const ReportHeading& heading);

// A row of the table of facts, the value escaped.
std::string reportFactRow(const std::string& label, const std::string& value);

}  // namespace kalvora
