#include "scheduling/scheduled_task.h"

#include "base/markup.h"
#include "scheduling/wide_text.h"

#include <cstdio>
#include <string_view>
#include <utility>

namespace kalvora {

namespace {

std::string quotedArgument(const std::string& argument)
{
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos)
        return argument;
    std::string out = "\"";
    std::size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        out.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        backslashes = 0;
        out += c;
    }
    out.append(2 * backslashes, '\\');
    return out + "\"";
}

}  // namespace

std::string windowsCommandLine(const std::vector<std::string>& arguments)
{
    std::string line;
    for (const auto& argument : arguments) {
        if (!line.empty())
            line += ' ';
        line += quotedArgument(argument);
    }
    return line;
}

// Only while the user is logged on, with the user's own rights: "run whether logged on or
// not" needs the user's Windows password, which the user gives Task Scheduler alone.
constexpr const char* kTaskTemplate = R"(<?xml version="1.0" encoding="UTF-16"?>
<Task version="1.2" xmlns="http://schemas.microsoft.com/windows/2004/02/mit/task">
  <RegistrationInfo>
    <Description>{description}</Description>
  </RegistrationInfo>
  <Triggers>
    <CalendarTrigger>
      <StartBoundary>{start}</StartBoundary>
      <Enabled>true</Enabled>
      <ScheduleByDay>
        <DaysInterval>1</DaysInterval>
      </ScheduleByDay>
    </CalendarTrigger>
  </Triggers>
  <Principals>
    <Principal id="Author">
      <UserId>{user}</UserId>
      <LogonType>InteractiveToken</LogonType>
      <RunLevel>LeastPrivilege</RunLevel>
    </Principal>
  </Principals>
  <Settings>
    <MultipleInstancesPolicy>IgnoreNew</MultipleInstancesPolicy>
    <DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>
    <StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>
    <ExecutionTimeLimit>PT12H</ExecutionTimeLimit>
    <Enabled>true</Enabled>
  </Settings>
  <Actions Context="Author">
    <Exec>
      <Command>{command}</Command>
      <Arguments>{arguments}</Arguments>
      <WorkingDirectory>{folder}</WorkingDirectory>
    </Exec>
  </Actions>
</Task>
)";

std::string taskXml(const ScheduledTask& task)
{
    char time[16];
    std::snprintf(time, sizeof time, "T%02d:%02d:00", task.hour, task.minute);
    const std::pair<std::string_view, std::string> fields[] = {
        {"{description}", task.description},
        {"{start}", task.startDate + time},
        {"{user}", task.userId},
        {"{command}", task.program},
        {"{arguments}", windowsCommandLine(task.arguments)},
        {"{folder}", task.workingDirectory},
    };
    std::string xml = kTaskTemplate;
    for (const auto& [name, value] : fields) {
        const std::size_t at = xml.find(name);
        xml.replace(at, name.size(), escapeMarkup(value));
    }
    return xml;
}

std::string taskFile(const ScheduledTask& task)
{
    std::string bytes = "\xFF\xFE";
    for (char16_t unit : utf16(taskXml(task))) {
        bytes += char(unit & 0xFF);
        bytes += char(unit >> 8);
    }
    return bytes;
}

}  // namespace kalvora
