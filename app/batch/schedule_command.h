#pragma once
// --schedule and --unschedule: the batch run every day by Windows' Task Scheduler, its
// password kept in the user's credential store and read back through "@credencial".
#include "principalconta/unattended.h"

#include <optional>
#include <string>
#include <vector>

namespace kalvora::batch {

struct ScheduleRequest {
    bool schedule = true;  // false: --unschedule
    std::string servidor;  // UTF-8, as given
    std::string usuario;
    std::string compania;
    int hour = 22;
    int minute = 0;
};

// The password argument that stands for the one --schedule stored for the company.
inline constexpr const char* kStoredPassword = "@credencial";

// nullopt when the command line has neither --schedule nor --unschedule. arguments: after
// the program's name, in UTF-8. Throws UsageError.
std::optional<ScheduleRequest> parseScheduleCommandLine(const std::vector<std::string>& arguments);

// Stores the password (environmentPassword, or asked for) and registers the task, or
// removes both; says what it did. The exit status.
int runScheduleRequest(const ScheduleRequest& request, const std::optional<std::string>& environmentPassword);

// Replaces a password "@credencial" with the one stored for the company. Throws UsageError.
void takeStoredPassword(UnattendedArguments& arguments);

// The lines of --help about scheduling, in Windows-1252.
std::string scheduleUsage();

}  // namespace kalvora::batch
