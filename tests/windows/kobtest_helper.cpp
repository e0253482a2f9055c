// A stand-in for other programs in the Windows tests, run as its own process.
//   kobtest_helper --hold FILE READY: opens FILE sharing nothing (as an image
//     editor does while it saves), makes the file READY, and keeps FILE until
//     READY is removed (a minute at most).
//   anything else: a fake game that writes its raw command line
//     (GetCommandLineW, UTF-16) to command-line.txt in its working folder.
#include <windows.h>
#include <shellapi.h>

int wmain()
{
    int count = 0;
    wchar_t** words = CommandLineToArgvW(GetCommandLineW(), &count);
    if (words && count == 4 && lstrcmpW(words[1], L"--hold") == 0) {
        const HANDLE held = CreateFileW(words[2], GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (held == INVALID_HANDLE_VALUE)
            return 1;
        CloseHandle(CreateFileW(words[3], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        for (int i = 0; i < 1200 && GetFileAttributesW(words[3]) != INVALID_FILE_ATTRIBUTES; ++i)
            Sleep(50);
        CloseHandle(held);
        return 0;
    }
    const wchar_t* line = GetCommandLineW();
    const HANDLE out = CreateFileW(L"command-line.txt", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (out == INVALID_HANDLE_VALUE)
        return 1;
    DWORD written = 0;
    WriteFile(out, line, DWORD(lstrlenW(line) * sizeof(wchar_t)), &written, nullptr);
    CloseHandle(out);
    return 0;
}
