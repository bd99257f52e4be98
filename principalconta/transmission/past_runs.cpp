#include "principalconta/transmission/past_runs.h"

#include "base/text.h"
#include "principalconta/transmission/report_page.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace kalvora {

namespace {

std::string unescaped(std::string text)
{
    const std::pair<const char*, char> entities[] = {{"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&amp;", '&'}};
    for (const auto& [entity, ch] : entities)
        for (std::size_t at = text.find(entity); at != std::string::npos; at = text.find(entity, at + 1))
            text.replace(at, std::char_traits<char>::length(entity), 1, ch);
    return text;
}

std::string metaValue(const std::string& page, const std::string& name)
{
    const std::string marker = "<meta name=\"kalvora-" + name + "\" content=\"";
    const std::size_t at = page.find(marker);
    if (at == std::string::npos)
        return {};
    const std::size_t start = at + marker.size();
    return unescaped(page.substr(start, page.find('"', start) - start));
}

std::string totals(const std::string& page)
{
    const std::string marker = "<!-- kalvora-totales ";
    const std::size_t at = page.rfind(marker);
    if (at == std::string::npos)
        return ansi("incompleto (la transmisión no terminó)");
    std::istringstream in(page.substr(at + marker.size()));
    int taken = 0, sent = 0, failed = 0, skipped = 0;
    std::string state;
    in >> taken >> sent >> failed >> skipped >> state;
    std::string text = "enviadas " + std::to_string(sent) + ", con error " + std::to_string(failed) + ", omitidas " +
                       std::to_string(skipped);
    return state == "detenida" ? text + ansi(" (se detuvo)") : text;
}

}  // namespace

std::vector<PastRun> pastRuns(const std::string& directory)
{
    std::vector<PastRun> runs;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(reportsFolder(directory), ignored)) {
        const std::string name = entry.path().filename().string();
        if (!name.starts_with("envio-") || !name.ends_with(".html"))
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        const std::string page = bytes.str();
        runs.push_back({entry.path().string(), metaValue(page, "fecha"), metaValue(page, "usuario"),
                        metaValue(page, "destino"), totals(page)});
    }
    std::sort(runs.begin(), runs.end(), [](const PastRun& a, const PastRun& b) { return a.path > b.path; });
    return runs;
}

}  // namespace kalvora
