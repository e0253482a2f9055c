// kobpack pack, what it says (problems only by default, notes and summaries
// with -v) and the command line's usage and exit statuses, driven through the
// real binary; its round trip through verify and extract is in cli_archive_test.

#include "CliRunner.h"

#include <gtest/gtest.h>

using namespace kobtest;

namespace {

// A name that is missing, refused or cannot be written does not stop the
// others; the file that cannot be read is named, and the status is 1. What
// became of each archive is said once the batch is over.
TEST(CliPack, MissingRefusedAndFailedNamesTheOthersArePacked)
{
    ModTree mod;
    mod.files({"objects/a.con", "deep/data/d.con", "plain.con"});
    fs::create_symlink(mod.root() / "nowhere", mod.root() / "objects/b.con");
    const CliResult r =
        runKobpack({"pack", "objects", "nosuch", "plain.con", "../objects", "/objects", "", "deep/data"}, mod.archives());
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "kobpack: ../objects: refused: the name holds a \"..\" component\n"
                     "kobpack: /objects: refused: the name is absolute\n"
                     "kobpack: an empty NAME names no folder; not packed\n"
                     "kobpack: nosuch: no folder ../nosuch to pack\n"
                     "kobpack: plain.con: no folder ../plain.con to pack\n"
                     "kobpack: objects.kob: ../objects/b.con: left out: it cannot be opened\n"
                     "kobpack: Error! Could not create .kob file: deep/data.kob: No such file or directory\n"
                     "kobpack: objects.kob: written without the files named above\n"
                     "kobpack: deep/data.kob: not written\n");
    EXPECT_EQ(r.out, "") << "the trace only with -v";
    EXPECT_EQ(below(mod.archives()), Strings{"objects.kob"});
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
TEST(CliPack, VerboseAddsNotesAndASummaryPerArchiveWritten)
{
    ModTree mod;
    mod.file("objects/a.con", "aaa");
    mod.file("objects/sub/b.con", std::string(40000, 'b'));
    mod.folder("empty");
    // The second run repacks over the first one's archive: both entries are
    // taken over, unless --fresh, and the archive is left as it was.
    const char* reused[] = {"0 entries (0 bytes)", "2 entries (40003 bytes)", "0 entries (0 bytes)"};
    const char* unchanged[] = {"", "kobpack: objects.kob: unchanged, left as it was\n", ""};
    int run = 0;
    for (const auto& args : {std::vector<std::string>{"-v", "pack", "-c", "objects", "empty"},
                             std::vector<std::string>{"pack", "-c", "objects", "empty", "--verbose"},
                             std::vector<std::string>{"pack", "-c", "--fresh", "objects", "empty", "-v"}}) {
        SCOPED_TRACE(run++);
        const CliResult r = runKobpack(args, mod.archives());
        EXPECT_EQ(r.status, 0);
        const std::string archiveBytes = std::to_string(fs::file_size(mod.archives() / "objects.kob"));
        // No summary for what was not written.
        EXPECT_EQ(timeAsT(r.err),
                  "kobpack: objects.kob: Writing Index...\n" + std::string(unchanged[run - 1])
                      + "kobpack: objects.kob: 2 entries, 40003 source bytes, " + archiveBytes + " archive bytes, "
                      + reused[run - 1] + " reused, T s\n"
                  "kobpack: empty.kob: No files to pack..\n");
    }
}

// Issue 20: --all-folders in a downloads folder packed the user's Documents
// and Pictures and exited 0. Both lists need an Archives folder (in any
// case) or --any-folder; named folders are packed anywhere.
TEST(CliPack, ListsOnlyInAnArchivesFolderUnlessAsked)
{
    ModTree mod;
    mod.files({"objects/a.con", "_work/w.con", "x/ARCHIVES/keep"});
    const fs::path work = mod.root() / "_work";
    const std::string refused = "kobpack: " + fs::canonical(work).string()
        + " is not a mod's Archives folder: the folders beside it would be packed into it; add --any-folder to pack them anyway\n";
    for (const char* list : {"--all-folders", "--all-levels"}) {
        const CliResult r = runKobpack({"pack", list, "objects"}, work);
        EXPECT_EQ(std::tuple(r.status, r.err), std::tuple(2, refused)) << list;
    }
    EXPECT_EQ(below(work), Strings{"w.con"});
    EXPECT_EQ(runKobpack({"pack", "--all-folders"}, mod.root() / "x/ARCHIVES").err, "kobpack: nothing to pack\n");
    EXPECT_EQ(runKobpack({"pack", "objects"}, work).status, 0);
    const CliResult taken = runKobpack({"pack", "--any-folder", "--all-folders", "--all-levels"}, work);
    EXPECT_EQ(std::tuple(taken.status, taken.err, below(work)), std::tuple(0, std::string(), Strings{"objects.kob", "w.con", "x.kob"}));
}

// Ctrl-C and SIGTERM act as the dialog's Cancel: the archive in hand is
// dropped (its previous one stays), the names after it are not packed,
// earlier archives stay.
TEST(CliPack, InterruptDropsTheArchiveInHandAndStops)
{
    for (const int sig : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(sig == SIGINT ? "SIGINT" : "SIGTERM");
        ModTree mod;
        mod.file("a/a.con", "first");
        // Large enough that the batch is still in b when the signal arrives.
        for (int i = 0; i < 600; ++i)
            mod.file("b/file" + std::to_string(i) + ".dat", noiseBytes(32768, static_cast<uint32_t>(i)));
        mod.file("c/c.con", "last");
        writeFile(mod.archives() / "b.kob", "previous");

        CliProcess process({"pack", "-c", "a", "b", "c"}, mod.archives());
        const auto writingB = [&] { return fs::exists(mod.archives() / "a.kob") && !temporaryFiles(mod.archives()).empty(); };
        for (int i = 0; i < 60000 && !writingB(); ++i) // a minute or so
            ASSERT_TRUE(process.running()) << "ended before b.kob was begun";
        process.signal(sig);
        const CliResult r = process.wait();
        EXPECT_EQ(std::tuple(r.status, r.err, below(mod.archives()), readFile(mod.archives() / "b.kob")),
                  std::tuple(130, "kobpack: b.kob: interrupted; not written\nkobpack: interrupted; not packed: c\n",
                             Strings{"a.kob", "b.kob"}, "previous"));
        EXPECT_EQ(runKobpack({"verify", "a.kob", "--against", ".."}, mod.archives()).status, 0);
    }
}

// Usage errors carry the tool's name and a pointer to --help, with status 2;
// --help and --version are checked on the installed programs.
TEST(Cli, UsageAndExitStatus)
{
    const std::string help = " (see kobpack --help)\n";
    const std::pair<Strings, std::string> rows[] = {
        {{}, "kobpack: A COMMAND (pack, list, extract or verify) is required" + help},
        {{"pack"}, "kobpack: pack: give a NAME, --all-folders or --all-levels" + help},
        {{"-C", ".", "pak", "objects"}, "kobpack: unknown command: pak\nusage: kobpack [-C DIR] [-v] [-q] COMMAND ...\n"
                                       "commands: pack, list, extract, verify (see kobpack --help)\n"},
        {{"-C", "nowhere", "list", "a.kob"}, "kobpack: nowhere: cannot work in this folder: No such file or directory\n"},
    };
    for (const auto& [args, err] : rows) {
        TempDir dir;
        const CliResult r = runKobpack(args, dir.path());
        EXPECT_EQ(std::tuple(r.status, r.out, r.err), std::tuple(2, "", err));
    }
}

} // namespace
