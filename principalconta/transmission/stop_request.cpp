#include "principalconta/transmission/stop_request.h"

#include <atomic>

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#include <pthread.h>
#include <thread>
#endif

namespace kalvora {

namespace {

std::atomic<bool> requested{false};
std::function<void()> onFirstRequest;

// True for the first request only.
bool request()
{
    if (requested.exchange(true))
        return false;
    if (onFirstRequest)
        onFirstRequest();
    return true;
}

#ifdef _WIN32

BOOL WINAPI consoleEvent(DWORD event)
{
    if (!request())
        return FALSE;  // the default handler ends the process
    // After these the system ends the process once this returns; waiting lets the run finish
    // its entry meanwhile, within the time the system grants.
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT)
        Sleep(INFINITE);
    return TRUE;
}

#endif

}  // namespace

void watchStopRequests(std::function<void()> onRequest)
{
    onFirstRequest = std::move(onRequest);
#ifdef _WIN32
    SetConsoleCtrlHandler(consoleEvent, TRUE);
#else
    std::signal(SIGXFSZ, SIG_IGN);
    // Blocked in every thread, the client library's included, and taken by one thread of
    // ours: the engine's own handlers, which would drop every connection, never see them.
    sigset_t stops;
    sigemptyset(&stops);
    for (const int s : {SIGTERM, SIGINT, SIGHUP})
        sigaddset(&stops, s);
    pthread_sigmask(SIG_BLOCK, &stops, nullptr);
    std::thread([stops] {
        for (;;) {
            int signal = 0;
            if (sigwait(&stops, &signal) != 0 || request())
                continue;
            std::signal(signal, SIG_DFL);
            pthread_sigmask(SIG_UNBLOCK, &stops, nullptr);
            raise(signal);
        }
    }).detach();
#endif
}

bool stopRequested() { return requested.load(); }

}  // namespace kalvora
