// The game's start on Windows: the game gets the command line the launch
// builds, the parameters exactly as they stand after its quoted path (a mod
// name in quotes or with blanks, or none at all), and a start that fails
// the core's checks says why without naming the file twice.

#include "game/TestLaunch.h"
#include "support/TestSupport.h"
#include "win32/ProcessLauncher.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <thread>

using namespace kobtest;

namespace {

// What the fake game wrote as its command line, once it has.
std::wstring commandLineOf(const fs::path& folder)
{
    const fs::path written = folder / "command-line.txt";
    for (int i = 0; i < 600 && !(fs::exists(written) && fs::file_size(written) > 0); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const std::string bytes = readFile(written);
    fs::remove(written);
    return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
}

} // namespace

TEST(ProcessLauncher, TheGameGetsTheParametersAsTheyStand)
{
    TempDir root;
    fs::copy_file(KOBTEST_HELPER_W, root.path() / "fakegame.exe");
    for (const std::string modName : {"\"My Mod\"", "My Mod", "", "a\\\"b\\ \"c d\"\"e\""}) {
        SCOPED_TRACE(modName);
        ASSERT_TRUE(ProcessLauncher().Start("fakegame.exe", LaunchParameters(modName), root.path().string()).started);
        const std::wstring line = commandLineOf(root.path());
        const size_t pathEnd = line.find(L'"', 1);
        ASSERT_TRUE(line.starts_with(L"\"") && pathEnd != std::wstring::npos) << line;
        EXPECT_TRUE(line.substr(0, pathEnd).ends_with(L"\\fakegame.exe")) << line;
        EXPECT_EQ(line.substr(pathEnd + 1), L" +restart 1 +game " + std::wstring(modName.begin(), modName.end())
                                                + L" +hostServer 1 +dedicated 0");
    }

    // The core's start checks, as on Linux; the caller names the file.
    fs::create_directory(root.path() / "folder.exe");
    for (const auto& [program, reason] : {std::pair("missing.exe", "the file does not exist"), {"folder.exe", "it is not a file"}}) {
        const LaunchResult result = ProcessLauncher().Start(program, "+restart", root.path().string());
        EXPECT_EQ(std::pair(result.started, result.reason), std::pair(false, std::string(reason)));
    }
}
