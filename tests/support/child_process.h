#pragma once
// Programs of the build run as child processes, the way a scheduler starts them: standard
// output and error go to files (not terminals), the environment is this process's with
// some entries changed.
#include "support/scratch.h"

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kalvora::test {

// Entries set to nullopt are removed.
using EnvironmentChanges = std::map<std::string, std::optional<std::string>>;

// A program of the same build, e.g. "kalvora-envio-batch" or "tools/kalvora-demo".
std::filesystem::path builtProgram(const std::string& relative);

struct Finished {
    int status = -1;   // exit status; -1 when killed by a signal
    std::string out;   // UTF-8, as a terminal gets it
    std::string err;

    bool errSays(const std::string& utf8) const { return err.find(utf8) != std::string::npos; }
    bool outSays(const std::string& utf8) const { return out.find(utf8) != std::string::npos; }
};

class ChildProcess {
public:
    ChildProcess(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                 const EnvironmentChanges& environment = {});
    // Kills the program if it still runs.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return pid_; }
    // nullopt when it has not ended within the limit.
    std::optional<Finished> wait(std::chrono::milliseconds limit = std::chrono::hours(1));
    // SIGKILL, as a crash or a killed task leaves it.
    void kill();

private:
    Finished collect(int waitStatus) const;

    TempDir capture_;
    pid_t pid_ = 0;
};

// Starts the program and waits for its end.
Finished run(const std::filesystem::path& program, const std::vector<std::string>& arguments,
             const EnvironmentChanges& environment = {});

}  // namespace kalvora::test
