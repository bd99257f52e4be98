#ifndef _WIN32
#include "base/text.h"
#include "scheduling/task_scheduler.h"

namespace kalvora {

namespace {

[[noreturn]] void refuse()
{
    throw SchedulerError(
        ansi("Este sistema no tiene el Programador de tareas de Windows: use el temporizador kalvora-envio@.timer"));
}

}  // namespace

bool taskSchedulerAvailable() { return false; }
void registerTask(const std::string&, const ScheduledTask&) { refuse(); }
bool unregisterTask(const std::string&) { refuse(); }
std::string runningProgram() { refuse(); }
std::string runningProgramFolder() { refuse(); }
std::string currentUser() { refuse(); }

}  // namespace kalvora
#endif
