// kobpack pack (and its taking over of unchanged entries from the previous
// archive), and the command line's usage and exit statuses, driven through
// the real binary; its round trip through verify and extract is in
// cli_archive_test.

#include "CliRunner.h"

#include "format/ArchiveFormat.h"

#include <gtest/gtest.h>

#include <lzo/lzo1x.h>
#include <sys/stat.h>

using namespace kobtest;

namespace {

// objects.kob with the one entry objects/a.con holding `content` in a single
// block compressed by LZO1X-1: the same bytes when decompressed, other
// compressed bytes than a pack gives.
std::string foreignArchive(const std::string& content)
{
    std::vector<uint8_t> block(kob::lzoWorstCase(content.size())), work(LZO1X_1_MEM_COMPRESS);
    lzo_uint length = 0;
    EXPECT_EQ(lzo1x_1_compress(reinterpret_cast<const uint8_t*>(content.data()), content.size(), block.data(), &length,
                               work.data()),
              LZO_E_OK);
    const std::string area = word(1) + word(length) + word(content.size()) + word(0)
                           + std::string(reinterpret_cast<const char*>(block.data()), length);
    return archiveOf({{"objects/a.con", area, content.size()}}, 1);
}

// What one pack run leaves in the Archives folder and says on standard error.
TEST(CliPack, NamesFoldersAndFailures)
{
    // files below the mod root; left below Archives afterwards
    struct Row { const char* name; Strings files, args; int status; std::string err; Strings left; };
    const std::vector<Row> rows = {
        // The window's discovery example: folders first, then levels, each in
        // the drop-downs' order; the empty game folder is reported, no failure.
        {"AllFoldersAndLevels",
         {"Objects/a.con", "Menu/a.con", "Movies/a.con", "Music/a.con", "Logs/a.con", "lightmaps/a.con",
          "_backup/a.con", ".svn/a.con", "kelVane/levels/Lowlands/l.con", "kelVane/levels/Alpine/a.con",
          "kelVane/levels/.hidden/h.con", "kelVane/levels/notALevel.con"},
         {"pack", "--all-levels", "--all-folders"}, 0,
         "kobpack: kelVane/game.kob: No files to pack..\n",
         {"Menu.kob", "Objects.kob", "kelVane", "kelVane/levels", "kelVane/levels/Alpine.kob",
          "kelVane/levels/Lowlands.kob", "lightmaps.kob"}},
        {"GameFolderNamedInAnyCaseWithASlash", {"KelVane/levels/Alpine/a.con"}, {"pack", "kelVane/levels/Alpine/"}, 0,
         "",
         {"kelVane", "kelVane/levels", "kelVane/levels/Alpine.kob"}},
        {"MissingAndRefusedNamesTheOthersArePacked", {"objects/a.con", "textures/t.dds", "plain.con"},
         {"pack", "objects", "nosuch", "plain.con", "../objects", "/objects", "", "textures"}, 1,
         "kobpack: nosuch: no folder ../nosuch to pack\n"
         "kobpack: plain.con: no folder ../plain.con to pack\n"
         "kobpack: ../objects: refused: the name holds a \"..\" component\n"
         "kobpack: /objects: refused: the name is absolute\n"
         "kobpack: an empty NAME names no folder; not packed\n",
         {"objects.kob", "textures.kob"}},
        {"ArchiveCannotBeCreated", {"deep/data/d.con", "objects/a.con"}, {"pack", "deep/data", "objects"}, 1,
         "kobpack: deep/data.kob: Error! Could not create .kob file: deep/data.kob\n"
         "kobpack: deep/data.kob: not written\n",
         {"objects.kob"}},
        // objects/b.con becomes a dangling link below, objects/c.con a named pipe.
        {"UnreadableFileIsSkipped", {"objects/a.con"}, {"pack", "objects"}, 1,
         "kobpack: objects.kob: ERROR! inputFile cannot be opened: ../objects/b.con\n"
         "kobpack: objects.kob: ERROR! inputFile not a regular file: ../objects/c.con\n"
         "kobpack: objects.kob: written without some files (named above and on standard output)\n",
         {"objects.kob"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ModTree mod;
        for (const std::string& file : row.files)
            mod.file(file, file);
        if (std::string(row.name) == "UnreadableFileIsSkipped") {
            fs::create_symlink(mod.root() / "nowhere", mod.root() / "objects/b.con");
            ASSERT_EQ(mkfifo((mod.root() / "objects/c.con").c_str(), 0644), 0);
        }
        const CliResult r = runKobpack(row.args, mod.archives());
        EXPECT_EQ(r.status, row.status);
        EXPECT_EQ(r.err, row.err);
        EXPECT_EQ(below(mod.archives()), row.left);
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
        const auto writingB = [&] {
            for (const auto& entry : fs::directory_iterator(mod.archives()))
                if (entry.path().filename().string().rfind("b.kob.tmp-", 0) == 0)
                    return true;
            return false;
        };
        for (int i = 0; i < 60000 && !writingB(); ++i) // a minute or so
            ASSERT_TRUE(process.running()) << "ended before b.kob was begun";
        process.signal(sig);
        const CliResult r = process.wait();
        EXPECT_EQ(r.status, 130);
        EXPECT_EQ(r.err, "kobpack: b.kob: interrupted; not written\n"
                         "kobpack: interrupted; not packed: c\n");
        EXPECT_EQ(below(mod.archives()), (std::vector<std::string>{"a.kob", "b.kob"}));
        EXPECT_EQ(readFile(mod.archives() / "b.kob"), "previous");
        EXPECT_EQ(runKobpack({"verify", "a.kob", "--against", ".."}, mod.archives()).status, 0);
    }
}

// Usage errors carry the tool's name and a pointer to --help.
TEST(Cli, UsageAndExitStatus)
{
    // out must appear on standard output; err is all of standard error
    struct Row { const char* name; Strings args; int status; std::string out, err; };
    const std::string help = " (see kobpack --help)\n";
    const std::vector<Row> rows = {
        {"NoCommand", {}, 2, "", "kobpack: A COMMAND (pack, list, extract or verify) is required" + help},
        {"UnknownOption", {"--nosuch"}, 2, "", "kobpack: The following argument was not expected: --nosuch" + help},
        {"PackWithNothing", {"pack"}, 2, "", "kobpack: pack: give a NAME, --all-folders or --all-levels" + help},
        {"MissingWorkFolder", {"-C", "nowhere", "list", "a.kob"}, 2, "",
         "kobpack: nowhere: cannot work in this folder: No such file or directory\n"},
        {"Help", {"--help"}, 0, "Usage: kobpack", ""},
        {"Version", {"--version"}, 0, "kobpack 1.5.0\n", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        const CliResult r = runKobpack(row.args, dir.path());
        EXPECT_EQ(r.status, row.status);
        EXPECT_NE(r.out.find(row.out), std::string::npos) << r.out;
        EXPECT_EQ(r.err, row.err);
    }
}

// pack -c takes unchanged entries over from the previous archive as stored;
// --fresh compresses every file again.
TEST(CliPack, RepackTakesOverTheStoredBlocksUnlessFresh)
{
    ModTree mod;
    const std::string content = textBytes(20000, 3);
    mod.file("objects/a.con", content);
    const fs::path archive = mod.archives() / "objects.kob";
    ASSERT_EQ(runKobpack({"pack", "-c", "objects"}, mod.archives()).status, 0);
    const std::string packed = readFile(archive);

    const std::string foreign = foreignArchive(content);
    writeFile(archive, foreign);
    ASSERT_TRUE(foreign != packed) << "LZO1X-1 must store other bytes for the test to tell";
    ASSERT_EQ(runKobpack({"pack", "-c", "objects"}, mod.archives()).status, 0);
    EXPECT_TRUE(readFile(archive) == foreign) << "the entry's bytes are taken over as stored";
    ASSERT_EQ(runKobpack({"pack", "-c", "--fresh", "objects"}, mod.archives()).status, 0);
    EXPECT_TRUE(readFile(archive) == packed) << "--fresh compresses the file again";
}

} // namespace
