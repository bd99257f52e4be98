#include "support/temp_dir.h"

#include <filesystem>
#include <random>
#include <stdexcept>

namespace kalvora::test {

std::string makeTempFolder(const std::string& prefix)
{
    namespace fs = std::filesystem;
    static std::mt19937_64 random{std::random_device{}()};
    const fs::path base = fs::temp_directory_path();
    // create_directory is false when the name is taken, so parallel test programs never share.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path candidate = base / (prefix + std::to_string(random() % 1000000000));
        if (fs::create_directory(candidate))
            return candidate.string();
    }
    throw std::runtime_error("cannot create a temporary folder in " + base.string());
}

TempDir::TempDir() : path_(makeTempFolder("kalvora-test-")) {}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

}  // namespace kalvora::test
