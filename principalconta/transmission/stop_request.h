#pragma once
// A request from outside to stop (SIGTERM, SIGINT, SIGHUP; on Windows the console's Ctrl+C,
// close, logoff and shutdown events): a run finishes the entry in progress, keeps the sent
// flags of what it sent and stops. A second request ends the process at once.
#include <functional>

namespace kalvora {

// Called by a program before it starts any thread. onRequest, when given, runs on another
// thread at the first request. A file-size limit becomes a write error instead of a kill.
void watchStopRequests(std::function<void()> onRequest = {});

bool stopRequested();

// What the run throws when it stops on request; the run itself catches it.
struct StopRequested {};

}  // namespace kalvora
