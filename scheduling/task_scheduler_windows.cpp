#ifdef _WIN32
#include "base/text.h"
#include "scheduling/task_scheduler.h"
#include "scheduling/wide_text.h"

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <vector>

namespace kalvora {

namespace {

namespace fs = std::filesystem;

std::wstring wide(const std::string& text)
{
    const std::u16string units = utf16(text);
    return {units.begin(), units.end()};
}

std::string narrow(const std::wstring& text) { return utf8({text.begin(), text.end()}); }

std::wstring environment(const wchar_t* name)
{
    std::wstring value(32767, L'\0');
    const DWORD length = GetEnvironmentVariableW(name, value.data(), DWORD(value.size()));
    value.resize(length < value.size() ? length : 0);
    return value;
}

// The first schtasks.exe on the PATH, as a console would find it; the system's otherwise.
fs::path schtasks()
{
    const std::wstring path = environment(L"PATH");
    std::size_t from = 0;
    while (from <= path.size()) {
        const std::size_t to = std::min(path.find(L';', from), path.size());
        const fs::path candidate = fs::path(path.substr(from, to - from)) / L"schtasks.exe";
        std::error_code ignored;
        if (to > from && fs::is_regular_file(candidate, ignored))
            return candidate;
        from = to + 1;
    }
    return fs::path(environment(L"SystemRoot")) / L"System32" / L"schtasks.exe";
}

// Runs schtasks with the arguments, its messages on this program's console; its exit status.
DWORD runSchtasks(const std::vector<std::string>& arguments)
{
    const fs::path program = schtasks();
    std::vector<std::string> line{narrow(program.wstring())};
    line.insert(line.end(), arguments.begin(), arguments.end());
    std::wstring commandLine = wide(windowsCommandLine(line));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        throw SchedulerError(ansi("No se pudo ejecutar ") + ansi(narrow(program.wstring())) + " (error " +
                             std::to_string(GetLastError()) + ")");
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 1;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return status;
}

}  // namespace

bool taskSchedulerAvailable() { return true; }

void registerTask(const std::string& name, const ScheduledTask& task)
{
    wchar_t folder[MAX_PATH + 1];
    wchar_t file[MAX_PATH + 1];
    if (GetTempPathW(MAX_PATH + 1, folder) == 0 || GetTempFileNameW(folder, L"kal", 0, file) == 0)
        throw SchedulerError(ansi("No se pudo crear el archivo temporal de la tarea"));
    const fs::path taskPath(file);
    {
        std::ofstream out(taskPath, std::ios::binary | std::ios::trunc);
        out << taskFile(task);
        if (!out.flush())
            throw SchedulerError(ansi("No se pudo escribir el archivo de la tarea ") +
                                 ansi(narrow(taskPath.wstring())));
    }
    const DWORD status = runSchtasks({"/create", "/xml", narrow(taskPath.wstring()), "/tn", name, "/f"});
    std::error_code ignored;
    fs::remove(taskPath, ignored);
    if (status != 0)
        throw SchedulerError(ansi("schtasks no creó la tarea \"") + ansi(name) + "\" (estado " +
                             std::to_string(status) + ")");
}

bool unregisterTask(const std::string& name) { return runSchtasks({"/delete", "/tn", name, "/f"}) == 0; }

std::string runningProgram()
{
    std::wstring path(32767, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), DWORD(path.size())));
    return narrow(path);
}

std::string runningProgramFolder() { return narrow(fs::path(wide(runningProgram())).parent_path().wstring()); }

std::string currentUser()
{
    const std::wstring domain = environment(L"USERDOMAIN");
    const std::wstring user = environment(L"USERNAME");
    return narrow(domain.empty() ? user : domain + L"\\" + user);
}

}  // namespace kalvora
#endif
