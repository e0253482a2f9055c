#include "win32/ProcessLauncher.h"

#include "win32/WideText.h"

namespace {

std::wstring fullPath(const std::wstring& path)
{
    const DWORD n = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (n == 0)
        return path;
    std::wstring full(n, L'\0');
    full.resize(GetFullPathNameW(path.c_str(), n, full.data(), nullptr));
    return full;
}

std::string systemText(DWORD code)
{
    wchar_t* text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message = text ? text : L"";
    LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' '))
        message.pop_back();
    return message.empty() ? "error " + std::to_string(code) : Narrow(message);
}

} // namespace

std::wstring StartCommandLine(const std::wstring& path, const std::wstring& parameters)
{
    // A path holds no quote, so quoting it keeps its blanks inside the word.
    return L"\"" + path + L"\"" + (parameters.empty() ? L"" : L" " + parameters);
}

LaunchResult ProcessLauncher::Start(const std::string& program, const std::string& parameters,
                                    const std::string& workingDirectory)
{
    // The core's start checks first, as on Linux: a missing file or a folder
    // gets the same reason on both systems.
    const StartPlan plan = PlanStart(workingDirectory + "/" + program, parameters, "");
    if (!plan.ok)
        return {false, plan.reason};
    const std::wstring directory = fullPath(Widen(workingDirectory));
    const std::wstring path = fullPath(directory + L"\\" + Widen(program));
    std::wstring line = StartCommandLine(path, Widen(parameters));

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(path.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, directory.c_str(), &startup,
                        &process))
        return {false, systemText(GetLastError())}; // the caller names the file
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return {true, {}};
}
