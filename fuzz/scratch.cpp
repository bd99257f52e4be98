#include "fuzz/scratch.h"

#include "fuzz/check.h"

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>

namespace kalvora::fuzz {

namespace {

std::string folder;
std::unique_ptr<fb::Attachment> attachment;

void removeFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

// Registered after the engine started, so that it runs before the engine's own shutdown.
void detachDatabase() { attachment->detach(); }

}  // namespace

const std::string& scratchFolder()
{
    if (folder.empty()) {
        namespace fs = std::filesystem;
        std::random_device random;
        fs::path candidate;
        // create_directory is false when the name is taken.
        do
            candidate = fs::temp_directory_path() / ("kalvora-fuzz-" + std::to_string(random()));
        while (!fs::create_directory(candidate));
        folder = candidate.string();
        std::atexit(removeFolder);
    }
    return folder;
}

fb::Attachment& scratchDatabase(const std::vector<std::string>& statements)
{
    if (attachment)
        return *attachment;
    fb::AttachParams params;
    params.user = "SYSDBA";
    params.hasUser = true;
    params.forcedWrites = false;
    attachment = fb::Attachment::create(scratchFolder() + "/fuzz.fdb", params);
    for (const auto& sql : statements)
        attachment->executeImmediate(sql);
    std::atexit(detachDatabase);
    return *attachment;
}

}  // namespace kalvora::fuzz
