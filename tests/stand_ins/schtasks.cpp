// A stand-in for Windows' schtasks.exe, put first on the PATH by the tests: it records its
// arguments (UTF-8, one a line) and a copy of the /xml file in %KALVORA_STAND_IN_RECORD%,
// and exits with %KALVORA_STAND_IN_STATUS% (0 when unset).
#include <windows.h>

#include <shellapi.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

std::string utf8(const wchar_t* text)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(std::size_t(size > 0 ? size - 1 : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
    return out;
}

}  // namespace

int main()
{
    const wchar_t* record = _wgetenv(L"KALVORA_STAND_IN_RECORD");
    if (!record)
        return 99;
    const std::filesystem::path folder(record);
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    std::ofstream lines(folder / L"arguments.txt", std::ios::binary);
    for (int i = 1; i < count; ++i) {
        lines << utf8(arguments[i]) << '\n';
        if (std::wstring(arguments[i]) == L"/xml" && i + 1 < count)
            std::filesystem::copy_file(arguments[i + 1], folder / L"task.xml",
                                       std::filesystem::copy_options::overwrite_existing);
    }
    LocalFree(arguments);
    const wchar_t* status = _wgetenv(L"KALVORA_STAND_IN_STATUS");
    return status ? _wtoi(status) : 0;
}
