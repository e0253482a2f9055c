// kobpack list, extract and verify, driven through the real binary: rows
// over one mod packed once for the suite, each run on a copy of it, and an
// archive crafted by hand.

#include "CliRunner.h"

#include "format/ArchiveFormat.h"

#include <gtest/gtest.h>

#include <memory>

using namespace kobtest;

namespace {

const std::string a = textBytes(40000, 7), b = textBytes(5000, 8);
// Below the mod root; folders beginning with ".." are passed over.
const std::vector<std::pair<std::string, std::string>> kSources = {
    {"objects/a.con", a}, {"objects/b.con", b}, {"objects/empty.con", ""}, {"objects/Sub/deeper/noise.dat", noiseBytes(40000, 9)},
    {"objects/..old/c.con", "c"}, {"tiny/e.con", ""}, {"ostrel/levels/L/l.con", "l"}, {"ostrel/levels/L/..old/c.con", "c"}};

// Offset of entry `i`'s first compressed byte in objects.kob, after its
// block table (the first two names are 13 bytes long).
size_t firstBlockOf(const std::string& archive, size_t i)
{
    const size_t data = wordAt(archive, wordAt(archive, 0) + 4 + i * (13 + kob::kRecordFixedSize) + 4 + 13 + 8);
    return data + 4 + kob::kDescriptorSize * wordAt(archive, data);
}

// objects.kob with the first block of each entry in `entries` spoilt.
std::function<void(const fs::path&)> damaged(std::vector<size_t> entries)
{
    return [entries](const fs::path& root) {
        std::string bytes = readFile(root / "Archives/objects.kob");
        for (const size_t i : entries)
            bytes[firstBlockOf(bytes, i)] ^= 0xFF;
        writeFile(root / "Archives/objects.kob", bytes);
    };
}

// objects and tiny packed compressed, the level L plain.
class PackedOnce : public ::testing::Test {
protected:
    static inline std::unique_ptr<TempDir> s_packed;

    static void SetUpTestSuite()
    {
        s_packed = std::make_unique<TempDir>();
        const fs::path root = s_packed->path() / "mod";
        for (const auto& [name, content] : kSources)
            writeFile(root / name, content);
        fs::create_directory(root / "Archives");
        const CliResult r = runKobpack({"-C", "Archives", "pack", "-c", "objects", "tiny"}, root);
        EXPECT_EQ(std::tuple(r.status, r.err, r.out), std::tuple(0, "", "")) << "quiet off a terminal, no trace";
        const CliResult v = runKobpack({"pack", "-v", "ostrel/levels/L"}, root / "Archives");
        EXPECT_EQ(std::tuple(v.status, v.out.find(" UseCompression: 0\nTotalFiles: 1\n") != std::string::npos),
                  std::tuple(0, true)) << "the trace with -v:\n" << v.out;
    }
    static void TearDownTestSuite() { s_packed.reset(); }

    // `change` makes the copy's mod root differ; every part of `err` is on standard error.
    struct Row { const char* name; std::function<void(const fs::path&)> change; Strings args; int status; std::string out;
                 Strings err; std::function<void(const fs::path& archives)> check = {}; };
    static void run(const std::vector<Row>& rows)
    {
        for (const Row& row : rows) {
            SCOPED_TRACE(row.name);
            TempDir copy;
            fs::copy(s_packed->path(), copy.path(), fs::copy_options::recursive);
            const fs::path root = copy.path() / "mod";
            if (row.change)
                row.change(root);
            const CliResult r = runKobpack(row.args, root / "Archives");
            EXPECT_EQ(std::pair(r.status, r.out), std::pair(row.status, row.out));
            for (const std::string& part : row.err)
                EXPECT_NE(r.err.find(part), std::string::npos) << part << " not in:\n" << r.err;
            if (row.err.empty()) {
                EXPECT_EQ(r.err, "");
            }
            if (row.check)
                row.check(root / "Archives");
        }
    }
};

TEST_F(PackedOnce, List)
{
    // Control bytes and backslashes in names are escaped to keep one line.
    const auto handMade = [](const fs::path& root) {
        writeFile(root / "Archives/plain.kob", archiveOf({{"objects/a\n\\.txt", "0123456789"}, {"objects/e.txt", ""}}));
    };
    run({{"PlainCompressedMissingAndHandMade", handMade, {"list", "ostrel/levels/L.kob", "missing.kob", "tiny.kob", "plain.kob"}, 1,
          "ostrel/levels/L.kob: plain\n"
          "    stored       size     offset  name\n"
          "         1          1        156  ostrel/levels/L/l.con\n"
          "         1          1             total, 1 entry\n\n"
          "tiny.kob: compressed\n"
          "    stored       size     offset  name\n"
          "        20          0        156  tiny/e.con\n"
          "        20          0             total, 1 entry\n\n"
          "plain.kob: plain\n"
          "    stored       size     offset  name\n"
          "        10         10        156  objects/a\\x0a\\\\.txt\n"
          "         0          0        166  objects/e.txt\n"
          "        10         10             total, 2 entries\n",
          {"kobpack: missing.kob: No such file or directory\n"}}});
    // A listing cut short by a full disk is a failure.
    EXPECT_EQ(runKobpack({"list", "tiny.kob"}, s_packed->path() / "mod/Archives", 40).status, 1);
}

TEST_F(PackedOnce, Extract)
{
    // Every source below objects came back whole, but what the packer passes over.
    const auto sameAsSources = [](const fs::path& archives) {
        for (const auto& [name, content] : kSources)
            if (name.starts_with("objects/")) {
                EXPECT_EQ(readFile(archives / "out" / name) == content, name.find("/..") == std::string::npos) << name;
            }
    };
    run({
        {"CompressedRoundTrip", {}, {"extract", "objects.kob", "-o", "out"}, 0, "", {}, sameAsSources},
        {"DamagedEntryIsLeftOut", damaged({0}), {"extract", "objects.kob", "-o", "out"}, 1, "",
         {"kobpack: objects.kob: entry 0 (objects/a.con), block 0: does not decompress"},
         [](const fs::path& archives) {
             EXPECT_EQ(std::pair(fs::exists(archives / "out/objects/a.con"), readFile(archives / "out/objects/b.con") == b),
                       std::pair(false, true));
         }},
        {"NamedEntries", {}, {"extract", "objects.kob", "-o", "sel", "objects/b.con", "objects/nosuch"}, 1, "",
         {"kobpack: objects.kob: no entry objects/nosuch\n"},
         [](const fs::path& archives) { EXPECT_EQ(below(archives / "sel"), (Strings{"objects", "objects/b.con"})); }},
    });
}

// Damage to the archive, or a source folder that differs from it with
// --against (changed, missing or added files): every problem is reported and
// the exit status is 1. What the packer passes over, or matches ignoring
// case, does not count.
TEST_F(PackedOnce, Verify)
{
    const Strings objects{"verify", "objects.kob", "--against", ".."};
    const std::string same = "objects.kob: OK, 4 entries, the same as in ..\n";
    run({
        // Issue 22: a subfolder in another case, a link back up and the archive inside its own folder were
        // reported, or walked without end.
        {"BothModes", [](const fs::path& r) {
             fs::rename(r / "objects/Sub", r / "objects/SUB");
             fs::create_directory_symlink("../..", r / "objects/SUB/deeper/up");
             fs::create_directory_symlink("SUB", r / "objects/zlink"); // issue 21: a second way in was walked
             fs::rename(r / "Archives/objects.kob", r / "objects/objects.kob");
         }, {"verify", "../objects/objects.kob", "ostrel/levels/L.kob", "--against", ".."}, 0,
         "../objects/" + same + "ostrel/levels/L.kob: OK, 1 entry, the same as in ..\n", {}},
        {"TwoDamagedEntries", damaged({0, 1}), {"verify", "objects.kob"}, 1, "objects.kob: FAILED, 2 problems\n",
         {"kobpack: objects.kob: entry 0 (objects/a.con), block 0: does not decompress (LZO error ",
          "kobpack: objects.kob: entry 1 (objects/b.con), block 0: does not decompress (LZO error "}},
        {"TruncatedFile", [](const fs::path& r) { fs::resize_file(r / "Archives/objects.kob", fs::file_size(r / "Archives/objects.kob") - 10); },
         objects, 1, "objects.kob: FAILED, cannot be read\n",
         {"kobpack: objects.kob: record 3: name length 28 runs past the end of the file\n"}},
        // Issue 22: a source one byte shorter than its entry passed.
        {"SourceShorterChangedLongerMissingAndAdded",
         [](const fs::path& r) {
             writeFile(r / "objects/a.con", a.substr(0, a.size() - 1)), writeFile(r / "objects/b.con", b.substr(0, 100) + "\x01" + b.substr(101));
             writeFile(r / "objects/empty.con", "x"), fs::remove(r / "objects/Sub/deeper/noise.dat");
             writeFile(r / "objects/new.con", "n"), writeFile(r / "objects/Sub/Newer.txt", "n");
         },
         objects, 1, "objects.kob: FAILED, 6 problems\n",
         {"kobpack: objects.kob: objects/a.con: holds 40000 bytes, ../objects/a.con only 39999\n"
          "kobpack: objects.kob: objects/b.con: differs from ../objects/b.con at byte 100\n"
          "kobpack: objects.kob: objects/empty.con: holds 0 bytes, ../objects/empty.con is longer\n"
          "kobpack: objects.kob: objects/Sub/deeper/noise.dat: cannot read ../objects/Sub/deeper/noise.dat to compare with: No such file or directory\n",
          "kobpack: objects.kob: objects/new.con: no entry for ../objects/new.con\n",
          "kobpack: objects.kob: objects/Sub/Newer.txt: no entry for ../objects/Sub/Newer.txt\n"}},
        // With no entry to go by, the folder is told by the archive's name.
        {"NoEntries", [](const fs::path& r) { writeFile(r / "Archives/objects.kob", archiveOf({})); }, objects, 1,
         "objects.kob: FAILED, 4 problems\n",
         {"kobpack: objects.kob: objects/a.con: no entry for ../objects/a.con\n"
          "kobpack: objects.kob: objects/b.con: no entry for ../objects/b.con\n"}},
        {"RenamedArchive", [](const fs::path& r) { fs::rename(r / "Archives/objects.kob", r / "Archives/backup.kob"); },
         {"verify", "backup.kob", "--against", ".."}, 1, "backup.kob: FAILED, 1 problem\n",
         {"kobpack: backup.kob: cannot tell which folder of .. it was packed from: its entries do not all begin with its name\n"}},
    });
}

// Names that would write outside the folder are refused one by one, a write
// that fails (the disk is full) leaves no partial file; the rest (also what
// follows the failure) is extracted and nothing lands outside.
TEST(CliExtract, RefusesUnsafeNamesAndExtractsTheRest)
{
    TempDir dir;
    const fs::path out = dir.path() / "out";
    fs::create_directories(out / "real");
    fs::create_directories(dir.path() / "outside");
    fs::create_symlink(dir.path() / "outside", out / "link");
    fs::create_symlink(out / "real", out / "inlink");
    fs::create_symlink(dir.path() / "nowhere", out / "dangling");
    const std::string absolute = (dir.path() / "abs.txt").string();
    writeFile(dir.path() / "evil.kob",
              archiveOf({{"good/a.txt", "A"}, {"../escaped.txt", "E"}, {absolute, "B"},
                            {"sub/../../escaped2.txt", "E"}, {"back\\slash.txt", "S"},
                            {std::string("nul\0.txt", 8), "N"}, {"link/evil.txt", "L"}, {"dangling/x.txt", "D"},
                            {"folder/", "F"}, {"big.dat", noiseBytes(300000)}, {"inlink/fine.txt", "I"},
                            {"./good/b.txt", "G"}}));

    const CliResult r = runKobpack({"extract", "evil.kob", "-o", "out"}, dir.path(), 100000);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "kobpack: evil.kob: ../escaped.txt: refused: the name holds a \"..\" component\n"
                     "kobpack: evil.kob: " + absolute + ": refused: the name is absolute\n"
                     "kobpack: evil.kob: sub/../../escaped2.txt: refused: the name holds a \"..\" component\n"
                     "kobpack: evil.kob: back\\\\slash.txt: refused: the name holds a backslash\n"
                     "kobpack: evil.kob: nul\\x00.txt: refused: the name holds a NUL byte\n"
                     "kobpack: evil.kob: link/evil.txt: refused: it would land outside out through the symbolic "
                     "link out/link\n"
                     "kobpack: evil.kob: dangling/x.txt: refused: it would pass through the symbolic link "
                     "out/dangling, which leads nowhere\n"
                     "kobpack: evil.kob: folder/: refused: the name ends in \"/\" and names no file\n"
                     "kobpack: evil.kob: big.dat: cannot write out/big.dat: File too large\n");
    EXPECT_EQ(below(dir.path()),
              (std::vector<std::string>{"evil.kob", "out", "out/dangling", "out/good", "out/good/a.txt",
                                        "out/good/b.txt", "out/inlink", "out/link", "out/real", "out/real/fine.txt",
                                        "outside"}));
}

} // namespace
