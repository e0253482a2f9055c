// kobpack list, extract and verify, driven through the real binary, on
// archives it packed and on archives crafted by hand.

#include "CliRunner.h"

#include "archive/ArchiveFormat.h"

#include <gtest/gtest.h>

using namespace kobtest;

namespace {

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

void appendWord(std::string& out, uint32_t value)
{
    uint8_t bytes[4];
    kob::putWord(bytes, value);
    out.append(reinterpret_cast<const char*>(bytes), 4);
}

// A plain archive of (name, content) entries, laid out as the writer lays
// it out; the names are taken as they are, however unsafe.
std::string plainArchive(const std::vector<std::pair<std::string, std::string>>& entries)
{
    std::string data, index;
    appendWord(index, static_cast<uint32_t>(entries.size()));
    for (const auto& [name, content] : entries) {
        appendWord(index, static_cast<uint32_t>(name.size()));
        index += name;
        appendWord(index, static_cast<uint32_t>(content.size()));
        appendWord(index, static_cast<uint32_t>(content.size()));
        appendWord(index, static_cast<uint32_t>(kob::kHeaderSize + data.size()));
        index.append(reinterpret_cast<const char*>(kob::kRecordTail), sizeof kob::kRecordTail);
        data += content;
    }
    std::string archive;
    appendWord(archive, static_cast<uint32_t>(kob::kHeaderSize + data.size()));
    appendWord(archive, 0);
    archive.append(reinterpret_cast<const char*>(kob::kHeaderBlock), kob::kHeaderBlockSize);
    appendWord(index, 0);
    return archive + data + index;
}

// File offset of the record of entry `i` (at its name length word).
size_t recordOffset(const std::string& archive, size_t i)
{
    size_t pos = wordAt(archive, 0) + 4;
    for (; i > 0; --i)
        pos += 4 + wordAt(archive, pos) + 24;
    return pos;
}

uint32_t dataOffsetOf(const std::string& archive, size_t i)
{
    const size_t record = recordOffset(archive, i);
    return wordAt(archive, record + 4 + wordAt(archive, record) + 8);
}

// A mod whose objects folder was packed compressed by kobpack: a.con (two
// blocks) and b.con (one block).
struct PackedMod {
    ModTree mod;
    std::string a = textBytes(40000, 7);
    std::string b = textBytes(5000, 8);
    PackedMod()
    {
        mod.file("objects/a.con", a);
        mod.file("objects/b.con", b);
        const CliResult r = runKobpack({"pack", "-c", "objects"}, mod.archives());
        if (r.status != 0)
            ADD_FAILURE() << "packing failed: " << r.err;
    }
    fs::path archive() const { return mod.archives() / "objects.kob"; }
};

TEST(CliList, PrintsModeEntriesAndTotals)
{
    ModTree mod;
    writeFile(mod.archives() / "plain.kob", plainArchive({{"objects/a.txt", "0123456789"}, {"objects/e.txt", ""}}));
    mod.file("objects/e.con", "");
    ASSERT_EQ(runKobpack({"pack", "-c", "objects"}, mod.archives()).status, 0);

    const CliResult r = runKobpack({"list", "plain.kob", "missing.kob", "objects.kob"}, mod.archives());
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "kobpack: missing.kob: No such file or directory\n");
    EXPECT_EQ(r.out, "plain.kob: plain\n"
                     "    stored       size     offset  name\n"
                     "        10         10        156  objects/a.txt\n"
                     "         0          0        166  objects/e.txt\n"
                     "        10         10             total, 2 entries\n"
                     "\n"
                     "objects.kob: compressed\n"
                     "    stored       size     offset  name\n"
                     "        20          0        156  objects/e.con\n"
                     "        20          0             total, 1 entry\n");
}

TEST(CliList, ControlBytesInNamesStayOnOneLine)
{
    TempDir dir;
    writeFile(dir.path() / "odd.kob", plainArchive({{std::string("odd/new\nline\\x\0z", 16), "x"}}));
    const CliResult r = runKobpack({"list", "odd.kob"}, dir.path());
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(contains(r.out, "  odd/new\\x0aline\\\\x\\x00z\n")) << r.out;
}

// Names that would write outside the folder are refused one by one; the
// rest is extracted and nothing lands outside.
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
    writeFile(dir.path() / "evil.kob", plainArchive({
                                           {"good/a.txt", "A"},
                                           {"../escaped.txt", "E"},
                                           {absolute, "B"},
                                           {"sub/../../escaped2.txt", "E"},
                                           {"back\\slash.txt", "S"},
                                           {std::string("nul\0.txt", 8), "N"},
                                           {"link/evil.txt", "L"},
                                           {"dangling/x.txt", "D"},
                                           {"folder/", "F"},
                                           {"inlink/fine.txt", "I"},
                                           {"./good/b.txt", "G"},
                                       }));

    const CliResult r = runKobpack({"extract", "evil.kob", "-o", "out"}, dir.path());
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
                     "kobpack: evil.kob: folder/: refused: the name ends in \"/\" and names no file\n");
    EXPECT_EQ(readFile(out / "good/a.txt"), "A");
    EXPECT_EQ(readFile(out / "good/b.txt"), "G");
    EXPECT_EQ(readFile(out / "real/fine.txt"), "I");
    EXPECT_TRUE(fs::is_empty(dir.path() / "outside"));
    EXPECT_FALSE(fs::exists(dir.path() / "nowhere"));
    std::vector<std::string> top;
    for (const auto& entry : fs::directory_iterator(dir.path()))
        top.push_back(entry.path().filename().string());
    std::sort(top.begin(), top.end());
    EXPECT_EQ(top, (std::vector<std::string>{"evil.kob", "out", "outside"}));
}

TEST(CliExtract, OnlyTheNamedEntries)
{
    PackedMod packed;
    const CliResult r = runKobpack({"extract", "objects.kob", "-o", "sel", "objects/b.con", "objects/nosuch"},
                                   packed.mod.archives());
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "kobpack: objects.kob: no entry objects/nosuch\n");
    EXPECT_TRUE(readFile(packed.mod.archives() / "sel/objects/b.con") == packed.b);
    EXPECT_FALSE(fs::exists(packed.mod.archives() / "sel/objects/a.con"));
}

TEST(CliExtract, ADamagedEntryIsReportedAndTheOthersWritten)
{
    PackedMod packed;
    std::string bytes = readFile(packed.archive());
    bytes[dataOffsetOf(bytes, 0) + 4 + 2 * 12] ^= 0xFF; // first byte of a.con's first block
    writeFile(packed.archive(), bytes);
    const CliResult r = runKobpack({"extract", "objects.kob", "-o", "out"}, packed.mod.archives());
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(contains(r.err, "kobpack: objects.kob: entry 0 (objects/a.con), block 0: does not decompress"))
        << r.err;
    EXPECT_FALSE(fs::exists(packed.mod.archives() / "out/objects/a.con"));
    EXPECT_TRUE(readFile(packed.mod.archives() / "out/objects/b.con") == packed.b);
}

struct Corruption {
    const char* name;
    std::function<void(std::string&)> damage;
    std::vector<std::string> problems; // each must be reported on standard error
    std::string summary;               // the archive's line on standard output
};

void PrintTo(const Corruption& c, std::ostream* os)
{
    *os << c.name;
}

class CliVerifyDamage : public ::testing::TestWithParam<Corruption> {};

TEST_P(CliVerifyDamage, ReportsEveryProblemAndExitsWithOne)
{
    PackedMod packed;
    std::string bytes = readFile(packed.archive());
    GetParam().damage(bytes);
    writeFile(packed.archive(), bytes);
    const CliResult r = runKobpack({"verify", "objects.kob"}, packed.mod.archives());
    EXPECT_EQ(r.status, 1) << r.err;
    for (const std::string& problem : GetParam().problems)
        EXPECT_TRUE(contains(r.err, problem)) << "missing: " << problem << "\nin:\n" << r.err;
    EXPECT_EQ(r.out, GetParam().summary);
}

INSTANTIATE_TEST_SUITE_P(
    Cli, CliVerifyDamage,
    ::testing::Values(
        Corruption{"FlippedByteInABlock",
                   [](std::string& a) {
                       const size_t first = dataOffsetOf(a, 0);
                       // The last byte of block 0: part of its end-of-stream marker.
                       a[first + 4 + 2 * 12 + wordAt(a, first + 4) - 1] ^= 0xFF;
                   },
                   {"kobpack: objects.kob: entry 0 (objects/a.con), block 0: does not decompress (LZO error "},
                   "objects.kob: FAILED, 1 problem\n"},
        Corruption{"TwoDamagedEntries",
                   [](std::string& a) {
                       a[dataOffsetOf(a, 0) + 4 + 2 * 12] ^= 0xFF;
                       a[dataOffsetOf(a, 1) + 4 + 12] ^= 0xFF;
                   },
                   {"kobpack: objects.kob: entry 0 (objects/a.con), block 0: does not decompress",
                    "kobpack: objects.kob: entry 1 (objects/b.con), block 0: does not decompress"},
                   "objects.kob: FAILED, 2 problems\n"},
        Corruption{"TruncatedFile", [](std::string& a) { a.resize(a.size() - 10); },
                   {"kobpack: objects.kob: record 1: name length 13 runs past the end of the file\n"},
                   "objects.kob: FAILED, cannot be read\n"},
        Corruption{"IndexOffsetPastTheEnd",
                   [](std::string& a) {
                       uint8_t word[4];
                       kob::putWord(word, static_cast<uint32_t>(a.size() + 100));
                       a.replace(0, 4, reinterpret_cast<const char*>(word), 4);
                   },
                   {"kobpack: objects.kob: index offset "},
                   "objects.kob: FAILED, cannot be read\n"},
        Corruption{"WrongDataOffsetAndTail",
                   [](std::string& a) {
                       const size_t record = recordOffset(a, 1);
                       const size_t words = record + 4 + wordAt(a, record);
                       a[words + 8] ^= 0x01;  // data offset of b.con
                       a[words + 12] ^= 0x01; // its record tail
                   },
                   {"kobpack: objects.kob: entry 1 (objects/b.con): data offset ",
                    "kobpack: objects.kob: entry 1 (objects/b.con): record tail is not E0 21 13 00 followed by "
                    "eight zero bytes\n"},
                   "objects.kob: FAILED, 3 problems\n"}),
    [](const auto& info) { return std::string(info.param.name); });

struct SourceChange {
    const char* name;
    std::function<void(const PackedMod&)> change;
    std::string problem; // the one line on standard error
};

void PrintTo(const SourceChange& c, std::ostream* os)
{
    *os << c.name;
}

class CliVerifyAgainst : public ::testing::TestWithParam<SourceChange> {};

TEST_P(CliVerifyAgainst, NamesTheEntryThatDiffers)
{
    PackedMod packed;
    GetParam().change(packed);
    const CliResult r = runKobpack({"-C", "Archives", "verify", "objects.kob", "--against", ".."}, packed.mod.root());
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, GetParam().problem);
    EXPECT_EQ(r.out, "objects.kob: FAILED, 1 problem\n");
}

INSTANTIATE_TEST_SUITE_P(
    Cli, CliVerifyAgainst,
    ::testing::Values(
        SourceChange{"ByteChanged",
                     [](const PackedMod& p) {
                         std::string b = p.b;
                         b[100] ^= 0x20;
                         p.mod.file("objects/b.con", b);
                     },
                     "kobpack: objects.kob: objects/b.con: differs from ../objects/b.con at byte 100\n"},
        SourceChange{"SourceLonger", [](const PackedMod& p) { p.mod.file("objects/b.con", p.b + "more"); },
                     "kobpack: objects.kob: objects/b.con: holds 5000 bytes, ../objects/b.con is longer\n"},
        SourceChange{"SourceMissing", [](const PackedMod& p) { fs::remove(p.mod.root() / "objects/a.con"); },
                     "kobpack: objects.kob: objects/a.con: cannot read ../objects/a.con to compare with: No such "
                     "file or directory\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CliVerify, GoodAndMissingArchivesTogether)
{
    PackedMod packed;
    const CliResult r = runKobpack({"verify", "missing.kob", "objects.kob"}, packed.mod.archives());
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "missing.kob: FAILED, cannot be read\nobjects.kob: OK, 2 entries\n");
    EXPECT_EQ(r.err, "kobpack: missing.kob: No such file or directory\n");
}

TEST(CliVerify, AgainstAMissingFolder)
{
    PackedMod packed;
    const CliResult r = runKobpack({"verify", "objects.kob", "--against", "nowhere"}, packed.mod.archives());
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "kobpack: nowhere: no folder to compare with\n");
}

} // namespace
