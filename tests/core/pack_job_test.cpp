// The pack job end to end on real temporary folders: trace lines, progress
// calls, free-space check, clean-up and failures. Write failures and cancels
// between files are with the parallel packing tests, which run them on both
// paths; a cancel in the scan is with the left-out files.

#include "pack/SourceFile.h"
#include "platform/Platform.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>

using namespace kobtest;

namespace {

// Packs ../<name> into <name>.kob.
PackRun run(const std::string& name, uint32_t compress = 0, CompressionPool* pool = nullptr)
{
    return packFolder("../" + name, name, name + ".kob", compress, pool);
}

} // namespace

TEST(PackJob, TraceLinesStatusTextsAndBarInOrder)
{
    ModTree mod;
    mod.file("objects/a.txt", "aaa");
    mod.file("objects/Textures/Grass.DDS", "bb");
    const PackRun job = run("objects", 1);
    EXPECT_EQ(std::tuple(job.entries, job.outcome, job.texts, job.notes),
              std::tuple(2u, PackOutcome::Written, Strings{}, Strings{"Writing Index..."}));
    EXPECT_EQ(job.out, (Strings{" UseCompression: 1", "TotalFiles: 2", "  Uncompressed .kob size (mb): 0",
                                "tmpDestDirLoc: .\\"}));
    EXPECT_EQ(job.calls, (Strings{"lower:Packing Archive (Compressed)", "range:0-2", "upper:../objects/a.txt", "pos:0",
                                  "upper:../objects/Textures/Grass.DDS", "pos:1", "upper:Writing index",
                                  "upper:Cleaning Up"}));
    EXPECT_EQ(entryNames("objects.kob"), (Strings{"objects/a.txt", "objects/Textures/Grass.DDS"}))
        << "letter case as listed";
    for (const auto& [source, folder] : {std::pair{"../objects/", "objects/"}, {"..\\objects", "objects\\"}}) {
        packFolder(source, folder, "objects.kob", 0);
        EXPECT_EQ(entryNames("objects.kob")[0], "objects/a.txt") << "trailing separators make no difference";
    }
}

// An empty folder or one whose files cannot be read leaves the previous
// archive alone.
TEST(PackJob, AnExistingArchiveIsLeftAloneWhenNothingIsStored)
{
    ModTree mod;
    mod.folder("objects");
    writeFile("objects.kob", std::string(5000, 'o'));
    PackRun job = run("objects");
    EXPECT_EQ(std::tuple(job.entries, job.outcome, job.bytes, job.texts, job.calls),
              std::tuple(0u, PackOutcome::NothingToPack, std::string(5000, 'o'), Strings{"No files to pack.."},
                         Strings{"lower:Packing Archive (Uncompressed)"}));

    // A file that cannot be opened, even by root. Nothing stored: the
    // previous archive stays rather than an empty one.
    const UnopenableFile unopenable(mod.root() / "objects/b.txt");
    job = run("objects");
    EXPECT_EQ(std::tuple(job.entries, job.outcome, job.bytes), std::tuple(0u, PackOutcome::Failed, std::string(5000, 'o')));
}

// A source file that another program holds (an editor still saving it) is
// waited for; one still held at the end costs no file: the previous archive
// stays, and the text says which file and what to do. On both paths.
TEST(PackJob, AHeldSourceFileIsWaitedForAndOtherwiseKeepsThePreviousArchive)
{
    static std::atomic<int> heldOpens, releasedAfter;
    SourceAccess& access = testContext().source;
    access.heldRetry = std::chrono::milliseconds(200), access.heldStep = std::chrono::milliseconds(10);
    access.open = [](const std::string& path, platform::Error& error) {
        if (path.ends_with("b.dds") && heldOpens.fetch_add(1) < releasedAfter.load()) {
            error = {platform::OpenProblem::Held, 0, "held"};
            return platform::File();
        }
        return platform::File::openRead(path, error);
    };
    ModTree mod;
    mod.file("objects/a.txt", "aaa");
    mod.file("objects/b.dds", "bb");
    mod.file("objects/c.txt", "c");
    CompressionPool pool(2);
    for (const uint32_t compress : {0u, 1u}) { // one thread plain, read ahead compressed
        SCOPED_TRACE(compress);
        writeFile("objects.kob", "previous");
        heldOpens = 0, releasedAfter = 3; // the save ends while it is waited for
        EXPECT_EQ(run("objects", compress, compress ? &pool : nullptr).outcome, PackOutcome::Written);
        EXPECT_EQ(entryNames("objects.kob").size(), 3u);

        writeFile("objects.kob", "previous");
        heldOpens = 0, releasedAfter = 1 << 30;
        const PackRun held = run("objects", compress, compress ? &pool : nullptr);
        EXPECT_EQ(std::tuple(held.outcome, held.texts, held.bytes),
                  std::tuple(PackOutcome::Failed,
                             Strings{"../objects/b.dds is in use by another program: close it and pack again"},
                             std::string("previous")));
        EXPECT_EQ(temporaryFiles(), Strings{}) << "left behind";
    }
    resetContext();
}

// Whole mebibytes, truncated, doubled, in 64 bits. The rows that pack check
// the archive: a refused pack returns 1 as well.
TEST(PackJob, FreeSpaceIsCheckedInWholeMebibytes)
{
    const struct { const char* name; uint64_t bytes; uint32_t freeMB; bool packs; } rows[] = {
        {"just under 1 MiB needs nothing", 1048575, 0, true},
        {"3 MiB fit in exactly 6 MiB", 3 << 20, 6, true},
        {"3 MiB do not fit in 5 MiB", 3 << 20, 5, false},
        {"past 4 GiB does not wrap to 1 MiB", (4ull << 30) + (1 << 20), 100, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ModTree mod;
        mod.file("objects/a.bin");
        fs::resize_file(mod.root() / "objects/a.bin", row.bytes); // sparse
        writeFile("objects.kob", "old");
        FakeFreeSpace space(row.freeMB);
        const PackRun job = run("objects");
        EXPECT_EQ(space.asked.front(), ".") << "objects.kob lies in the current directory";
        EXPECT_EQ(job.out[2], "  Uncompressed .kob size (mb): " + std::to_string(row.bytes >> 20));
        EXPECT_EQ(std::tuple(job.entries, job.outcome, job.texts),
                  std::tuple(row.packs ? 1u : 0u, row.packs ? PackOutcome::Written : PackOutcome::Failed,
                             row.packs ? Strings{} : Strings{"Not enough free disk space!"}));
        if (row.packs)
            EXPECT_EQ(entryNames("objects.kob"), Strings{"objects/a.bin"});
        else
            EXPECT_EQ(job.out.back() + job.bytes, "  Free Disk Space (mb): " + std::to_string(row.freeMB) + "old")
                << "the free space shown, and nothing touched";
    }
}

TEST(PackJob, ArchiveInASubfolder)
{
    ModTree mod;
    mod.file("ostrel/levels/L/init.con", "i");
    FakeFreeSpace space(1000);
    PackRun job = run("ostrel/levels/L");
#ifdef _WIN32
    const std::string reason = "Path not found"; // the system's words (Wine's)
#else
    const std::string reason = "No such file or directory";
#endif
    EXPECT_EQ(std::tuple(job.entries, job.outcome, job.texts),
              std::tuple(0u, PackOutcome::Failed, Strings{"Error! Could not create .kob file: ostrel/levels/L.kob: " + reason}));

    fs::create_directories("ostrel/levels");
    job = run("ostrel/levels/L");
    EXPECT_EQ(std::tuple(job.out[3], space.asked.back(), entryNames("ostrel/levels/L.kob")),
              std::tuple("tmpDestDirLoc: ostrel/levels", "ostrel/levels", Strings{"ostrel/levels/L/init.con"}));
}

TEST(PackJob, TheArchiveBeingWrittenIsNotPackedIntoItself)
{
    // The empty name packs the whole mod root, Archives folder included.
    ModTree mod;
    mod.file("objects/a.txt", "a");
    EXPECT_EQ(packFolder("../", "", ".kob", 0).entries, 1u);
    EXPECT_EQ(packFolder("../", "", ".kob", 0).entries, 1u) << "the first run's .kob is left out of the second";
    EXPECT_EQ(entryNames(".kob"), Strings{"/objects/a.txt"});
}

#ifdef _WIN32
// The game running with the mod holds its archive open (sharing no deletion),
// and Windows replaces no such file: the pack says so and keeps the archive.
TEST(PackJob, AnArchiveHeldOpenByTheGameIsKeptAndTheFailureSaysWhy)
{
    ModTree mod;
    mod.file("objects/a.txt", "new");
    writeFile("objects.kob", "old archive");
    std::FILE* game = std::fopen("objects.kob", "rb");
    const PackRun job = run("objects");
    std::fclose(game);
    EXPECT_EQ(std::tuple(job.outcome, job.texts, readFile("objects.kob")),
              std::tuple(PackOutcome::Failed, Strings{"objects.kob: cannot be replaced while another program has it open "
                                                      "(is the game running?)"}, "old archive"));
    EXPECT_EQ(temporaryFiles(), Strings{}) << "left behind";
}

// Windows replaces no read-only file; the new archive is read-only again.
TEST(PackJob, AReadOnlyArchiveIsReplacedAndStaysReadOnly)
{
    ModTree mod;
    mod.file("objects/a.txt", "new");
    writeFile("objects.kob", "old archive");
    fs::permissions("objects.kob", fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    const PackRun job = run("objects");
    EXPECT_EQ(std::tuple(job.outcome, job.texts), std::tuple(PackOutcome::Written, Strings{}));
    EXPECT_EQ(entryNames("objects.kob"), Strings{"objects/a.txt"});
    EXPECT_EQ(fs::status("objects.kob").permissions() & fs::perms::owner_write, fs::perms::none);
    fs::permissions("objects.kob", fs::perms::owner_write, fs::perm_options::add);
}
#endif

// Issue 22: the new archive is synced before it replaces the previous one and
// its folder after, its temporary file held until then; a rename that fails
// (the name taken by a folder that is not empty) is a failure that leaves no
// temporary file behind.
TEST(PackJob, ReplacesOnlyOnceSyncedAndHeldAndAFailedRenameIsAFailure)
{
    ModTree mod;
    mod.file("objects/a.txt", "a");
    static Strings steps;
    // No records either: only the archive's own steps are seen.
    testContext().fileSystemKind = [](const std::string&) { return platform::FileSystemKind{"test", false}; };
    testContext().durabilityTrace = [](const char* step, const std::string& path) {
        steps.push_back(step);
        if (std::string(step) == "rename")
            steps.push_back(platform::removeIfUnheld(path) == platform::StaleResult::Held ? "held" : "not held");
    };
    run("objects");
    resetContext();
    EXPECT_EQ(steps, (Strings{"sync", "rename", "held", "folder sync"}));

    fs::remove("objects.kob");
    mod.file("Archives/objects.kob/keep.txt", "kept");
    EXPECT_EQ(run("objects").outcome, PackOutcome::Failed);
    EXPECT_EQ(temporaryFiles(), Strings{});
}
