#include "support/database_snapshot.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace kalvora::test {

namespace {

std::string trimmed(std::string text)
{
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

}  // namespace

std::vector<std::string> databaseSnapshot(const std::string& location, const fb::AttachParams& params)
{
    auto attachment = fb::Attachment::attach(location, params);
    std::vector<std::string> all;
    {
        fb::Transaction tr(*attachment);
        const auto select = [&](const std::string& sql) {
            fb::Statement statement(*attachment, tr, sql);
            return statement.fetchAll(tr);
        };
        for (const auto& table : select("select rdb$relation_name from rdb$relations"
                                        " where rdb$system_flag = 0 and rdb$view_blr is null")
                                     .rows) {
            const std::string name = trimmed(table[0].asText());
            for (const auto& row : select("select * from " + name).rows) {
                std::string text = name;
                for (const auto& value : row)
                    text += value.isNull() ? std::string("|null") : "|" + value.asText();
                all.push_back(text);
            }
        }
        for (const auto& generator :
             select("select rdb$generator_name from rdb$generators where rdb$system_flag = 0").rows) {
            const std::string name = trimmed(generator[0].asText());
            all.push_back(name + "=" +
                          select("select gen_id(" + name + ", 0) from rdb$database").rows.at(0)[0].asText());
        }
        tr.commit();
    }
    attachment->detach();
    std::sort(all.begin(), all.end());
    return all;
}

std::map<std::string, std::string> folderSnapshot(const std::string& folder)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (!entry.is_regular_file())
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        files[entry.path().filename().string()] = {std::istreambuf_iterator<char>(in),
                                                   std::istreambuf_iterator<char>()};
    }
    return files;
}

}  // namespace kalvora::test
