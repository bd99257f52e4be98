#include "app/batch/process_text.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>

#ifdef _WIN32
// shellapi.h needs the types of windows.h before it.
#include <windows.h>

#include <shellapi.h>
#endif

namespace kalvora::batch {

#ifdef _WIN32

namespace {

std::string utf8(const wchar_t* text)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1)
        return {};
    std::string out(std::size_t(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
    out.pop_back();
    return out;
}

}  // namespace

std::vector<std::string> commandLineArguments(int, char*[])
{
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 1; wide && i < count; ++i)
        arguments.push_back(utf8(wide[i]));
    LocalFree(wide);
    return arguments;
}

std::optional<std::string> environmentText(const char* name)
{
    const int length = MultiByteToWideChar(CP_UTF8, 0, name, -1, nullptr, 0);
    std::wstring wideName(std::size_t(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, name, -1, wideName.data(), length);
    const wchar_t* value = _wgetenv(wideName.c_str());
    return value ? std::optional<std::string>(utf8(value)) : std::nullopt;
}

Utf8Console::Utf8Console() : previous_(GetConsoleOutputCP())
{
    if (previous_ != 0)
        SetConsoleOutputCP(CP_UTF8);
}

Utf8Console::~Utf8Console()
{
    if (previous_ == 0)
        return;
    // What is still buffered is UTF-8 too.
    std::cout.flush();
    std::fflush(nullptr);
    SetConsoleOutputCP(previous_);
}

#else

std::vector<std::string> commandLineArguments(int argc, char* argv[])
{
    return {argv + (argc > 0 ? 1 : 0), argv + argc};
}

std::optional<std::string> environmentText(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::optional<std::string>(value) : std::nullopt;
}

Utf8Console::Utf8Console() = default;
Utf8Console::~Utf8Console() = default;

#endif

}  // namespace kalvora::batch
