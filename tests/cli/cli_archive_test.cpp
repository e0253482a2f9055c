// kobpack list, extract and verify, driven through the real binary, on
// archives it packed and on archives crafted by hand.

#include "CliRunner.h"

#include "format/ArchiveFormat.h"

#include <gtest/gtest.h>

using namespace kobtest;

namespace {

// A mod whose objects folder was packed compressed by kobpack: a.con (two
// blocks) and b.con (one block); folders beginning with ".." are passed over.
struct PackedMod {
    ModTree mod;
    std::string a = textBytes(40000, 7), b = textBytes(5000, 8);
    PackedMod()
    {
        mod.file("objects/a.con", a);
        mod.file("objects/b.con", b);
        mod.file("objects/..old/c.con", "c");
        EXPECT_EQ(runKobpack({"pack", "-c", "objects"}, mod.archives()).status, 0) << "packing failed";
    }
    fs::path archive() const { return mod.archives() / "objects.kob"; }
};

// Offset of entry `i`'s first compressed byte in a PackedMod archive, after
// its block table (both names are 13 bytes long).
size_t firstBlockOf(const std::string& archive, size_t i)
{
    const size_t data = wordAt(archive, wordAt(archive, 0) + 4 + i * (13 + kob::kRecordFixedSize) + 4 + 13 + 8);
    return data + 4 + kob::kDescriptorSize * wordAt(archive, data);
}

TEST(CliList, PrintsModeEntriesAndTotals)
{
    ModTree mod;
    // Control bytes and backslashes in names are escaped to keep one line.
    writeFile(mod.archives() / "plain.kob",
              archiveOf({{"objects/a\n\\.txt", "0123456789"}, {"objects/e.txt", ""}}));
    mod.file("objects/e.con", "");
    ASSERT_EQ(runKobpack({"pack", "-c", "objects"}, mod.archives()).status, 0);

    const CliResult r = runKobpack({"list", "plain.kob", "missing.kob", "objects.kob"}, mod.archives());
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "kobpack: missing.kob: No such file or directory\n");
    EXPECT_EQ(r.out, "plain.kob: plain\n"
                     "    stored       size     offset  name\n"
                     "        10         10        156  objects/a\\x0a\\\\.txt\n"
                     "         0          0        166  objects/e.txt\n"
                     "        10         10             total, 2 entries\n"
                     "\n"
                     "objects.kob: compressed\n"
                     "    stored       size     offset  name\n"
                     "        20          0        156  objects/e.con\n"
                     "        20          0             total, 1 entry\n");
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

TEST(CliExtract, DamagedAndNamedEntries)
{
    PackedMod packed;
    std::string bytes = readFile(packed.archive());
    bytes[firstBlockOf(bytes, 0)] ^= 0xFF;
    writeFile(packed.archive(), bytes);
    const fs::path archives = packed.mod.archives();

    CliResult r = runKobpack({"extract", "objects.kob", "-o", "all"}, archives);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.rfind("kobpack: objects.kob: entry 0 (objects/a.con), block 0: does not decompress", 0), 0u)
        << r.err;
    EXPECT_FALSE(fs::exists(archives / "all/objects/a.con"));
    EXPECT_TRUE(readFile(archives / "all/objects/b.con") == packed.b);

    r = runKobpack({"extract", "objects.kob", "-o", "sel", "objects/b.con", "objects/nosuch"}, archives);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "kobpack: objects.kob: no entry objects/nosuch\n");
    EXPECT_EQ(below(archives / "sel"), (std::vector<std::string>{"objects", "objects/b.con"}));
}

// Damage to the archive, or a source folder that differs from it with
// --against (changed, missing or added files): every problem is reported and
// the exit status is 1.
TEST(CliVerify, ReportsEveryProblem)
{
    // errParts each on standard error; the bytes are written to `archive`, and verified
    struct Row { const char* name; std::function<void(const PackedMod&, std::string&)> change; Strings errParts;
                 std::string out, archive = "objects.kob"; };
    const std::vector<Row> rows = {
        {"TwoDamagedEntries",
         [](const PackedMod&, std::string& a) {
             a[firstBlockOf(a, 0)] ^= 0xFF;
             a[firstBlockOf(a, 1)] ^= 0xFF;
         },
         {"kobpack: objects.kob: entry 0 (objects/a.con), block 0: does not decompress (LZO error ",
          "kobpack: objects.kob: entry 1 (objects/b.con), block 0: does not decompress (LZO error "},
         "objects.kob: FAILED, 2 problems\n"},
        {"TruncatedFile", [](const PackedMod&, std::string& a) { a.resize(a.size() - 10); },
         {"kobpack: objects.kob: record 1: name length 13 runs past the end of the file\n"},
         "objects.kob: FAILED, cannot be read\n"},
        {"SourceChangedMissingAndAdded",
         [](const PackedMod& p, std::string&) {
             fs::remove(p.mod.root() / "objects/a.con");
             p.mod.file("objects/b.con", p.b.substr(0, 100) + "\x01" + p.b.substr(101));
             p.mod.file("objects/new.con", "n");
             p.mod.file("objects/sub/Newer.txt", "n");
         },
         {"kobpack: objects.kob: objects/a.con: cannot read ../objects/a.con to compare with: No such file or "
          "directory\n"
          "kobpack: objects.kob: objects/b.con: differs from ../objects/b.con at byte 100\n",
          "kobpack: objects.kob: objects/new.con: no entry for ../objects/new.con\n",
          "kobpack: objects.kob: objects/sub/Newer.txt: no entry for ../objects/sub/Newer.txt\n"},
         "objects.kob: FAILED, 4 problems\n"},
        {"SourceLonger", [](const PackedMod& p, std::string&) { p.mod.file("objects/b.con", p.b + "more"); },
         {"kobpack: objects.kob: objects/b.con: holds 5000 bytes, ../objects/b.con is longer\n"},
         "objects.kob: FAILED, 1 problem\n"},
        // With no entry to go by, the folder is told by the archive's name.
        {"NoEntries", [](const PackedMod&, std::string& a) { a = archiveOf({}); },
         {"kobpack: objects.kob: objects/a.con: no entry for ../objects/a.con\n"
          "kobpack: objects.kob: objects/b.con: no entry for ../objects/b.con\n"},
         "objects.kob: FAILED, 2 problems\n"},
        {"RenamedArchive", [](const PackedMod&, std::string&) {},
         {"kobpack: backup.kob: cannot tell which folder of .. it was packed from: its entries do not all begin "
          "with its name\n"},
         "backup.kob: FAILED, 1 problem\n", "backup.kob"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        PackedMod packed;
        std::string bytes = readFile(packed.archive());
        row.change(packed, bytes);
        writeFile(packed.mod.archives() / row.archive, bytes);
        const CliResult r = runKobpack({"verify", row.archive, "--against", ".."}, packed.mod.archives());
        EXPECT_EQ(r.status, 1);
        for (const std::string& part : row.errParts)
            EXPECT_NE(r.err.find(part), std::string::npos) << part << " not in:\n" << r.err;
        EXPECT_EQ(r.out, row.out);
    }
}

} // namespace
