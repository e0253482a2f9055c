// What the pack job leaves out (issue 12): each file or folder is named with
// its reason on standard output and to the message sink and makes the archive
// "written with skips"; nothing in a folder can make the job wait. Linux only
// (named pipes, sockets, devices).

#include "pack/CompressionPool.h"
#include "pack/SourceFile.h"
#include "source/DirListing.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <future>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace kobtest;

namespace {

// The three ways a file is read: plain, compressed, compressed ahead on a pool.
struct Mode { const char* name; uint32_t compress; unsigned threads; };
const Mode kModes[] = {{"plain", 0, 0}, {"compressed", 1, 0}, {"read ahead", 1, 2}};

PackRun run(const Mode& mode = kModes[0])
{
    std::unique_ptr<CompressionPool> pool(mode.threads ? new CompressionPool(mode.threads) : nullptr);
    return packObjects(mode.compress, pool.get());
}

// While it is read, a file of kShrinks bytes loses its last byte, one of
// kGrows gains one, one of kRewritten is written anew, as long.
constexpr size_t kShrinks = 12345, kGrows = 12346, kRewritten = 12347;
int64_t changingRead(void* buffer, size_t length, platform::File& file)
{
    if (length == kShrinks)
        fs::resize_file("../objects/g_shrinks", kShrinks - 1);
    const int64_t got = file.read(buffer, length);
    if (length == kGrows)
        fs::resize_file("../objects/f_grows", kGrows + 1);
    if (length == kRewritten) {
        static std::atomic<int> rewrites{0};
        const int fd = open("../objects/h_rewritten", O_WRONLY);
        const timespec times[2] = {{0, UTIME_OMIT}, {++rewrites, 0}};
        EXPECT_TRUE(pwrite(fd, std::string(length, 'X').data(), length, 0) == ssize_t(length) && !futimens(fd, times));
        close(fd);
    }
    return got;
}

class LeftOut : public testing::Test {
protected:
    void TearDown() override { resetContext(); }
    ModTree mod;
};

} // namespace

// A named pipe hung the job for good, a device link was stored as an empty
// entry, and a file that grew was stored cut at its first size.
TEST_F(LeftOut, PipesDevicesAndFilesThatChangeSizeAreSkippedWithoutWaiting)
{
    mod.file("objects/a.txt", "a");
    const std::string fifo = (mod.root() / "objects/b_fifo").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    ASSERT_EQ(symlink("/dev/urandom", (mod.root() / "objects/d_device").c_str()), 0);
    ASSERT_EQ(symlink("b_fifo", (mod.root() / "objects/e_fifo_link").c_str()), 0);
    Strings expected, told; // the trace's lines, and the user's
    for (const char* name : {"b_fifo", "d_device", "e_fifo_link"}) {
        expected.push_back(std::string("ERROR! inputFile not a regular file: ../objects/") + name);
        told.push_back(std::string("../objects/") + name + ": left out: it is not a regular file");
    }
    testContext().source.read = changingRead;
    mod.file("objects/h_rewritten", textBytes(kRewritten)); // issue 21: stored torn
    for (const char* name : {"f_grows", "g_shrinks", "h_rewritten"}) {
        expected.push_back(std::string("ERROR! inputFile read failed (it changed while it was read): "
                                       "../objects/") + name);
        told.push_back(std::string("../objects/") + name + ": left out: it changed while it was read");
    }

    for (const Mode& mode : kModes) {
        SCOPED_TRACE(mode.name);
        mod.file("objects/f_grows", textBytes(kGrows));
        mod.file("objects/g_shrinks", textBytes(kShrinks));
        auto job = std::async(std::launch::async, [&] { return run(mode); });
        bool waited = false;
        while (job.wait_for(std::chrono::seconds(waited ? 0 : 20)) != std::future_status::ready) {
            // A writer that comes and goes lets a stuck open, then its read, return.
            waited = true;
            const int writer = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
            if (writer >= 0)
                close(writer);
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        EXPECT_FALSE(waited) << "the job waited on the pipe";
        const PackRun done = job.get();
        EXPECT_EQ(std::tuple(done.entries, done.outcome, starting(done.out, "ERROR!"), done.texts, entryNames("objects.kob")),
                  std::tuple(1u, PackOutcome::WrittenWithSkips, expected, told, Strings{"objects/a.txt"}));
    }
}

// Unlistable folders were dropped in silence, over-long ones with exit 0.
TEST_F(LeftOut, FoldersThatCannotBeListedOrPassTheLengthLimitAreCounted)
{
    // "../objects/" and four folders of 100 characters make 415; a fifth
    // folder or a file of 100 characters there passes the limits (509, 511).
    std::string deep = "objects";
    for (char c : {'a', 'b', 'c', 'd'})
        deep += "/" + std::string(100, c);
    const std::string longName(100, 'f');
    // unlistable: the folder the listing fails for, with `error`
    const struct { const char* name; Strings files; std::string unlistable; int error; uint32_t entries; PackOutcome outcome;
                   Strings errors; } rows[] = {
        {"subfolder", {"objects/a.txt", "objects/locked/b.txt"}, "../objects/locked/", EACCES, 1,
         PackOutcome::WrittenWithSkips, {"ERROR! folder cannot be listed: ../objects/locked: Permission denied"}},
        {"source folder", {"objects/a.txt"}, "../objects/", EIO, 0, PackOutcome::Failed,
         {"ERROR! folder cannot be listed: ../objects: Input/output error"}},
        {"over-long paths", {"objects/a.txt", deep + "/" + longName, deep + "/" + longName + "d/lost.txt"}, "", 0, 1,
         PackOutcome::WrittenWithSkips,
         {"ERROR! path too long: ../" + deep + "/" + longName, "ERROR! path too long: ../" + deep + "/" + longName + "d"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        fs::remove_all(mod.root() / "objects");
        fs::remove("objects.kob");
        mod.files(row.files);
        testContext().listingProblem = [&](const std::string& dir) { return dir == row.unlistable ? row.error : 0; };
        const PackRun job = run();
        Strings texts = row.errors;
        if (row.outcome == PackOutcome::Failed)
            texts.push_back("No files to pack..");
        EXPECT_EQ(std::tuple(job.entries, job.outcome, starting(job.out, "ERROR!"), job.texts, job.bytes.empty()),
                  std::tuple(row.entries, row.outcome, row.errors, texts, row.outcome == PackOutcome::Failed));
    }
}

// The scan of a large tree could not be cancelled.
TEST_F(LeftOut, CancelDuringTheScanStopsItAndTouchesNothing)
{
    mod.files({"objects/a.txt", "objects/sub1/b.txt", "objects/sub2/c.txt"});
    writeFile("objects.kob", "old");
    std::vector<std::string> listed;
    testContext().listingProblem = [&](const std::string& dir) {
        listed.push_back(dir);
        if (dir == "../objects/sub1/")
            testCancel = 1;
        return 0;
    };
    const PackRun job = run();
    EXPECT_EQ(std::tuple(job.outcome, listed, job.calls, job.bytes),
              std::tuple(PackOutcome::Cancelled, Strings{"../objects/", "../objects/sub1/"},
                         Strings{"lower:Packing Archive (Uncompressed)"}, "old"));
}
