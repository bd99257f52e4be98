#pragma once
// Programs run as child processes, the way a scheduler or a script starts them.
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kalvora::test {

struct Finished {
    int status = -1;  // the exit status; -1 when the program did not start or was killed
    std::string out;  // standard output and error as written
    std::string err;

    bool errSays(const std::string& text) const { return err.find(text) != std::string::npos; }
    bool outSays(const std::string& text) const { return out.find(text) != std::string::npos; }
};

// Environment changes for a child: a value sets the variable, nullopt removes it.
using EnvironmentChanges = std::map<std::string, std::optional<std::string>>;

// Runs program with arguments (UTF-8) in this process's environment changed as given, and
// waits for it. Standard output and error go to files, which are not terminals.
Finished runProgram(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                    const EnvironmentChanges& environment = {});

// The running test program.
std::filesystem::path currentProgram();
// A program of the same build, e.g. "kalvora-envio-batch" or "tools/kalvora-demo": test
// programs sit one folder below the build folder. Fails the test when it is missing.
std::filesystem::path builtProgram(const std::string& relative);

}  // namespace kalvora::test
