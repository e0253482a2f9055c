// The pack job end to end on real temporary folders: trace lines, progress
// calls, free-space check, cancel, clean-up and failures.

#include "format/ArchiveReader.h"
#include "pack/PackJob.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace kobtest;

namespace {

struct Job {
    int result = 0;
    PackOutcome outcome = PackOutcome::Written;
    std::vector<std::string> out;
};

class PackJob : public testing::Test {
protected:
    void SetUp() override { g_cancelPack = 0; }
    void TearDown() override { g_cancelPack = 0; }

    Job run(const std::string& source, const std::string& folder, const std::string& archive, uint32_t compress = 0)
    {
        std::string sourcePath = source;
        std::string folderName = folder;
        Job job;
        testing::internal::CaptureStdout();
        job.result = PackArchive(sourcePath, folderName, archive, compress, controls, &job.outcome);
        job.out = lines(testing::internal::GetCapturedStdout());
        return job;
    }

    std::vector<std::string> entryNames(const std::string& archive)
    {
        ArchiveReader reader;
        EXPECT_TRUE(reader.open(archive)) << reader.error();
        std::vector<std::string> names;
        for (const ReaderEntry& entry : reader.entries())
            names.push_back(entry.name);
        return names;
    }

    ModTree mod;
    RecordingControls controls;
    RecordingSink sink;
};

} // namespace

TEST_F(PackJob, TraceLinesStatusTextsAndBarInOrder)
{
    mod.file("objects/a.txt", "aaa");
    mod.file("objects/Textures/Grass.DDS", "bb");
    const Job job = run("../objects", "objects", "objects.kob", 1);
    EXPECT_EQ(job.result, 2);
    EXPECT_EQ(job.outcome, PackOutcome::Written);
    const std::vector<std::string> out = {" UseCompression: 1", "TotalFiles: 2", "  Uncompressed .kob size (mb): 0",
                                          "tmpDestDirLoc: .\\"};
    EXPECT_EQ(job.out, out);
    const std::vector<std::string> calls = {
        "lower:Packing Archive (Compressed)",
        "range:0-2",
        "upper:../objects/a.txt",
        "pos:0",
        "upper:../objects/Textures/Grass.DDS",
        "pos:1",
        "upper:Writing index",
        "upper:Cleaning Up",
    };
    EXPECT_EQ(controls.calls, calls);
    EXPECT_EQ(sink.texts, std::vector<std::string>{"Writing Index..."});
    const std::vector<std::string> names = {"objects/a.txt", "objects/Textures/Grass.DDS"};
    EXPECT_EQ(entryNames("objects.kob"), names) << "letter case as listed";
}

TEST_F(PackJob, TrailingSeparatorsGiveTheSameEntryNames)
{
    mod.file("objects/sub/a.con", "a");
    run("../objects", "objects", "one.kob");
    run("../objects/", "objects/", "two.kob");
    run("..\\objects", "objects\\", "three.kob");
    const std::vector<std::string> names = {"objects/sub/a.con"};
    EXPECT_EQ(entryNames("one.kob"), names);
    EXPECT_EQ(entryNames("two.kob"), names);
    EXPECT_EQ(entryNames("three.kob"), names);
}

TEST_F(PackJob, AnExistingArchiveIsLeftAloneWithNothingToPackAndReplacedOtherwise)
{
    mod.folder("objects");
    writeFile("objects.kob", std::string(5000, 'o'));
    const Job job = run("../objects", "objects", "objects.kob");
    EXPECT_EQ(job.result, 1);
    EXPECT_EQ(job.outcome, PackOutcome::NothingToPack);
    EXPECT_EQ(readFile("objects.kob"), std::string(5000, 'o'));
    EXPECT_EQ(sink.texts, std::vector<std::string>{"No files to pack.."});
    EXPECT_TRUE(controls.only("range").empty());

    mod.file("objects/a.txt", "new");
    EXPECT_EQ(run("../objects", "objects", "objects.kob").result, 1);
    EXPECT_EQ(entryNames("objects.kob"), std::vector<std::string>{"objects/a.txt"});
    EXPECT_EQ(fs::file_size("objects.kob"), 156u + 3 + 4 + (13 + 28) + 4);
}

TEST_F(PackJob, FreeSpaceIsCheckedInWholeMebibytes)
{
    struct Row {
        const char* name;
        size_t bytes;
        uint32_t freeMB;
        bool packs;
    };
    const Row rows[] = {
        {"just under 1 MiB needs nothing", 1048575, 0, true},
        {"3 MiB needs 6 MiB", 3 << 20, 6, true},
        {"3 MiB does not fit in 5 MiB", 3 << 20, 5, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ModTree tree;
        tree.file("objects/a.bin", std::string(row.bytes, 'x'));
        writeFile("objects.kob", "old");
        FakeFreeSpace space(row.freeMB);
        sink.texts.clear();
        const Job job = run("../objects", "objects", "objects.kob");
        EXPECT_EQ(space.asked.front(), ".") << "objects.kob lies in the current directory";
        if (row.packs) {
            EXPECT_EQ(job.result, 1);
        } else {
            EXPECT_EQ(job.result, 1);
            EXPECT_EQ(job.outcome, PackOutcome::Failed);
            EXPECT_EQ(sink.texts, std::vector<std::string>{"Not enough free disk space!"});
            EXPECT_EQ(job.out.back(), "  Free Disk Space (mb): 5");
            EXPECT_EQ(readFile("objects.kob"), "old") << "nothing is touched";
        }
    }
}

TEST_F(PackJob, SourcesPastFourGibibytesDoNotWrapTheFreeSpaceCheck)
{
    // A 32-bit total would see 1 MiB here and pass with 2 MiB free.
    mod.file("objects/huge.bin", "");
    ASSERT_EQ(truncate((mod.root() / "objects/huge.bin").c_str(), (4ll << 30) + (1 << 20)), 0);
    FakeFreeSpace space(100);
    const Job job = run("../objects", "objects", "objects.kob");
    EXPECT_EQ(job.result, 1);
    EXPECT_EQ(job.out[2], "  Uncompressed .kob size (mb): 4097");
    EXPECT_EQ(sink.texts, std::vector<std::string>{"Not enough free disk space!"});
    EXPECT_FALSE(fs::exists("objects.kob"));
}

TEST_F(PackJob, ArchiveInASubfolder)
{
    mod.file("ostrel/levels/L/init.con", "i");
    FakeFreeSpace space(1000);
    Job job = run("../ostrel/levels/L", "ostrel/levels/L", "ostrel/levels/L.kob");
    EXPECT_EQ(job.result, 1);
    EXPECT_EQ(job.outcome, PackOutcome::Failed);
    EXPECT_EQ(sink.texts, std::vector<std::string>{"Error! Could not create .kob file: ostrel/levels/L.kob"});

    fs::create_directories("ostrel/levels");
    job = run("../ostrel/levels/L", "ostrel/levels/L", "ostrel/levels/L.kob");
    EXPECT_EQ(job.out[3], "tmpDestDirLoc: ostrel/levels");
    EXPECT_EQ(space.asked.back(), "ostrel/levels");
    EXPECT_EQ(entryNames("ostrel/levels/L.kob"), std::vector<std::string>{"ostrel/levels/L/init.con"});
}

// Issue 12: a cancel drops the new archive and keeps the previous one.
TEST_F(PackJob, CancelBeforeTheFirstFileKeepsThePreviousArchive)
{
    mod.file("objects/a.txt", "a");
    writeFile("objects.kob", "old");
    g_cancelPack = 1; // pressed while the scanner ran
    const Job job = run("../objects", "objects", "objects.kob");
    EXPECT_EQ(job.result, -1);
    EXPECT_EQ(job.outcome, PackOutcome::Cancelled);
    EXPECT_EQ(readFile("objects.kob"), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 1) << "no temporary file left";
    const std::vector<std::string> calls = {"lower:Packing Archive (Uncompressed)", "upper:Writing index",
                                            "upper:Cleaning Up"};
    EXPECT_EQ(controls.calls, calls);
}

TEST_F(PackJob, CancelInTheMiddleFinishesTheFileInHandOnly)
{
    for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt"})
        mod.file(std::string("objects/") + name, name);
    controls.onCall = [](const std::string& call) {
        if (call == "pos:1")
            g_cancelPack = 1;
    };
    const Job job = run("../objects", "objects", "objects.kob");
    EXPECT_EQ(job.result, -1);
    EXPECT_FALSE(fs::exists("objects.kob"));
    const std::vector<std::string> positions = {"pos:0", "pos:1"};
    EXPECT_EQ(controls.only("pos"), positions);
    EXPECT_EQ(controls.only("upper").size(), 4u) << "two files, then the two phases";
}

TEST_F(PackJob, CancelDuringAJobWithoutFilesStopsTheNextJob)
{
    mod.folder("empty");
    mod.file("objects/a.txt", "a");
    g_cancelPack = 1;
    EXPECT_EQ(run("../empty", "empty", "empty.kob").result, 1) << "the early endings do not look at the flag";
    EXPECT_EQ(run("../objects", "objects", "objects.kob").result, -1);
    EXPECT_FALSE(fs::exists("objects.kob"));
}

TEST_F(PackJob, UnreadableFilesAreSkippedAndAnArchiveOfNoEntriesDropped)
{
    // A link that leads nowhere cannot be opened, even by root.
    mod.file("objects/a.txt", "a");
    ASSERT_EQ(symlink("nowhere", (mod.root() / "objects/b.txt").c_str()), 0);
    Job job = run("../objects", "objects", "objects.kob");
    EXPECT_EQ(job.result, 1);
    EXPECT_EQ(job.outcome, PackOutcome::WrittenWithSkips);
    EXPECT_EQ(job.out.back(), "ERROR! inputFile: ../objects/b.txt");
    EXPECT_EQ(entryNames("objects.kob"), std::vector<std::string>{"objects/a.txt"});

    // Nothing stored: the previous archive stays rather than an empty one.
    fs::remove(mod.root() / "objects/a.txt");
    job = run("../objects", "objects", "objects.kob");
    EXPECT_EQ(job.result, 0);
    EXPECT_EQ(job.outcome, PackOutcome::Failed);
    EXPECT_EQ(entryNames("objects.kob"), std::vector<std::string>{"objects/a.txt"});
}

// Issue 12: a full disk leaves the previous archive as it was.
TEST_F(PackJob, FullDiskDropsTheNewArchiveKeepsThePreviousAndSaysSo)
{
    mod.file("objects/a.bin", noiseBytes(300000));
    mod.file("objects/b.bin", noiseBytes(300000, 2));
    writeFile("objects.kob", "previous");
    // The file size limit stands in for a full disk; a child process keeps it
    // away from the other tests.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{400000, 400000};
        setrlimit(RLIMIT_FSIZE, &limit);
        std::string source = "../objects", folder = "objects";
        PackOutcome outcome{};
        const int result = PackArchive(source, folder, "objects.kob", 0, controls, &outcome);
        const bool ok = result == kPackWriteFailed && outcome == PackOutcome::Failed
                     && readFile("objects.kob") == "previous"
                     && std::distance(fs::directory_iterator("."), fs::directory_iterator()) == 1
                     && sink.texts.size() == 2
                     && sink.texts[1] == "Error! Could not write .kob file: objects.kob: File too large";
        _exit(ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "result -2, the previous archive alone, one clear text";
}

TEST_F(PackJob, TheArchiveBeingWrittenIsNotPackedIntoItself)
{
    // The empty name packs the whole mod root, Archives folder included.
    mod.file("objects/a.txt", "a");
    EXPECT_EQ(run("../", "", ".kob").result, 1);
    EXPECT_EQ(run("../", "", ".kob").result, 1) << "the first run's .kob is left out of the second";
    EXPECT_EQ(entryNames(".kob"), std::vector<std::string>{"/objects/a.txt"});
}

TEST_F(PackJob, BarRangeCarriesTheTrueFileCount)
{
    mod.folder("many");
    for (int i = 0; i < 70000; ++i)
        std::fclose(std::fopen((mod.root() / "many" / std::to_string(i)).c_str(), "wb"));
    const Job job = run("../many", "many", "many.kob");
    EXPECT_EQ(job.result, 70000);
    EXPECT_EQ(controls.only("range"), std::vector<std::string>{"range:0-70000"});
    EXPECT_EQ(controls.only("pos").back(), "pos:69999");
}
