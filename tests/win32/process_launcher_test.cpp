// The game's start on Windows: the words reach the program as they were
// given (a mod name in quotes or with blanks included), and a start that
// fails says which file and why.

#include "support/TestSupport.h"
#include "win32/ProcessLauncher.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

TEST(ProcessLauncher, StartsWithTheWordsAsGivenAndAFailedStartNamesTheFile)
{
    const std::vector<std::wstring> words{L"C:\\game root\\kelvane.exe", L"+game", L"\"My Mod\"", L"",
                                          L"ends\\", L"a\\\"b"};
    int count = 0;
    wchar_t** parsed = CommandLineToArgvW(CommandLine(words).c_str(), &count);
    ASSERT_NE(parsed, nullptr);
    EXPECT_EQ(std::vector<std::wstring>(parsed, parsed + count), words);
    LocalFree(parsed);

    EXPECT_TRUE(ProcessLauncher().Start("cmd.exe", {"/c", "exit"}, "C:\\windows\\system32").started);
    kobtest::TempDir folder;
    const LaunchResult result = ProcessLauncher().Start("missing.exe", {"+restart"}, folder.path().string());
    EXPECT_FALSE(result.started);
    EXPECT_NE(result.reason.find("missing.exe"), std::string::npos) << result.reason;
}
