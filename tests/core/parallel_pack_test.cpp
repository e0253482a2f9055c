// Packing on several threads: the archive, the progress calls and the trace
// lines must be exactly those of the single-thread path, for any thread count
// and read-ahead bound, through skips, cancels and failed writes.

#include "pack/CompressionPool.h"
#include "pack/PackJob.h"
#include "pack/ReadAhead.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace kobtest;

namespace {

struct PackRun {
    int result = 0;
    PackOutcome outcome = PackOutcome::Written;
    std::string bytes; // empty when no archive remains
    std::vector<std::string> calls, out, texts;
    bool operator==(const PackRun&) const = default;
};

// Packs ../objects compressed into objects.kob and takes the archive away
// again, so each run starts from nothing. `onCall` sees every progress call.
PackRun pack(CompressionPool* pool, std::function<void(const std::string&)> onCall = {})
{
    g_cancelPack = 0;
    RecordingControls controls;
    controls.onCall = std::move(onCall);
    RecordingSink sink;
    std::string source = "../objects", name = "objects";
    PackRun run;
    testing::internal::CaptureStdout();
    run.result = PackArchive(source, name, "objects.kob", 1, controls, &run.outcome, pool);
    run.out = lines(testing::internal::GetCapturedStdout());
    run.calls = controls.calls;
    run.texts = sink.texts;
    if (fs::exists("objects.kob"))
        run.bytes = readFile("objects.kob");
    fs::remove("objects.kob");
    g_cancelPack = 0;
    return run;
}

void expectSame(const PackRun& single, const PackRun& parallel)
{
    EXPECT_EQ(parallel.calls, single.calls);
    EXPECT_EQ(parallel.out, single.out);
    EXPECT_TRUE(parallel == single) << "the result, outcome, texts or archive bytes differ (archive of "
                                    << parallel.bytes.size() << " vs " << single.bytes.size() << " bytes)";
}

} // namespace

TEST(ParallelPack, EveryThreadCountAndBoundGivesTheSingleThreadArchiveAndLines)
{
    ModTree mod;
    FakeFreeSpace space(1u << 20); // the sparse 4 GiB file counts in the space needed
    // Small files, empty ones, every block boundary, noise that LZO cannot
    // shrink, a file of several megabytes, and a file of each kind of skip.
    for (int i = 0; i < 120; ++i)
        mod.file("objects/scripts/s" + std::to_string(i) + ".con", textBytes(40 + 97 * i, i));
    for (int i = 0; i < 5; ++i)
        mod.file("objects/empty/e" + std::to_string(i));
    for (size_t size : {32767, 32768, 32769, 65535, 65536, 65537})
        mod.file("objects/edge/f" + std::to_string(size) + ".bin", textBytes(size, uint32_t(size)));
    mod.file("objects/meshes/noise.bin", noiseBytes(200000, 5));
    mod.file("objects/textures/big.dds", textBytes(3 << 20, 9) + noiseBytes(300000, 9));
    ASSERT_EQ(symlink("nowhere", (mod.root() / "objects/n_dangling.con").c_str()), 0);
    const std::string huge = (mod.root() / "objects/t_huge.bin").string();
    writeFile(huge, "");
    ASSERT_EQ(truncate(huge.c_str(), 0x100000000ll), 0); // sparse: no disk space used
    const std::string longName = "objects/ghij/" + std::string(255, 'n');
    mod.file(longName, "the name is 260 bytes");
    mod.file("objects/z.con", "last");
    const auto run = [&](CompressionPool* pool) {
        mod.file("objects/n_removed.con", textBytes(70000, 2));
        // Listed by the scan, gone before any file is read.
        return pack(pool, [&](const std::string& call) {
            if (call.rfind("range:", 0) == 0)
                fs::remove(mod.root() / "objects/n_removed.con");
        });
    };

    const PackRun single = run(nullptr);
    EXPECT_EQ(single.result, 134);
    EXPECT_EQ(single.outcome, PackOutcome::WrittenWithSkips);
    const std::vector<std::string> skips(single.out.end() - 4, single.out.end()), expected = {
        "ERROR! inputFile: ../objects/n_dangling.con",
        "ERROR! inputFile: ../objects/n_removed.con",
        "ERROR! inputFile too large (4 GiB or more): ../objects/t_huge.bin",
        "ERROR! inputFile name too long: ../" + longName,
    };
    EXPECT_EQ(skips, expected);

    struct Row { const char* name; unsigned threads; size_t bound; };
    const size_t dflt = kDefaultReadAheadBytes;
    for (const Row& row : {Row{"1 pool thread", 1, dflt}, Row{"2 threads", 2, dflt}, Row{"8 threads", 8, dflt},
                           Row{"bound below the big file", 2, 1 << 20}, Row{"bound below a single block", 3, 1000}}) {
        SCOPED_TRACE(row.name);
        CompressionPool pool(row.threads, row.bound);
        ASSERT_EQ(pool.threadCount(), row.threads);
        expectSame(single, run(&pool));
    }
}

TEST(ParallelPack, CancelAtEachFileMatchesTheSingleThreadPathAndFreesThePool)
{
    ModTree mod;
    mod.file("objects/a.con", textBytes(1000, 1));
    mod.file("objects/b.bin", textBytes(1 << 20, 2)); // above the bound: read alone, in blocks
    mod.file("objects/c.con");
    mod.file("objects/d.con", textBytes(40000, 4));
    ASSERT_EQ(symlink("nowhere", (mod.root() / "objects/e.con").c_str()), 0);
    for (int i = 0; i < 10; ++i)
        mod.file("objects/f" + std::to_string(i) + ".con", textBytes(50000, i)); // work ahead to drop
    CompressionPool pool(2, 600000);
    for (int at = 0; at < 7; ++at) {
        const std::string press = "pos:" + std::to_string(at);
        SCOPED_TRACE(press);
        const auto cancel = [&](const std::string& call) {
            if (call == press)
                g_cancelPack = 1; // after the writer's check: the file in hand is finished
        };
        const PackRun single = pack(nullptr, cancel);
        EXPECT_EQ(single.result, kPackCancelled);
        expectSame(single, pack(&pool, cancel));
    }
    // As a batch lends its pool to one job after another.
    const PackRun after = pack(&pool);
    EXPECT_EQ(after.result, 14) << "work dropped by a cancel does not leak into the next job";
    expectSame(pack(nullptr), after);
    expectSame(after, pack(&pool));
}

TEST(ParallelPack, FailedWriteInTheMiddleDeletesTheArchiveAndFreesThePool)
{
    ModTree mod;
    for (int i = 0; i < 8; ++i)
        mod.file("objects/n" + std::to_string(i) + ".bin", noiseBytes(150000, i));
    // The file size limit stands in for a full disk; a child process keeps it
    // (and the threads started under it) away from the other tests.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        alarm(120); // a deadlock ends the child instead of hanging the test
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{500000, RLIM_INFINITY};
        setrlimit(RLIMIT_FSIZE, &limit);
        CompressionPool pool(2, 400000);
        const PackRun failed = pack(&pool);
        bool ok = failed.result == kPackWriteFailed && failed.outcome == PackOutcome::Failed && failed.bytes.empty()
               && failed.texts.size() == 2
               && failed.texts.back() == "Error! Could not write .kob file: objects.kob: File too large"
               && std::count(failed.calls.begin(), failed.calls.end(), "pos:7") == 0;
        // A batch goes on to its next job with the same pool.
        limit.rlim_cur = RLIM_INFINITY;
        setrlimit(RLIMIT_FSIZE, &limit);
        ok = ok && pack(&pool).result == 8;
        _exit(ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "the child was killed (signal " << WTERMSIG(status) << ")";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "result -2, no archive, one clear text, the job stopped early";
}

TEST(ReadAheadBound, FilesAheadStayWithinTheBoundAndALargerFileIsHeldAlone)
{
    TempDir dir;
    NamePool names;
    const uint32_t count = 21, big = 10;
    for (uint32_t i = 0; i < count; ++i) {
        const std::string path = (dir.path() / ("f" + std::to_string(i))).string();
        writeFile(path, textBytes(i == big ? 3000000 : 100000, i));
        ASSERT_TRUE(names.add(path.c_str()));
    }
    const size_t bound = 500000; // a few of the small files, never the big one
    CompressionPool pool(3, bound);
    ReadAhead ahead(pool, names, count, static_cast<uint32_t>(dir.path().string().size() + 1));
    for (uint32_t i = 0; i < count; ++i) {
        SCOPED_TRACE(i);
        const AheadFile& file = ahead.take(i);
        EXPECT_EQ(file.size, i == big ? 3000000u : 100000u);
        if (i == big) {
            EXPECT_EQ(ahead.heldFiles(), 1u) << "nothing is read ahead beside a file larger than the bound";
            EXPECT_GT(ahead.heldBytes(), bound);
        } else {
            EXPECT_LE(ahead.heldBytes(), bound);
        }
        ahead.release(i);
    }
    EXPECT_EQ(ahead.heldBytes() + ahead.heldFiles(), 0u) << "every file's share is given back";
}
