// What kobpack says on standard error at each level: problems only by
// default, notes and summaries with -v, a progress line on a terminal
// unless -q.

#include "CliRunner.h"

#include <gtest/gtest.h>

#include <pty.h>

using namespace kobtest;

namespace {

// Standard error of kobpack run with a terminal there (standard output
// goes nowhere); empty when the terminal cannot be made.
std::string stderrOnTerminal(const std::vector<std::string>& args, const fs::path& folder)
{
    int terminal = -1;
    const pid_t pid = forkpty(&terminal, nullptr, nullptr, nullptr);
    if (pid == 0) {
        const int null = open("/dev/null", O_RDWR);
        if (null >= 0 && dup2(null, STDIN_FILENO) >= 0 && dup2(null, STDOUT_FILENO) >= 0)
            execKobpack(args, folder);
        _exit(127);
    }
    std::string text;
    char buffer[4096];
    ssize_t n;
    while (pid > 0 && (n = read(terminal, buffer, sizeof buffer)) > 0) // EIO once the child has gone
        text.append(buffer, static_cast<size_t>(n));
    if (pid > 0)
        waitpid(pid, nullptr, 0);
    if (terminal >= 0)
        close(terminal);
    return text;
}

// `text` with the time of its summary line ("..., 0.12 s") written as T.
std::string timeAsT(std::string text)
{
    const size_t end = text.find(" s\n");
    const size_t start = text.rfind(", ", end);
    if (end != std::string::npos && start != std::string::npos)
        text.replace(start + 2, end - start - 2, "T");
    return text;
}

// Issue 14: every pack wrote its notes to standard error; they wait for -v.
TEST(CliMessages, VerboseAddsNotesAndASummaryPerArchiveWritten)
{
    ModTree mod;
    mod.file("objects/a.con", "aaa");
    mod.file("objects/sub/b.con", std::string(40000, 'b'));
    mod.folder("empty");
    // The second run repacks over the first one's archive: both entries are
    // taken over, unless --fresh.
    const char* reused[] = {"0 entries (0 bytes)", "2 entries (40003 bytes)", "0 entries (0 bytes)"};
    int run = 0;
    for (const auto& args : {std::vector<std::string>{"-v", "pack", "-c", "objects", "empty"},
                             std::vector<std::string>{"pack", "-c", "objects", "empty", "--verbose"},
                             std::vector<std::string>{"pack", "-c", "--fresh", "objects", "empty", "-v"}}) {
        SCOPED_TRACE(args.front());
        const CliResult r = runKobpack(args, mod.archives());
        EXPECT_EQ(r.status, 0);
        const std::string archiveBytes = std::to_string(fs::file_size(mod.archives() / "objects.kob"));
        // No summary for what was not written.
        EXPECT_EQ(timeAsT(r.err),
                  "kobpack: objects.kob: Writing Index...\n"
                  "kobpack: objects.kob: 2 entries, 40003 source bytes, " + archiveBytes + " archive bytes, "
                      + reused[run++] + " reused, T s\n"
                  "kobpack: empty.kob: No files to pack..\n");
    }
}

TEST(CliMessages, ProgressLineOnATerminalUnlessQuiet)
{
    ModTree mod;
    mod.file("objects/a.con", "aaa");
    const std::string shown = stderrOnTerminal({"pack", "objects"}, mod.archives());
    EXPECT_NE(shown.find("Creating (1 of 1): objects.kob ["), std::string::npos) << shown;
    EXPECT_EQ(shown.find("Writing Index"), std::string::npos) << shown;
    EXPECT_EQ(stderrOnTerminal({"-q", "pack", "objects"}, mod.archives()), "");
    EXPECT_TRUE(fs::exists(mod.archives() / "objects.kob"));
}

} // namespace
