// Packing on several threads: the archive, the progress calls and the trace
// lines must be exactly those of the single-thread path, for any thread count
// and read-ahead bound, through skips, cancels and failed writes.

#include "archive/ArchiveReader.h"
#include "archive/CompressionPool.h"
#include "archive/PackJob.h"
#include "archive/ReadAhead.h"
#include "batch/PackBatch.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

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
    std::vector<std::string> calls;
    std::vector<std::string> out;
    std::vector<std::string> texts;
};

class ParallelPack : public testing::Test {
protected:
    void SetUp() override { g_cancelPack = 0; }
    void TearDown() override { g_cancelPack = 0; }

    // Packs ../<folder> into <folder>.kob and takes the archive away again,
    // so each run starts from nothing.
    PackRun pack(const std::string& folder, uint32_t compress, CompressionPool* pool,
             std::function<void(const std::string&)> onCall = {})
    {
        g_cancelPack = 0;
        RecordingControls controls;
        controls.onCall = std::move(onCall);
        RecordingSink sink;
        std::string source = "../" + folder;
        std::string name = folder;
        PackRun run;
        testing::internal::CaptureStdout();
        run.result = PackArchive(source, name, folder + ".kob", compress, controls, &run.outcome, pool);
        run.out = lines(testing::internal::GetCapturedStdout());
        run.calls = controls.calls;
        run.texts = sink.texts;
        if (fs::exists(folder + ".kob"))
            run.bytes = readFile(folder + ".kob");
        fs::remove(folder + ".kob");
        return run;
    }

    static void expectSame(const PackRun& single, const PackRun& parallel)
    {
        EXPECT_EQ(parallel.result, single.result);
        EXPECT_EQ(parallel.outcome, single.outcome);
        EXPECT_TRUE(parallel.bytes == single.bytes) << "archive bytes differ (" << parallel.bytes.size() << " vs "
                                                    << single.bytes.size() << " bytes)";
        EXPECT_EQ(parallel.calls, single.calls);
        EXPECT_EQ(parallel.out, single.out);
        EXPECT_EQ(parallel.texts, single.texts);
    }

    // Small files, empty ones, every block boundary, noise that LZO cannot
    // shrink and one file of several megabytes.
    void mixedTree(const std::string& folder)
    {
        for (int i = 0; i < 120; ++i)
            mod.file(folder + "/scripts/s" + std::to_string(i) + ".con", textBytes(40 + 97 * i, i));
        for (int i = 0; i < 5; ++i)
            mod.file(folder + "/empty/e" + std::to_string(i), "");
        for (size_t size : {32767, 32768, 32769, 65535, 65536, 65537})
            mod.file(folder + "/edge/f" + std::to_string(size) + ".bin", textBytes(size, uint32_t(size)));
        mod.file(folder + "/meshes/noise.bin", noiseBytes(200000, 5));
        mod.file(folder + "/textures/big.dds", textBytes(3 << 20, 9) + noiseBytes(300000, 9));
        mod.file(folder + "/z/last.con", "last");
    }

    ModTree mod;
};

} // namespace

TEST_F(ParallelPack, EveryThreadCountAndBoundGivesTheSingleThreadArchive)
{
    mixedTree("objects");
    for (uint32_t compress : {1u, 0u}) {
        SCOPED_TRACE(compress ? "compressed" : "plain");
        const PackRun single = pack("objects", compress, nullptr);
        ASSERT_EQ(single.result, 134);
        struct Row {
            const char* name;
            unsigned threads;
            size_t bound;
        };
        const Row rows[] = {
            {"2 threads", 2, kDefaultReadAheadBytes},
            {"8 threads", 8, kDefaultReadAheadBytes},
            {"1 pool thread", 1, kDefaultReadAheadBytes},
            {"bound below the big file", 2, 1 << 20},
            {"bound below a single block", 3, 1000},
        };
        for (const Row& row : rows) {
            SCOPED_TRACE(row.name);
            CompressionPool pool(row.threads, row.bound);
            ASSERT_EQ(pool.threadCount(), row.threads);
            expectSame(single, pack("objects", compress, &pool));
        }
    }
}

TEST_F(ParallelPack, ArchiveDecodesWithTheIndependentDecompressor)
{
    mixedTree("objects");
    CompressionPool pool(4);
    std::string source = "../objects", name = "objects";
    NullPackControls controls;
    testing::internal::CaptureStdout();
    const int result = PackArchive(source, name, "objects.kob", 1, controls, nullptr, &pool);
    testing::internal::GetCapturedStdout();
    ASSERT_EQ(result, 134);
    ArchiveReader reader;
    ASSERT_TRUE(reader.open("objects.kob")) << reader.error();
    EXPECT_EQ(reader.verify(), std::vector<std::string>{});
    std::vector<uint8_t> data;
    std::string error;
    for (size_t i = 0; i < reader.entries().size(); ++i) {
        const ReaderEntry& entry = reader.entries()[i];
        ASSERT_TRUE(reader.readEntry(i, data, error)) << error;
        const std::string original = readFile(mod.root() / entry.name);
        EXPECT_TRUE(std::string(data.begin(), data.end()) == original) << entry.name;
    }
}

TEST_F(ParallelPack, SkippedFilesGiveTheirLinesInFileOrder)
{
    mod.file("objects/a.con", textBytes(50000, 1));
    ASSERT_EQ(symlink("nowhere", (mod.root() / "objects/b_dangling.con").c_str()), 0);
    mod.file("objects/c_removed.con", textBytes(70000, 2));
    mod.file("objects/d.con", textBytes(3000, 3));
    const std::string huge = (mod.root() / "objects/e_huge.bin").string();
    writeFile(huge, "");
    ASSERT_EQ(truncate(huge.c_str(), 0x100000000ll), 0); // sparse: no disk space used
    mod.file("objects/f.con", textBytes(90000, 4));
    const std::string longName(255, 'n');
    mod.file("objects/ghij/" + longName, "the name is 260 bytes");
    mod.file("objects/h.con", "h");
    FakeFreeSpace space(1u << 20);
    // Removed after the scan listed it, before any file is read.
    const auto removeAfterScan = [&](const std::string& call) {
        if (call.rfind("range:", 0) == 0)
            fs::remove(mod.root() / "objects/c_removed.con");
    };

    for (uint32_t compress : {1u, 0u}) {
        SCOPED_TRACE(compress ? "compressed" : "plain");
        mod.file("objects/c_removed.con", textBytes(70000, 2));
        const PackRun single = pack("objects", compress, nullptr, removeAfterScan);
        ASSERT_EQ(single.result, 4);
        EXPECT_EQ(single.outcome, PackOutcome::WrittenWithSkips);
        const std::vector<std::string> skips(single.out.end() - 4, single.out.end());
        const std::vector<std::string> expected = {
            "ERROR! inputFile: ../objects/b_dangling.con",
            "ERROR! inputFile: ../objects/c_removed.con",
            "ERROR! inputFile too large (4 GiB or more): ../objects/e_huge.bin",
            "ERROR! inputFile name too long: ../objects/ghij/" + longName,
        };
        EXPECT_EQ(skips, expected);
        for (unsigned threads : {2u, 8u}) {
            SCOPED_TRACE(threads);
            mod.file("objects/c_removed.con", textBytes(70000, 2));
            CompressionPool pool(threads, 100000);
            expectSame(single, pack("objects", compress, &pool, removeAfterScan));
        }
    }
}

TEST_F(ParallelPack, CancelAtEachFileMatchesTheSingleThreadPath)
{
    mod.file("objects/a.con", textBytes(1000, 1));
    mod.file("objects/b.bin", textBytes(200000, 2));
    mod.file("objects/c.con", "");
    mod.file("objects/d.con", textBytes(40000, 4));
    ASSERT_EQ(symlink("nowhere", (mod.root() / "objects/e.con").c_str()), 0);
    mod.file("objects/f.con", textBytes(5000, 6));
    CompressionPool pool(2, 150000);
    for (int at = 0; at < 6; ++at) {
        const std::string press = "pos:" + std::to_string(at);
        SCOPED_TRACE(press);
        const auto cancel = [&](const std::string& call) {
            if (call == press)
                g_cancelPack = 1;
        };
        const PackRun single = pack("objects", 1, nullptr, cancel);
        EXPECT_EQ(single.result, kPackCancelled);
        EXPECT_EQ(single.outcome, PackOutcome::Cancelled);
        EXPECT_TRUE(single.bytes.empty()) << "no archive remains";
        expectSame(single, pack("objects", 1, &pool, cancel));
    }
}

TEST_F(ParallelPack, CancelWhileABigFileIsInHandFinishesItAndLeavesThePoolUsable)
{
    mod.file("objects/a.con", "a");
    mod.file("objects/big.bin", textBytes(2 << 20, 3));
    for (int i = 0; i < 40; ++i)
        mod.file("objects/c" + std::to_string(i) + ".bin", textBytes(100000, i));
    CompressionPool pool(2);
    const auto cancel = [](const std::string& call) {
        if (call == "upper:../objects/big.bin")
            g_cancelPack = 1; // after the writer's check: the file in hand is finished
    };
    const PackRun single = pack("objects", 1, nullptr, cancel);
    const PackRun parallel = pack("objects", 1, &pool, cancel);
    expectSame(single, parallel);
    EXPECT_EQ(parallel.calls.back(), "upper:Cleaning Up");
    EXPECT_EQ(parallel.result, kPackCancelled);

    const PackRun after = pack("objects", 1, &pool);
    EXPECT_EQ(after.result, 42) << "work dropped by the cancel does not leak into the next job";
    expectSame(pack("objects", 1, nullptr), after);
}

TEST_F(ParallelPack, BatchWithThreadsMatchesTheSingleThreadBatch)
{
    for (const char* folder : {"one", "Sound", "three"}) {
        mod.file(std::string(folder) + "/a.con", textBytes(70000, 1));
        mod.file(std::string(folder) + "/b.con", "");
        mod.file(std::string(folder) + "/c.wav", noiseBytes(90000, 2));
    }
    const std::vector<std::string> names = {"one", "Sound", "three"};
    struct Batch {
        int result;
        std::vector<std::string> calls;
        std::vector<std::string> archives;
    };
    const auto runBatch = [&](unsigned threads, const std::string& cancelAt) {
        g_cancelPack = 0;
        RecordingControls controls;
        controls.onCall = [&](const std::string& call) {
            if (call == cancelAt)
                g_cancelPack = 1;
        };
        Batch batch;
        testing::internal::CaptureStdout();
        batch.result = PackBatch(names, 1, controls, nullptr, threads);
        testing::internal::GetCapturedStdout();
        batch.calls = controls.calls;
        for (const std::string& name : names) {
            batch.archives.push_back(fs::exists(name + ".kob") ? readFile(name + ".kob") : "");
            fs::remove(name + ".kob");
        }
        return batch;
    };
    for (const std::string cancelAt : {"", "upper:../three/b.con"}) {
        SCOPED_TRACE(cancelAt.empty() ? "whole batch" : "cancelled in the third job");
        const Batch single = runBatch(1, cancelAt);
        EXPECT_EQ(single.result, cancelAt.empty() ? 1 : -1);
        for (unsigned threads : {2u, 8u, 0u}) {
            SCOPED_TRACE(threads);
            const Batch parallel = runBatch(threads, cancelAt);
            EXPECT_EQ(parallel.result, single.result);
            EXPECT_EQ(parallel.calls, single.calls);
            EXPECT_TRUE(parallel.archives == single.archives);
        }
    }
}

TEST_F(ParallelPack, FailedWriteInTheMiddleDeletesTheArchive)
{
    for (int i = 0; i < 8; ++i)
        mod.file("objects/n" + std::to_string(i) + ".bin", noiseBytes(150000, i));
    // The file size limit stands in for a full disk; a child process keeps it
    // (and the threads started under it) away from the other tests.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        alarm(120); // a deadlock ends the child instead of hanging the test
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{500000, 500000};
        setrlimit(RLIMIT_FSIZE, &limit);
        bool ok = true;
        for (uint32_t compress : {1u, 0u}) {
            RecordingControls controls;
            RecordingSink sink;
            CompressionPool pool(2, 400000);
            std::string source = "../objects", folder = "objects";
            PackOutcome outcome{};
            const int result = PackArchive(source, folder, "objects.kob", compress, controls, &outcome, &pool);
            ok = ok && result == kPackWriteFailed && outcome == PackOutcome::Failed && !fs::exists("objects.kob")
              && sink.texts.size() == 2 && sink.texts[1] == "Error! Could not write .kob file: objects.kob: File too large"
              && controls.only("pos").size() < 8 && controls.calls.back() == "upper:Cleaning Up";
        }
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
        EXPECT_FALSE(file.problem.has_value());
        EXPECT_EQ(file.size, i == big ? 3000000u : 100000u);
        if (i == big) {
            EXPECT_EQ(ahead.heldFiles(), 1u) << "nothing is read ahead beside a file larger than the bound";
            EXPECT_GT(ahead.heldBytes(), bound);
        } else {
            EXPECT_LE(ahead.heldBytes(), bound);
        }
        ahead.release(i);
    }
    EXPECT_EQ(ahead.heldBytes(), 0u) << "every file's share is given back";
    EXPECT_EQ(ahead.heldFiles(), 0u);
}
