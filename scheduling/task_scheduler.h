#pragma once
// Windows' Task Scheduler through its own command, schtasks (the first one on the PATH),
// and what a task needs to know of the running program and user. Other systems have none
// here; there every call throws.
#include "scheduling/scheduled_task.h"

#include <stdexcept>
#include <string>

namespace kalvora {

// Text in Windows-1252, like all program text.
class SchedulerError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

bool taskSchedulerAvailable();

// schtasks /create /xml FILE /tn NAME /f, with the task in a temporary file removed after.
// name in UTF-8.
void registerTask(const std::string& name, const ScheduledTask& task);
// schtasks /delete /tn NAME /f; false when schtasks refuses (no such task).
bool unregisterTask(const std::string& name);

// The running program's full path, its folder, and the user as DOMAIN\user; UTF-8.
std::string runningProgram();
std::string runningProgramFolder();
std::string currentUser();

}  // namespace kalvora
