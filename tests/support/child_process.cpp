#include "support/child_process.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <fstream>
#include <iterator>
#include <thread>

extern char** environ;

namespace kalvora::test {

namespace fs = std::filesystem;

namespace {

std::string readFile(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Null-terminated, as exec wants them.
std::vector<char*> pointers(std::vector<std::string>& texts)
{
    std::vector<char*> out(texts.size() + 1, nullptr);
    std::transform(texts.begin(), texts.end(), out.begin(), [](std::string& t) { return t.data(); });
    return out;
}

}  // namespace

fs::path builtProgram(const std::string& relative)
{
    // The test binaries sit in tests/ below the build folder.
    const fs::path program = fs::read_symlink("/proc/self/exe").parent_path().parent_path() / relative;
    if (!fs::exists(program))
        ADD_FAILURE() << program << " is missing: build it first";
    return program;
}

ChildProcess::ChildProcess(const fs::path& program, const std::vector<std::string>& arguments,
                           const EnvironmentChanges& environment)
{
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        if (!environment.contains(entry.substr(0, entry.find('='))))
            env.push_back(entry);
    }
    for (const auto& [name, value] : environment)
        if (value)
            env.push_back(name + "=" + *value);
    std::vector<std::string> argv{program.string()};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    auto argp = pointers(argv);
    auto envp = pointers(env);

    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, capture_.file("out").c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&files, STDERR_FILENO, capture_.file("err").c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    if (posix_spawn(&pid_, argp[0], &files, nullptr, argp.data(), envp.data()) != 0) {
        pid_ = 0;
        ADD_FAILURE() << "cannot start " << program;
    }
    posix_spawn_file_actions_destroy(&files);
}

ChildProcess::~ChildProcess() { kill(); }

std::optional<Finished> ChildProcess::wait(std::chrono::milliseconds limit)
{
    if (pid_ == 0)
        return Finished{};
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = 0;
            return collect(status);
        }
        if (std::chrono::steady_clock::now() >= end)
            return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

void ChildProcess::kill()
{
    if (pid_ == 0)
        return;
    ::kill(pid_, SIGKILL);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = 0;
}

Finished ChildProcess::collect(int waitStatus) const
{
    Finished finished;
    finished.status = WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : -1;
    finished.out = readFile(capture_.file("out"));
    finished.err = readFile(capture_.file("err"));
    return finished;
}

Finished run(const fs::path& program, const std::vector<std::string>& arguments, const EnvironmentChanges& environment)
{
    ChildProcess child(program, arguments, environment);
    return *child.wait();
}

}  // namespace kalvora::test
