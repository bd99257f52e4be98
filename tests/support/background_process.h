#pragma once
// A program of the build left running while the test goes on, then waited for or killed
// as a crash or a killed task leaves it. POSIX only: the tests that need it reach a database.
#include "support/child_process.h"
#include "support/temp_dir.h"

#include <sys/types.h>

#include <chrono>

namespace kalvora::test {

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
    // SIGKILL.
    void kill();

private:
    Finished collect(int waitStatus) const;

    TempDir capture_;
    pid_t pid_ = 0;
};

}  // namespace kalvora::test
