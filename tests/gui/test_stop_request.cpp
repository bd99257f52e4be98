// The window program under a stop request, as a logoff or `kill` sends it: it closes its
// windows and ends normally instead of being killed.
#include "support/background_process.h"
#include "support/transmission_fixture.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <sstream>
#include <thread>

namespace kalvora::test {
namespace {

// Once the program has taken the stop signals over, its main thread keeps them blocked.
bool blocksTerm(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with("SigBlk:"))
            return (std::stoull(line.substr(7), nullptr, 16) >> (SIGTERM - 1)) & 1;
    return false;
}

TEST(StopRequest, TheWindowProgramClosesOnSigtermAndSighup)
{
    for (const int signal : {SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        TempDir dir;
        TransmissionSite site(dir.path(), TransmissionSite::Databases::Existing);
        ChildProcess window(builtProgram("kalvora-envio"), {}, {{"QT_QPA_PLATFORM", "offscreen"}});
        for (int i = 0; i < 1000 && !blocksTerm(window.pid()); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        ::kill(window.pid(), signal);
        const auto finished = window.wait(std::chrono::seconds(30));
        ASSERT_TRUE(finished.has_value()) << "still open";
        EXPECT_EQ(finished->status, 0) << finished->err;
    }
}

}  // namespace
}  // namespace kalvora::test
