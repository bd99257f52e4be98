#include "support/report_pages.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace kalvora::test {

std::vector<std::string> reportPages(const std::string& directory, const std::string& kind)
{
    std::vector<std::string> pages;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(directory + "/informes", ignored)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with(kind + "-") && name.ends_with(".html"))
            pages.push_back(entry.path().string());
    }
    std::sort(pages.begin(), pages.end());
    return pages;
}

std::string fileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string visibleText(const std::string& page)
{
    std::string folded;
    bool inTag = false;
    const std::size_t body = page.find("<body>");
    for (const char ch : page.substr(body == std::string::npos ? 0 : body)) {
        const bool blank = ch == '<' || ch == '>' || ch == '\n' || ch == ' ' || inTag;
        if (ch == '<')
            inTag = true;
        else if (ch == '>')
            inTag = false;
        if (!blank)
            folded += ch;
        else if (!folded.empty() && folded.back() != ' ')
            folded += ' ';
    }
    while (!folded.empty() && folded.back() == ' ')
        folded.pop_back();
    return folded;
}

std::string reportRow(const std::string& page, const std::string& item)
{
    const std::size_t at = page.find("<td>" + item + "</td>");
    if (at == std::string::npos)
        return {};
    return visibleText(page.substr(at, page.find("</tr>", at) - at));
}

}  // namespace kalvora::test
