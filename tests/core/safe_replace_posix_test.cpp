// Issue 12: the previous archive survives a pack that is killed, and packs of
// one name in two processes at once leave a whole archive. Linux only (fork);
// on Windows the platform test holds a temporary file against the clean-up.

#include "format/ArchiveReader.h"
#include "platform/Platform.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <sys/resource.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace kobtest;

namespace {

// Packs ../objects into objects.kob in a child process and
// returns its wait status; `onCall` may act at any progress call.
int packInChild(std::function<void(const std::string&)> onCall = {})
{
    const pid_t child = fork();
    if (child == 0) {
        _exit(packObjects(1, nullptr, std::move(onCall)).entries == 40 ? 0 : 1);
    }
    int status = -1;
    waitpid(child, &status, 0);
    return status;
}

void expectWholeArchive()
{
    ArchiveReader reader;
    ASSERT_TRUE(reader.open("objects.kob")) << reader.error();
    EXPECT_EQ(std::pair(reader.entries().size(), reader.verify()), std::pair(size_t(40), Strings{}));
}

class SafeReplace : public testing::Test {
protected:
    SafeReplace()
    {
        for (int i = 0; i < 40; ++i)
            mod.file("objects/f" + std::to_string(i) + ".dat", textBytes(40000, uint32_t(i)));
    }
    ModTree mod;
};

} // namespace

TEST_F(SafeReplace, AKilledPackLeavesThePreviousArchiveAndTheNextPackTidiesUpOnlyItsOwn)
{
    // The temporary file begins with a copy of this plain archive's header,
    // but its words must be a pack's own for the next pack to remove it.
    const std::string previous = packObjects(0).bytes;
    const int status = packInChild([](const std::string& call) {
        if (call == "pos:20")
            raise(SIGKILL);
    });
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(readFile("objects.kob"), previous);
    const std::vector<std::string> stale = temporaryFiles();
    ASSERT_EQ(stale.size(), 1u) << "the killed pack's temporary file";

    // A pack of the same name running in another process holds its file's
    // lock: the next pack must leave that file alone, and the user's files
    // named otherwise too; one of exactly our name that nobody holds is a
    // killed pack's, whatever it holds. The disk is full while the dead file
    // is there.
    writeFile("objects.kob.tmp-kobpack-Runner", "");
    const int running = open("objects.kob.tmp-kobpack-Runner", O_RDONLY);
    ASSERT_EQ(flock(running, LOCK_EX), 0);
    writeFile("objects.kob.tmp-backup", "mine");
    writeFile("objects.kob.tmp-kobpack-Mine00", "mine");
    testContext().freeSpace = [&](const std::string&) { return std::optional<uint64_t>(fs::exists(stale[0]) ? 0 : 100 << 20); };
    const PackRun next = packObjects(1);
    resetContext();
    close(running);
    EXPECT_EQ(next.entries, 40u);
    EXPECT_EQ(temporaryFiles(), (Strings{"objects.kob.tmp-backup", "objects.kob.tmp-kobpack-Runner"}));
    EXPECT_EQ(starting(next.notes, "Left"),
              Strings{"Left in place, not a temporary file of this tool: ./objects.kob.tmp-backup"});
    expectWholeArchive();
}

TEST_F(SafeReplace, TwoPacksOfOneNameAtOnceLeaveAWholeArchive)
{
    std::vector<pid_t> children;
    for (int i = 0; i < 2; ++i) {
        children.push_back(fork());
        if (children.back() == 0)
            _exit(packInChild() == 0 ? 0 : 1);
    }
    for (const pid_t child : children) {
        int status = -1;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "each reports a written archive";
    }
    EXPECT_TRUE(temporaryFiles().empty());
    expectWholeArchive();
}

// Issue 21: a linked archive was replaced by a file, its target left as it
// was; a read-only one came back writable; hard links changed silently.
TEST_F(SafeReplace, LinkedReadOnlyAndHardLinkedArchives)
{
    struct Row { const char* name; std::function<void()> before; std::function<void(const PackRun&)> after; };
    const std::vector<Row> rows = {
        {"SymbolicLink", [] { writeFile("game/objects.kob", "previous"); fs::create_symlink("game/objects.kob", "objects.kob"); },
         [](const PackRun&) {
             EXPECT_EQ(fs::is_symlink("objects.kob") ? fs::read_symlink("objects.kob") : "", "game/objects.kob");
             EXPECT_TRUE(temporaryFiles("game").empty());
         }},
        {"ReadOnly", [] { writeFile("objects.kob", "previous"); fs::permissions("objects.kob", fs::perms(0444)); },
         [](const PackRun&) { EXPECT_EQ(fs::status("objects.kob").permissions(), fs::perms(0444)); }},
        {"HardLink", [] { writeFile("objects.kob", "previous"); fs::create_hard_link("objects.kob", "copy.kob"); },
         [](const PackRun& run) {
             EXPECT_EQ(readFile("copy.kob"), "previous");
             EXPECT_EQ(run.texts, Strings{"Other hard links to objects.kob keep the previous archive (1 more)"});
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        for (const char* leftover : {"objects.kob", "copy.kob", "game"})
            fs::remove_all(leftover);
        row.before();
        const PackRun run = packObjects(1);
        expectWholeArchive();
        row.after(run);
    }
}

// Issue 19: from the first difference on, the new archive goes to a
// temporary file that begins with a copy of the previous archive. A cancel,
// a full disk in the copy or a previous archive cut short under the pack
// still leave the previous archive and no temporary file, and nothing is
// synced or renamed. One rewritten in place with its times put back, or
// removed, under the pack moves its change time: the copy is not trusted.
TEST_F(SafeReplace, AfterTheFirstDifferenceThePreviousArchiveIsKeptOrWrittenAnew)
{
    static Strings steps;
    struct Row {
        const char* name;
        int changed; // the file edited after the first pack, or -1 (f30 is the 25th in the archive, f39 the 34th)
        const char* at; // the progress call that sets `act` off
        std::function<void()> act;
        PackOutcome outcome;
        const char* text;
    };
    const char* const changedUnder = "Error! Could not write .kob file: objects.kob: the previous archive changed while it was read";
    const std::vector<Row> rows = {
        {"cancelled with the copy done", 30, "pos:39", [] { testCancel = 1; }, PackOutcome::Cancelled, nullptr},
        {"disk full in the copy", 39, "range:0-40", [] { limitFileSize(600000); }, PackOutcome::Failed,
         "Error! Could not write .kob file: objects.kob: cannot copy from the previous archive: File too large"},
        {"previous cut short", -1, "pos:20", [] { fs::resize_file("objects.kob", 100000); }, PackOutcome::Failed, changedUnder},
        {"previous rewritten, times put back", 39, "pos:30", [] {
             const auto time = fs::last_write_time("objects.kob");
             const char flipped = char(readFile("objects.kob")[100] ^ 1);
             std::fstream("objects.kob", std::ios::in | std::ios::out | std::ios::binary).seekp(100).put(flipped);
             fs::last_write_time("objects.kob", time);
         }, PackOutcome::Failed, changedUnder},
        {"previous removed", 39, "pos:30", [] { fs::remove("objects.kob"); }, PackOutcome::Failed, changedUnder},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        packObjects(0);
        const std::string changed = "objects/f" + std::to_string(row.changed) + ".dat";
        if (row.changed >= 0)
            mod.file(changed, textBytes(40000, 99));
        const std::string previous = readFile("objects.kob");
        steps.clear();
        testContext().durabilityTrace = [](const char* step, const std::string&) { steps.push_back(step); };
        const PackRun run = packObjects(0, nullptr, [&](const std::string& call) {
            if (call == row.at)
                row.act();
        });
        testContext().durabilityTrace = {};
        limitFileSize(RLIM_INFINITY);
        EXPECT_EQ(std::tuple(run.outcome, run.texts, temporaryFiles(), steps),
                  std::tuple(row.outcome, row.text ? Strings{row.text} : Strings{}, Strings{}, Strings{}));
        if (row.changed >= 0)
            mod.file(changed, textBytes(40000, uint32_t(row.changed)));
        if (std::string(row.name).rfind("previous ", 0) != 0) {
            EXPECT_EQ(readFile("objects.kob"), previous);
        }
    }
}
