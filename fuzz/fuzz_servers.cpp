// SERVIDORES.cfg: any bytes give entries without line ends or NULs, one per line end, and
// reading the file gives what parsing its bytes gives.
#include "fuzz/check.h"
#include "fuzz/scratch.h"
#include "settings/servers.h"

#include <cstdint>
#include <fstream>
#include <string>

using namespace kalvora;
using kalvora::fuzz::require;

namespace {

std::size_t lineEnds(const std::string& content)
{
    std::size_t ends = 0;
    for (std::size_t i = 0; i < content.size(); ++i) {
        if (content[i] == '\n' || content[i] == '\r') {
            ++ends;
            if (content[i] == '\r' && i + 1 < content.size() && content[i + 1] == '\n')
                ++i;
        }
    }
    return ends;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string content(reinterpret_cast<const char*>(data), size);
    const auto entries = parseServerList(content);

    const bool unterminated = !content.empty() && content.back() != '\n' && content.back() != '\r';
    require(entries.size() == lineEnds(content) + (unterminated ? 1 : 0), "one entry per line");
    std::size_t bytes = 0;
    for (const auto& entry : entries) {
        require(entry.find_first_of(std::string("\r\n\0", 3)) == std::string::npos, "no line end or NUL in an entry");
        require(content.find(entry) != std::string::npos, "an entry is bytes of the file");
        bytes += entry.size();
    }
    require(bytes <= content.size(), "no byte made up");

    std::ofstream(kalvora::fuzz::scratchFolder() + "/SERVIDORES.cfg", std::ios::binary | std::ios::trunc) << content;
    require(readServerList(kalvora::fuzz::scratchFolder()) == entries, "the file reads as its bytes parse");
    return 0;
}
