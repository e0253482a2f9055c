// #21: extract replaces what stands in its folder only with a whole file and
// never writes through it; no reader waits on a named pipe or lets a header
// size its memory. A hang fails the row (the process is killed) instead of
// hanging the run.

#include "CliRunner.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace kobtest;

namespace {

constexpr std::chrono::seconds kNoHang{20};

bool isRegularFileHolding(const fs::path& path, const std::string& bytes)
{
    return fs::is_regular_file(fs::symlink_status(path)) && readFile(path) == bytes;
}

TEST(CliExtractSafety, ReplacesWhatStandsThereOnlyWhenWhole)
{
    // make: what stands in DIR before the extract into DIR/out; limit: a full disk
    struct Row { const char* name; std::function<void(const fs::path&)> make; uint64_t limit; std::string err; bool old; };
    const std::vector<Row> rows = {
        {"full disk keeps the old file", [](const fs::path& d) { writeFile(d / "out/a.dat", "old"); }, 100000,
         "kobpack: x.kob: a.dat: cannot write out/a.dat: File too large\n", true},
        {"hard link replaced, not written through",
         [](const fs::path& d) { writeFile(d / "keep", "old"); fs::create_hard_link(d / "keep", d / "out/a.dat"); }, 0, "",
         false},
        {"named pipe replaced, never opened",
         [](const fs::path& d) { ASSERT_EQ(mkfifo((d / "out/a.dat").c_str(), 0644), 0); }, 0, "", false},
    };
    const std::string fresh = noiseBytes(300000);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        fs::create_directories(dir.path() / "out");
        writeFile(dir.path() / "x.kob", archiveOf({{"a.dat", fresh}}));
        row.make(dir.path());
        const CliResult r = CliProcess({"extract", "x.kob", "-o", "out"}, dir.path(), row.limit).wait(kNoHang);
        EXPECT_EQ(r.status, row.old ? 1 : 0);
        EXPECT_EQ(r.err, row.err);
        EXPECT_TRUE(isRegularFileHolding(dir.path() / "out/a.dat", row.old ? "old" : fresh));
        EXPECT_EQ(below(dir.path() / "out"), Strings{"a.dat"}) << "a temporary file was left";
        EXPECT_TRUE(!fs::exists(dir.path() / "keep") || readFile(dir.path() / "keep") == "old");
    }
}

TEST(CliReaders, RefuseNamedPipesAndHugeIndexesAtOnce)
{
    TempDir dir;
    ASSERT_EQ(mkfifo((dir.path() / "pipe.kob").c_str(), 0644), 0);
    // The header makes all but its first 156 bytes of 64 GiB (sparse) "the index".
    writeFile(dir.path() / "huge.kob", archiveOf({}));
    fs::resize_file(dir.path() / "huge.kob", uint64_t(64) << 30);
    writeFile(dir.path() / "objects.kob", archiveOf({{"objects/a.con", "a"}}));
    fs::create_directories(dir.path() / "mod/objects");
    ASSERT_EQ(mkfifo((dir.path() / "mod/objects/a.con").c_str(), 0644), 0);

    const std::string pipe = "kobpack: pipe.kob: not a regular file\n";
    const std::string huge = "kobpack: huge.kob: index of 68719476580 bytes is longer than the 64 MiB an index may take\n";
    const struct { Strings args; std::string err; } rows[] = {
        {{"list", "pipe.kob"}, pipe}, {{"verify", "pipe.kob"}, pipe}, {{"extract", "pipe.kob"}, pipe},
        {{"list", "huge.kob"}, huge}, {{"verify", "huge.kob"}, huge}, {{"extract", "huge.kob"}, huge},
        {{"verify", "objects.kob", "--against", "mod"},
         "kobpack: objects.kob: objects/a.con: cannot read mod/objects/a.con to compare with: not a regular file\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::PrintToString(row.args));
        const CliResult r = CliProcess(row.args, dir.path()).wait(kNoHang);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, row.err);
    }
}

} // namespace
