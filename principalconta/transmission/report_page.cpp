#include "principalconta/transmission/report_page.h"

#include "base/markup.h"
#include "base/text.h"
#include "settings/clock.h"
#include "settings/installation.h"
#include "settings/regional_formats.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace kalvora {

namespace {

std::string twoDigits(int n) { return (n < 10 ? "0" : "") + std::to_string(n); }

std::string fileStamp(const Timestamp& t)
{
    return std::to_string(t.date.year) + twoDigits(t.date.month) + twoDigits(t.date.day) + "-" +
           twoDigits(t.time.hour) + twoDigits(t.time.minute) + twoDigits(t.time.second);
}

const char* const kStyle = "<style>"
                           "body{font-family:Segoe UI,Arial,sans-serif;margin:2em;color:#222}"
                           "h1{font-size:1.5em}h2{font-size:1.2em;margin-top:1.6em;border-bottom:1px solid #ccc}"
                           "table{border-collapse:collapse;margin:.6em 0}"
                           "th,td{border:1px solid #bbb;padding:.3em .6em;text-align:left;vertical-align:top}"
                           "th{background:#eef1f5}td.n{text-align:right}"
                           ".motor{font-family:Consolas,monospace;font-size:.85em;color:#555;white-space:pre-wrap}"
                           ".fallo{color:#a00}.aviso{color:#8a5a00}.bien{color:#070}"
                           ".incompleto{color:#a00;font-weight:bold;border:2px solid #a00;padding:.5em}"
                           "</style>";

}  // namespace

std::string reportsFolder(const std::string& directory) { return installationFile(directory, "informes"); }

std::string reportFactRow(const std::string& label, const std::string& value)
{
    return "<tr><th>" + label + "</th><td>" + escapeMarkup(value) + "</td></tr>\n";
}

std::unique_ptr<ReportPage> openReportPage(const std::string& directory, const std::string& kind,
                                           const std::string& title, const ReportHeading& heading)
{
    const auto meta = [](const std::string& name, const std::string& content) {
        return "<meta name=\"kalvora-" + name + "\" content=\"" + escapeMarkup(content) + "\">\n";
    };
    const auto iso = [](const Date& d) {
        return std::to_string(d.year) + "-" + twoDigits(d.month) + "-" + twoDigits(d.day);
    };
    const Timestamp when = now();
    const RegionalFormats formats = regionalFormats();
    const std::string stamp = formats.date(when.date) + " " + formats.time(when.time);
    auto page = std::make_unique<ReportPage>(directory, kind, when, title,
                                             meta("fecha", stamp) + meta("usuario", heading.usuario) +
                                                 meta("destino", heading.companiaDestino));
    page->add("<table>\n" + reportFactRow("Fecha y hora", stamp) +
              reportFactRow(ansi("Usuario de la sesión"), heading.usuario) +
              reportFactRow(ansi("Compañía de destino"), heading.companiaDestino) +
              reportFactRow("Periodo", "del " + iso(heading.desde) + " al " + iso(heading.hasta)));
    return page;
}

ReportPage::ReportPage(const std::string& directory, const std::string& kind, const Timestamp& when,
                       const std::string& title, const std::string& head)
{
    const std::string folder = reportsFolder(directory);
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    const std::string base = installationFile(folder, kind + "-" + fileStamp(when));
    // Two runs in one second keep a page each.
    std::string path = base + ".html";
    for (int n = 2; std::filesystem::exists(path, ignored); ++n)
        path = base + "-" + std::to_string(n) + ".html";
    file_ = std::fopen(path.c_str(), "wb");
    if (!file_)
        return;
    path_ = path;
    add("<!DOCTYPE html>\n<html lang=\"es\">\n<head>\n<meta charset=\"windows-1252\">\n<title>" + title + "</title>\n" +
        head + kStyle + "\n</head>\n<body>\n<h1>" + title + "</h1>\n");
}

ReportPage::~ReportPage()
{
    if (file_)
        std::fclose(file_);
}

void ReportPage::add(const std::string& body, const std::string& pendingHtml)
{
    if (!file_)
        return;
    std::fseek(file_, end_, SEEK_SET);
    std::fwrite(body.data(), 1, body.size(), file_);
    end_ = std::ftell(file_);
    writeTail(pendingHtml + "<p class=\"incompleto\">Estado del informe: incompleto</p>\n");
}

void ReportPage::pending(const std::string& pendingHtml) { add({}, pendingHtml); }

void ReportPage::finish(const std::string& body)
{
    if (!file_)
        return;
    std::fseek(file_, end_, SEEK_SET);
    std::fwrite(body.data(), 1, body.size(), file_);
    end_ = std::ftell(file_);
    writeTail("</body>\n</html>\n");
    std::fclose(file_);
    file_ = nullptr;
}

// A tail shorter than the one it replaces leaves the file cut where it ends.
void ReportPage::writeTail(const std::string& tail)
{
    std::fwrite(tail.data(), 1, tail.size(), file_);
    const long size = std::ftell(file_);
    if (std::fflush(file_) != 0) {
        std::fclose(file_);
        file_ = nullptr;
        return;
    }
    if (size < size_) {
        std::error_code ignored;
        std::filesystem::resize_file(path_, std::uintmax_t(size), ignored);
    }
    size_ = size;
}

}  // namespace kalvora
