// What a repack trusts besides the files: the cache holding its records must
// be the user's alone, and only a regular archive is ever replaced.

#include "pack/RecordStore.h"
#include "platform/Platform.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace kobtest;

namespace {

fs::perms permsOf(const fs::path& path)
{
    return fs::status(path).permissions() & fs::perms::all;
}

} // namespace

// Records are made for the user alone; a cache folder that someone else owns
// or may write to is not used (a forged record there would ship stale files),
// and what killed packs left half written is removed.
TEST(RecordCache, OnlyAPrivateCacheIsUsed)
{
    ModTree mod;
    mod.file("objects/a.con", textBytes(40000, 1));
    testContext().fileSystemClock = settledClock;
    const fs::path cache = mod.top() / "cache/kobpack";
    fs::create_directories(cache);
    writeFile(cache / "leftover.rec.tmp-AbCdEf", "half");
    ASSERT_EQ(packObjects(1).entries, 1u);
    const fs::path record = recordStore::pathOf(recordStore::keyOf("objects.kob"));
    EXPECT_EQ(permsOf(cache), fs::perms::owner_all) << "narrowed to the user";
    EXPECT_EQ(permsOf(record), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_FALSE(fs::exists(cache / "leftover.rec.tmp-AbCdEf"));

    struct Row {
        const char* name;
        std::function<void()> refuse;
        const char* why;
    };
    const std::vector<Row> rows = {
        {"writable by others", [&] { fs::permissions(cache, fs::perms::others_write, fs::perm_options::add); },
         "others may write to it"},
        {"writable by the group", [&] { fs::permissions(cache, fs::perms::group_write, fs::perm_options::add); },
         "others may write to it"},
        {"owned by another user", [&] { ASSERT_EQ(chown(cache.c_str(), 4242, -1), 0); }, "owned by another user"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        if (geteuid() != 0 && std::string(row.name) == "owned by another user")
            continue; // only root gives a folder away
        fs::permissions(cache, fs::perms::owner_all);
        ASSERT_EQ(chown(cache.c_str(), geteuid(), -1), 0);
        packObjects(1);
        const std::string before = readFile(record);
        row.refuse();
        // Unchanged files, but the records are not read: every file is.
        mod.file("objects/b.con", "b");
        const PackRun repack = packObjects(1);
        EXPECT_EQ(repack.reused.entries, 1u) << "compared and taken over";
        EXPECT_EQ(starting(repack.notes, "Records of unchanged files not used, every file is compared: the cache folder "),
                  Strings{"Records of unchanged files not used, every file is compared: the cache folder "
                          + cache.string() + " is not used: " + row.why});
        EXPECT_EQ(readFile(record), before) << "nor written";
        fs::remove(mod.root() / "objects/b.con");
    }
    resetContext();
}

// A named pipe at the archive's name, or behind a link there, is refused and
// left as it is: it is never replaced by the archive. (A device or a socket
// is the same kind of file to the pack.)
TEST(RecordCache, OnlyARegularArchiveIsReplaced)
{
    ModTree mod;
    mod.file("objects/a.con", "a");
    ASSERT_EQ(mkfifo("pipe", 0600), 0);
    for (bool linked : {false, true}) {
        SCOPED_TRACE(linked ? "linked" : "in place");
        linked ? fs::create_symlink("pipe", "objects.kob") : fs::rename("pipe", "objects.kob");
        const PackRun run = packFolder("../objects", "objects", "objects.kob", 0);
        EXPECT_EQ(std::pair(run.outcome, run.texts),
                  std::pair(PackOutcome::Failed, Strings{"Error! Could not write .kob file: objects.kob: not a regular file "
                                                         "(a device, named pipe or socket), left as it is"}));
        EXPECT_TRUE(fs::is_fifo(linked ? "pipe" : "objects.kob")) << "left as it is";
        if (!linked)
            fs::rename("objects.kob", "pipe");
    }
}
