// kobpack pack, and the command line's usage and exit statuses, driven
// through the real binary.

#include "CliRunner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>

using namespace kobtest;

namespace {

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

size_t occurrences(const std::string& text, const std::string& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

// Every .kob below `dir`, as paths relative to it, sorted.
std::vector<std::string> archivesBelow(const fs::path& dir)
{
    std::vector<std::string> found;
    for (const auto& entry : fs::recursive_directory_iterator(dir))
        if (entry.path().extension() == ".kob")
            found.push_back(entry.path().lexically_relative(dir).string());
    std::sort(found.begin(), found.end());
    return found;
}

struct RoundTripCase {
    const char* name;
    bool compress;
    uint32_t flag; // the archive's compression word
};

void PrintTo(const RoundTripCase& c, std::ostream* os)
{
    *os << c.name;
}

class PackRoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(PackRoundTrip, PackVerifyAndExtractGiveTheSourceBack)
{
    ModTree mod;
    const std::vector<std::pair<std::string, std::string>> files = {
        {"objects/empty.con", ""},
        {"objects/one.con", "x"},
        {"objects/Blocks/b32767.con", textBytes(32767, 1)},
        {"objects/Blocks/b32768.con", textBytes(32768, 2)},
        {"objects/Blocks/b32769.con", textBytes(32769, 3)},
        {"objects/sub/deeper/noise.dat", noiseBytes(100000, 4)},
    };
    for (const auto& [name, content] : files)
        mod.file(name, content);

    std::vector<std::string> args{"-C", "Archives", "pack", "objects"};
    if (GetParam().compress)
        args.insert(args.begin() + 3, "-c");
    const CliResult pack = runKobpack(args, mod.root());
    ASSERT_EQ(pack.status, 0) << pack.err;
    EXPECT_EQ(pack.err, "kobpack: objects.kob: Writing Index...\n");
    EXPECT_TRUE(contains(pack.out, std::string(" UseCompression: ") + (GetParam().compress ? "1" : "0") + "\nTotalFiles: 6\n"))
        << pack.out;
    const std::string archive = readFile(mod.archives() / "objects.kob");
    ASSERT_GE(archive.size(), 8u);
    EXPECT_EQ(wordAt(archive, 4), GetParam().flag);

    const CliResult verify = runKobpack({"verify", "objects.kob", "--against", ".."}, mod.archives());
    EXPECT_EQ(verify.status, 0) << verify.err;
    EXPECT_EQ(verify.out, "objects.kob: OK, 6 entries, the same as in ..\n");
    EXPECT_EQ(verify.err, "");

    const CliResult extract = runKobpack({"extract", "objects.kob", "-o", "out"}, mod.archives());
    EXPECT_EQ(extract.status, 0) << extract.err;
    for (const auto& [name, content] : files) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(readFile(mod.archives() / "out" / name) == content);
    }
}

INSTANTIATE_TEST_SUITE_P(Cli, PackRoundTrip,
                         ::testing::Values(RoundTripCase{"Plain", false, 0}, RoundTripCase{"Compressed", true, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CliPack, SoundAndMusicStayPlainWhenCompressing)
{
    ModTree mod;
    mod.file("objects/a.con", textBytes(5000));
    mod.file("Sound/a.wav", noiseBytes(5000));
    mod.file("music/b.wav", noiseBytes(5000));
    const CliResult r = runKobpack({"pack", "--compress", "objects", "Sound", "music"}, mod.archives());
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(wordAt(readFile(mod.archives() / "objects.kob"), 4), 1u);
    EXPECT_EQ(wordAt(readFile(mod.archives() / "Sound.kob"), 4), 0u);
    EXPECT_EQ(wordAt(readFile(mod.archives() / "music.kob"), 4), 0u);
}

// The mod root of the window's discovery example, under the kelVane game.
TEST(CliPack, AllFoldersAndLevelsPackDiscoverysListsInOrder)
{
    ModTree mod;
    for (const char* folder : {"Objects", "Menu", "Movies", "Music", "Logs", "lightmaps", "_backup", ".svn"})
        mod.file(std::string(folder) + "/a.con", "data");
    mod.file("kelVane/game/g.con", "game");
    mod.file("kelVane/levels/Lowlands/l.con", "low");
    mod.file("kelVane/levels/Alpine/a.con", "alp");
    mod.file("kelVane/levels/.hidden/h.con", "hid");
    mod.file("kelVane/levels/notALevel.con", "file");

    const CliResult r = runKobpack({"pack", "--all-levels", "--all-folders"}, mod.archives());
    ASSERT_EQ(r.status, 0) << r.err;
    // Folders first, then levels, each list in the drop-downs' order.
    EXPECT_EQ(r.err, "kobpack: kelVane/game.kob: Writing Index...\n"
                     "kobpack: lightmaps.kob: Writing Index...\n"
                     "kobpack: Menu.kob: Writing Index...\n"
                     "kobpack: Objects.kob: Writing Index...\n"
                     "kobpack: kelVane/levels/Alpine.kob: Writing Index...\n"
                     "kobpack: kelVane/levels/Lowlands.kob: Writing Index...\n");
    EXPECT_EQ(archivesBelow(mod.archives()),
              (std::vector<std::string>{"Menu.kob", "Objects.kob", "kelVane/game.kob", "kelVane/levels/Alpine.kob",
                                        "kelVane/levels/Lowlands.kob", "lightmaps.kob"}));
}

TEST(CliPack, AllFoldersMakesOnlyTheGameFolder)
{
    ModTree mod;
    mod.file("Objects/a.con", "data");
    mod.file("kelVane/levels/Alpine/a.con", "alp");
    const CliResult r = runKobpack({"pack", "--all-folders"}, mod.archives());
    // kelVane/game holds no files: reported, not a failure.
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(contains(r.err, "kobpack: kelVane/game.kob: No files to pack..\n")) << r.err;
    EXPECT_TRUE(fs::is_directory(mod.archives() / "kelVane"));
    EXPECT_FALSE(fs::exists(mod.archives() / "kelVane" / "levels"));
}

TEST(CliPack, AGameFolderNamedOnTheCommandLineGetsItsDirectory)
{
    ModTree mod;
    mod.file("KelVane/levels/Alpine/a.con", "alp");
    const CliResult r = runKobpack({"pack", "kelVane/levels/Alpine/"}, mod.archives());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fs::exists(mod.archives() / "kelVane/levels/Alpine.kob"));
}

TEST(CliPack, AMissingNameIsAnErrorAndTheOthersArePacked)
{
    ModTree mod;
    mod.file("objects/a.con", "data");
    mod.file("textures/t.dds", "tex");
    const CliResult r = runKobpack({"pack", "objects", "nosuch", "textures"}, mod.archives());
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "kobpack: nosuch: no folder ../nosuch to pack\n"
                     "kobpack: objects.kob: Writing Index...\n"
                     "kobpack: textures.kob: Writing Index...\n");
    EXPECT_EQ(archivesBelow(mod.archives()), (std::vector<std::string>{"objects.kob", "textures.kob"}));
}

TEST(CliPack, AnEmptyFolderIsReportedNotFailed)
{
    ModTree mod;
    mod.folder("empty/sub");
    const CliResult r = runKobpack({"pack", "empty"}, mod.archives());
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "kobpack: empty.kob: No files to pack..\n");
    EXPECT_FALSE(fs::exists(mod.archives() / "empty.kob"));
}

struct FailureCase {
    const char* name;
    std::function<void(ModTree&)> prepare;
    std::vector<std::string> args;
    std::vector<std::string> errorLines; // each must appear on standard error
    std::vector<std::string> archives;   // what is left in the Archives folder
};

void PrintTo(const FailureCase& c, std::ostream* os)
{
    *os << c.name;
}

class PackFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(PackFailure, ExitsWithOneAndSaysWhy)
{
    ModTree mod;
    mod.file("objects/a.con", "data");
    GetParam().prepare(mod);
    const CliResult r = runKobpack(GetParam().args, mod.archives());
    EXPECT_EQ(r.status, 1) << r.err;
    for (const std::string& line : GetParam().errorLines)
        EXPECT_TRUE(contains(r.err, line)) << "missing: " << line << "\nin:\n" << r.err;
    EXPECT_EQ(archivesBelow(mod.archives()), GetParam().archives);
}

INSTANTIATE_TEST_SUITE_P(
    Cli, PackFailure,
    ::testing::Values(
        FailureCase{"UnreadableFileIsSkipped",
                    [](ModTree& mod) { fs::create_symlink(mod.root() / "nowhere", mod.root() / "objects/b.con"); },
                    {"pack", "objects"},
                    {"kobpack: objects.kob: written without the files that could not be read (named on standard "
                     "output)\n"},
                    {"objects.kob"}},
        FailureCase{"ArchiveCannotBeCreated", [](ModTree& mod) { mod.file("deep/data/d.con", "d"); },
                    {"pack", "deep/data", "objects"},
                    {"kobpack: deep/data.kob: Error! Could not create .kob file: deep/data.kob\n",
                     "kobpack: deep/data.kob: not written\n"},
                    {"objects.kob"}},
        FailureCase{"NamesOutsideTheModAreRefused", [](ModTree&) {},
                    {"pack", "../objects", "/objects", "", "objects"},
                    {"kobpack: ../objects: refused: the name holds a \"..\" component\n",
                     "kobpack: /objects: refused: the name is absolute\n",
                     "kobpack: an empty NAME names no folder; not packed\n"},
                    {"objects.kob"}},
        FailureCase{"AFileIsNoFolder", [](ModTree& mod) { mod.file("plain.con", "p"); },
                    {"pack", "plain.con"},
                    {"kobpack: plain.con: no folder ../plain.con to pack\n"},
                    {}}),
    [](const auto& info) { return std::string(info.param.name); });

// Ctrl-C and SIGTERM act as the dialog's Cancel: the archive in hand is
// deleted, the names after it are not packed, earlier archives stay.
class PackInterrupt : public ::testing::TestWithParam<int> {};

TEST_P(PackInterrupt, DeletesTheArchiveInHandAndStops)
{
    ModTree mod;
    mod.file("a/a.con", "first");
    // Large enough that the batch is still in b when the signal arrives.
    for (int i = 0; i < 600; ++i)
        mod.file("b/file" + std::to_string(i) + ".dat", noiseBytes(32768, static_cast<uint32_t>(i)));
    mod.file("c/c.con", "last");

    CliProcess process({"pack", "-c", "a", "b", "c"}, mod.archives());
    ASSERT_TRUE(waitForFile(mod.archives() / "b.kob", process)) << "b.kob never appeared";
    process.signal(GetParam());
    const CliResult r = process.wait();

    EXPECT_EQ(r.status, 130) << r.err;
    EXPECT_EQ(archivesBelow(mod.archives()), (std::vector<std::string>{"a.kob"}));
    EXPECT_EQ(occurrences(r.out, " UseCompression: "), 2u) << "c must not be started";
    EXPECT_TRUE(contains(r.err, "kobpack: b.kob: interrupted; archive deleted\n")) << r.err;
    EXPECT_TRUE(contains(r.err, "kobpack: interrupted; not packed: c\n")) << r.err;
    const CliResult verify = runKobpack({"verify", "a.kob", "--against", ".."}, mod.archives());
    EXPECT_EQ(verify.status, 0) << verify.err;
}

INSTANTIATE_TEST_SUITE_P(Cli, PackInterrupt, ::testing::Values(SIGINT, SIGTERM),
                         [](const auto& info) { return std::string(info.param == SIGINT ? "SIGINT" : "SIGTERM"); });

TEST(CliPack, ProgressOnlyOnATerminal)
{
    ModTree mod;
    mod.file("a/a.con", textBytes(1000));
    mod.file("b/b.con", textBytes(1000));

    const CliResult terminal = runKobpack({"pack", "a", "b"}, mod.archives(), true);
    EXPECT_EQ(terminal.status, 0);
    EXPECT_TRUE(contains(terminal.err, "Creating (1 of 2): a.kob [")) << terminal.err;
    EXPECT_TRUE(contains(terminal.err, "Creating (2 of 2): b.kob [")) << terminal.err;
    EXPECT_TRUE(contains(terminal.err, "kobpack: b.kob: Writing Index...")) << terminal.err;
    EXPECT_TRUE(contains(terminal.out, "TotalFiles: 1\n")) << "trace lines stay on standard output";

    const CliResult file = runKobpack({"pack", "a", "b"}, mod.archives());
    EXPECT_EQ(file.status, 0);
    EXPECT_EQ(file.err, "kobpack: a.kob: Writing Index...\nkobpack: b.kob: Writing Index...\n");
}

struct UsageCase {
    const char* name;
    std::vector<std::string> args;
    int status;
    std::string outPart; // must appear on standard output
    std::string errPart; // must appear on standard error
};

void PrintTo(const UsageCase& c, std::ostream* os)
{
    *os << c.name;
}

class Usage : public ::testing::TestWithParam<UsageCase> {};

TEST_P(Usage, ExitStatusAndMessage)
{
    TempDir dir;
    const CliResult r = runKobpack(GetParam().args, dir.path());
    EXPECT_EQ(r.status, GetParam().status) << r.err;
    EXPECT_TRUE(contains(r.out, GetParam().outPart)) << r.out;
    EXPECT_TRUE(contains(r.err, GetParam().errPart)) << r.err;
    if (GetParam().status == 2) {
        EXPECT_FALSE(r.err.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cli, Usage,
    ::testing::Values(UsageCase{"NoCommand", {}, 2, "", "A COMMAND (pack, list, extract or verify) is required"},
                      UsageCase{"UnknownOption", {"--blah"}, 2, "", "--blah"},
                      UsageCase{"UnknownCommand", {"frobnicate"}, 2, "", "frobnicate"},
                      UsageCase{"PackWithNothing", {"pack"}, 2, "", "give a NAME, --all-folders or --all-levels"},
                      UsageCase{"ListWithoutArchive", {"list"}, 2, "", "ARCHIVE"},
                      UsageCase{"VerifyWithoutArchive", {"verify", "--against", "."}, 2, "", "ARCHIVE"},
                      UsageCase{"MissingWorkFolder", {"-C", "nowhere", "list", "a.kob"}, 2, "",
                                "kobpack: nowhere: cannot work in this folder: No such file or directory\n"},
                      UsageCase{"Help", {"--help"}, 0, "Usage: kobpack", ""},
                      UsageCase{"CommandHelp", {"pack", "--help"}, 0, "--all-folders", ""},
                      UsageCase{"Version", {"--version"}, 0, "kobpack 1.5.0\n", ""}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace

TEST(CliPack, EveryThreadCountWritesTheSameBytes)
{
    ModTree mod;
    for (int i = 0; i < 40; ++i)
        mod.file("objects/small/" + std::to_string(i) + ".con", textBytes(100 + 97 * i, i));
    mod.file("objects/empty.con", "");
    mod.file("objects/big.dat", textBytes(3 << 20, 99) + noiseBytes(65537, 98));
    std::string first;
    for (const char* jobs : {"1", "2", "8"}) {
        SCOPED_TRACE(std::string("-j ") + jobs);
        const CliResult r = runKobpack({"pack", "-c", "-j", jobs, "objects"}, mod.archives());
        ASSERT_EQ(r.status, 0) << r.err;
        const std::string archive = readFile(mod.archives() / "objects.kob");
        if (first.empty())
            first = archive;
        EXPECT_TRUE(archive == first) << "archives differ between thread counts";
    }
    EXPECT_EQ(runKobpack({"pack", "-j", "0", "objects"}, mod.archives()).status, 2) << "0 threads is a usage error";
}
