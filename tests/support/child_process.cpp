#include "support/child_process.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include "support/temp_dir.h"

#include <windows.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#else
#include "support/background_process.h"
#endif

namespace kalvora::test {

namespace {

namespace fs = std::filesystem;

#ifdef _WIN32

std::string readFile(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::wstring wide(const std::string& utf8)
{
    if (utf8.empty())
        return {};
    std::wstring out(std::size_t(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0)), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), out.data(), int(out.size()));
    return out;
}

// One argument as the C runtime splits the command line again: quotes around it, and
// backslashes doubled where a quote follows them.
std::wstring quoted(const std::wstring& argument)
{
    std::wstring out = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        out.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        out += c;
    }
    out.append(2 * backslashes, L'\\');
    return out + L"\"";
}

bool sameName(const std::wstring& entry, const std::wstring& name)
{
    const std::wstring key = entry.substr(0, entry.find(L'=', 1));
    return CompareStringOrdinal(key.c_str(), int(key.size()), name.c_str(), int(name.size()), TRUE) == CSTR_EQUAL;
}

// The environment block CreateProcessW takes: NAME=value entries, each ended by a NUL, and
// one more NUL at the end.
std::wstring environmentBlock(const EnvironmentChanges& changes)
{
    std::vector<std::wstring> entries;
    wchar_t* strings = GetEnvironmentStringsW();
    for (const wchar_t* e = strings; *e; e += wcslen(e) + 1)
        entries.emplace_back(e);
    FreeEnvironmentStringsW(strings);
    for (const auto& [name, value] : changes) {
        const std::wstring wideName = wide(name);
        std::erase_if(entries, [&](const std::wstring& e) { return sameName(e, wideName); });
        if (value)
            entries.push_back(wideName + L"=" + wide(*value));
    }
    std::wstring block;
    for (const auto& e : entries)
        block += e + L'\0';
    return block + L'\0';
}

HANDLE inheritableFile(const std::string& path)
{
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    return CreateFileW(wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

int spawnAndWait(const fs::path& program, const std::vector<std::string>& arguments,
                 const EnvironmentChanges& environment, const TempDir& capture)
{
    std::wstring commandLine = quoted(program.wstring());
    for (const auto& a : arguments)
        commandLine += L" " + quoted(wide(a));
    std::wstring block = environmentBlock(environment);
    const HANDLE out = inheritableFile(capture.file("out"));
    const HANDLE err = inheritableFile(capture.file("err"));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = INVALID_HANDLE_VALUE;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessW(program.wstring().c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                        CREATE_UNICODE_ENVIRONMENT, block.data(), nullptr, &startup, &process);
    CloseHandle(out);
    CloseHandle(err);
    if (!started)
        return -1;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 0;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return int(status);
}

#endif

}  // namespace

Finished runProgram(const fs::path& program, const std::vector<std::string>& arguments,
                    const EnvironmentChanges& environment)
{
#ifndef _WIN32
    ChildProcess child(program, arguments, environment);
    return *child.wait();
#else
    TempDir capture;
    Finished finished;
    finished.status = spawnAndWait(program, arguments, environment, capture);
    if (finished.status == -1 && !fs::exists(program))
        ADD_FAILURE() << "cannot start " << program;
    finished.out = readFile(capture.file("out"));
    finished.err = readFile(capture.file("err"));
    return finished;
#endif
}

fs::path currentProgram()
{
#ifdef _WIN32
    std::wstring path(MAX_PATH, L'\0');
    while (true) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
#else
    return fs::read_symlink("/proc/self/exe");
#endif
}

fs::path builtProgram(const std::string& relative)
{
    fs::path program = currentProgram().parent_path().parent_path() / relative;
#ifdef _WIN32
    program += ".exe";
#endif
    if (!fs::exists(program))
        ADD_FAILURE() << program << " is missing: build it first";
    return program;
}

}  // namespace kalvora::test
