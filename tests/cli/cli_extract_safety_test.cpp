// #21: extract never writes through or loses a file; no reader waits on a pipe (a hang is killed) or sizes by a header.

#include "CliRunner.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace kobtest;

namespace {

void fifo(const fs::path& path) { ASSERT_EQ(mkfifo(path.c_str(), 0644), 0); }

TEST(CliExtractSafety, NeverBlocksWritesThroughOrLosesAFile)
{
    // make: what stands in DIR (objects.kob, out/objects) before kobpack `args` runs there
    struct Row { const char* name; std::function<void(const fs::path&)> make; std::string err; uint64_t limit = 0;
                 Strings args = {"extract", "objects.kob", "-o", "out"}; };
    const std::vector<Row> rows = {
        {"full disk keeps the old file", [](auto d) { writeFile(d / "out/objects/a.dat", "old"); },
         "kobpack: objects.kob: objects/a.dat: cannot write out/objects/a.dat: File too large\n", 100000},
        {"hard link replaced, not written through",
         [](auto d) { writeFile(d / "old", "old"); fs::create_hard_link(d / "old", d / "out/objects/a.dat"); }, ""},
        {"named pipe replaced, never opened", [](auto d) { fifo(d / "out/objects/a.dat"); }, ""},
        {"archive is a pipe", [](auto d) { fifo(d / "p.kob"); }, "kobpack: p.kob: not a regular file\n", 0, {"list", "p.kob"}},
        {"64 GiB sparse archive whose index would begin at its data",
         [](auto d) { fs::resize_file(d / "objects.kob", uint64_t(64) << 30); },
         "kobpack: objects.kob: index of 68719176580 bytes is longer than the 64 MiB an index may take\n", 0,
         {"list", "objects.kob"}},
        {"file compared with is a named pipe",
         [](auto d) { fs::create_directory(d / "objects"); fifo(d / "objects/a.dat"); },
         "kobpack: objects.kob: objects/a.dat: cannot read ./objects/a.dat to compare with: not a regular file\n", 0,
         {"verify", "objects.kob", "--against", "."}},
    };
    const std::string fresh = noiseBytes(300000);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        const fs::path a = dir.path() / "out/objects/a.dat";
        fs::create_directories(a.parent_path());
        writeFile(dir.path() / "objects.kob", archiveOf({{"objects/a.dat", fresh}}));
        row.make(dir.path());
        const CliResult r = CliProcess(row.args, dir.path(), row.limit).wait(std::chrono::seconds(20));
        EXPECT_EQ(r.status, row.err.empty() ? 0 : 1);
        EXPECT_EQ(r.err, row.err);
        if (row.args[0] == "extract") {
            EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(a)) && readFile(a) == (row.limit ? "old" : fresh)
                        && (!fs::exists(dir.path() / "old") || readFile(dir.path() / "old") == "old"));
            EXPECT_EQ(below(a.parent_path()), Strings{"a.dat"}) << "a temporary file was left";
        }
    }
}

} // namespace
