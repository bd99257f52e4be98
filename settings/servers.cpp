#include "settings/servers.h"

#include "settings/installation.h"

#include <fstream>
#include <iterator>
#include <string_view>

namespace kalvora {

namespace {

std::string entryText(std::string_view content, std::size_t begin, std::size_t end)
{
    const std::string_view line = content.substr(begin, end - begin);
    return std::string(line.substr(0, line.find('\0')));
}

}  // namespace

std::vector<std::string> readServerList(const std::string& directory)
{
    std::ifstream file(installationFile(directory, "SERVIDORES.cfg"), std::ios::binary);
    if (!file)
        return {};
    return parseServerList({std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()});
}

std::vector<std::string> parseServerList(const std::string& content)
{
    std::vector<std::string> entries;
    std::size_t begin = 0;
    for (std::size_t i = 0; i < content.size(); ++i) {
        if (content[i] != '\r' && content[i] != '\n')
            continue;
        entries.push_back(entryText(content, begin, i));
        if (content[i] == '\r' && i + 1 < content.size() && content[i + 1] == '\n')
            ++i;
        begin = i + 1;
    }
    // A last line without a line end counts when it has any byte, even a leading NUL.
    if (begin < content.size())
        entries.push_back(entryText(content, begin, content.size()));
    return entries;
}

}  // namespace kalvora
