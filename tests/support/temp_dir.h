#pragma once
// Scratch folders for tests.
#include <string>

namespace kalvora::test {

// A fresh folder in the system's temporary folder ($TMPDIR, or %TEMP% on Windows), removed
// with everything in it at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Creates a folder named prefix + a random suffix in the temporary folder; its path.
std::string makeTempFolder(const std::string& prefix);

}  // namespace kalvora::test
