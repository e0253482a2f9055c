#include "win32/ProcessLauncher.h"

#include "win32/WideText.h"

namespace {

std::wstring quoted(const std::wstring& word)
{
    if (!word.empty() && word.find_first_of(L" \t\n\v\"") == std::wstring::npos)
        return word;
    std::wstring out = L"\"";
    size_t backslashes = 0;
    for (const wchar_t c : word) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        out.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        out += c;
    }
    out.append(2 * backslashes, L'\\'); // before the closing quote
    return out + L"\"";
}

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

std::wstring CommandLine(const std::vector<std::wstring>& words)
{
    std::wstring line;
    for (const std::wstring& word : words)
        line += (line.empty() ? L"" : L" ") + quoted(word);
    return line;
}

LaunchResult ProcessLauncher::Start(const std::string& program, const std::vector<std::string>& arguments,
                                    const std::string& workingDirectory)
{
    const std::wstring directory = fullPath(Widen(workingDirectory));
    const std::wstring path = fullPath(directory + L"\\" + Widen(program));
    std::vector<std::wstring> words{path};
    for (const std::string& argument : arguments)
        words.push_back(Widen(argument));
    std::wstring line = CommandLine(words);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(path.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, directory.c_str(), &startup,
                        &process))
        return {false, Narrow(path) + ": " + systemText(GetLastError())};
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return {true, {}};
}
