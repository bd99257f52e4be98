#pragma once
// The daily run as a Task Scheduler task: its XML file and its command line. Built the
// same on every system, so that the file can be checked where the tools are.
#include <string>
#include <vector>

namespace kalvora {

struct ScheduledTask {
    std::string description;
    std::string program;  // the full path of the program to run
    std::vector<std::string> arguments;
    std::string workingDirectory;
    std::string userId;     // DOMAIN\user, the one who runs it
    std::string startDate;  // YYYY-MM-DD, the first day
    int hour = 22;
    int minute = 0;
};

// All text in UTF-8. The document declares UTF-16, the encoding of taskFile().
std::string taskXml(const ScheduledTask& task);
// What schtasks /xml reads: taskXml() in UTF-16LE after a byte order mark.
std::string taskFile(const ScheduledTask& task);

// The arguments as one command line that the C runtime and CommandLineToArgvW split back
// into the same arguments.
std::string windowsCommandLine(const std::vector<std::string>& arguments);

}  // namespace kalvora
