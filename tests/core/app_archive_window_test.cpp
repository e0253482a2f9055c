// The archive window's decisions, on archives the tests make: the rows in
// each order, the filter, the totals, what an extract writes and refuses, and
// the texts both windows show.
#include "app/ArchiveListing.h"
#include "app/ArchiveWindowLogic.h"
#include "platform/Platform.h"
#include "source/FileNames.h"
#include "source/ArchiveCheck.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace kobtest;

namespace {

// The shown column of every row, top to bottom.
Strings column(const ArchiveListing& listing, ArchiveColumn which)
{
    Strings cells;
    for (size_t row = 0; row < listing.rowCount(); ++row)
        cells.push_back(listing.cell(row, which));
    return cells;
}

ArchiveListing listingOf(const fs::path& archive)
{
    ArchiveReader reader;
    EXPECT_TRUE(reader.open(archive.string())) << reader.error();
    return ArchiveListing(reader.entries(), reader.compressed());
}

struct ArchiveWindow : ::testing::Test {
    TempDir dir;
    fs::path plain = dir.path() / "plain.kob";
    void SetUp() override
    {
        // Sizes 3, 10, 0, 5, 3: ties in size are broken by name.
        writeFile(plain, archiveOf({{"objects/b.con", "bbb"},
                                    {"objects/A.con", std::string(10, 'a')},
                                    {"objects/_x.con", ""},
                                    {"objects/sub/c.dds", "ccccc"},
                                    {"objects/Sub/a\n.con", "ddd"}}));
    }
};

TEST_F(ArchiveWindow, RowsSortByEachColumnAndNarrowToTheFilter)
{
    ArchiveListing listing = listingOf(plain);
    EXPECT_EQ(column(listing, ArchiveColumn::Name),
              (Strings{"objects/b.con", "objects/A.con", "objects/_x.con", "objects/sub/c.dds", "objects/Sub/a\\x0a.con"}))
        << "archive order before any sort, control bytes escaped";
    EXPECT_EQ(column(listing, ArchiveColumn::StoredAs), Strings(5, "plain"));

    // The listing's order: letters folded to upper case, so "_" follows "S"
    // and "b" follows "A"; neither the byte order nor the drop-downs' order.
    listing.sort(ArchiveColumn::Name, false);
    EXPECT_EQ(column(listing, ArchiveColumn::Name),
              (Strings{"objects/A.con", "objects/b.con", "objects/Sub/a\\x0a.con", "objects/sub/c.dds", "objects/_x.con"}));
    listing.sort(ArchiveColumn::Size, false);
    EXPECT_EQ(column(listing, ArchiveColumn::Name),
              (Strings{"objects/_x.con", "objects/b.con", "objects/Sub/a\\x0a.con", "objects/sub/c.dds", "objects/A.con"}));
    listing.sort(ArchiveColumn::StoredSize, true);
    EXPECT_EQ(column(listing, ArchiveColumn::Size), (Strings{"10", "5", "3", "3", "0"}));
    EXPECT_EQ(listing.totalsText(), "5 entries, 21 bytes, stored in 21 bytes");

    // The filter ignores ASCII case and keeps the chosen order.
    listing.filter("SUB/");
    EXPECT_EQ(column(listing, ArchiveColumn::Name), (Strings{"objects/sub/c.dds", "objects/Sub/a\\x0a.con"}));
    EXPECT_EQ(listing.totalsText(), "2 of 5 entries, 8 bytes, stored in 8 bytes");
    EXPECT_EQ(listing.entriesOf({}), (std::vector<size_t>{3, 4})) << "nothing selected: every row shown";
    EXPECT_EQ(listing.entriesOf({1, 0, 1, 7}), (std::vector<size_t>{3, 4})) << "archive order, once each";
    listing.filter("nothing like it");
    EXPECT_EQ(listing.totalsText(), "0 of 5 entries, 0 bytes, stored in 0 bytes");
    listing.filter("");
    EXPECT_EQ(listing.rowCount(), 5u);

    EXPECT_EQ(GroupedNumber(999), "999");
    EXPECT_EQ(GroupedNumber(1000), "1,000");
    EXPECT_EQ(GroupedNumber(4294967295u), "4,294,967,295");
}

TEST_F(ArchiveWindow, CompressedArchiveRoundTripsThroughExtract)
{
    ModTree mod;
    mod.file("objects/empty.txt", "");
    mod.file("objects/deep/er/blocks.dat", textBytes(32769));
    mod.file("objects/one.dat", noiseBytes(32768));
    ASSERT_EQ(packObjects(1).entries, 3u);
    ArchiveListing listing = listingOf(mod.archives() / "objects.kob");
    listing.sort(ArchiveColumn::Name, false);
    EXPECT_EQ(column(listing, ArchiveColumn::StoredAs), Strings(3, "compressed"));
    EXPECT_EQ(column(listing, ArchiveColumn::StoredSize)[1], "20") << "the empty-entry block";

    ArchiveReader reader;
    ASSERT_TRUE(reader.open((mod.archives() / "objects.kob").string()));
    const std::string out = (dir.path() / "out").string();
    Strings shown;
    const ExtractOutcome outcome = ExtractEntries(
        reader, listing.entriesOf({}), out,
        [&](size_t done, const std::string& name) { shown.push_back(ExtractProgressText(done, 3, name)); }, {});
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[2], "Extracting 3 of 3: " + reader.entries()[2].name) << "in archive order";
    EXPECT_EQ(readFile(out + "/objects/deep/er/blocks.dat"), textBytes(32769));
    EXPECT_EQ(readFile(out + "/objects/one.dat"), noiseBytes(32768));
    EXPECT_EQ(fs::file_size(out + "/objects/empty.txt"), 0u) << "throws when there is no file";
    EXPECT_EQ(std::pair(ExtractResultCaption(outcome), ExtractResultText(outcome, 3, out)),
              std::pair(std::string("Extracted"), "Extracted 3 of 3 entries into " + out + "."));
}

// Refused names, damaged data and a stop: each listed, the rest written, and
// nothing outside the folder or half written.
TEST_F(ArchiveWindow, ExtractRefusesListsAndStops)
{
    writeFile(dir.path() / "mixed.kob", archiveOf({{"objects/ok.txt", "fine"},
                                                  {"../escaped.txt", "no"},
                                                  {"objects/aux.txt", "device"},
                                                  {"objects/bad.dat", "short", 10}}));
    ArchiveReader reader;
    ASSERT_TRUE(reader.open((dir.path() / "mixed.kob").string())) << reader.error();
    const std::string out = (dir.path() / "out").string();
    ExtractOutcome outcome = ExtractEntries(reader, {1, 2, 3}, out, {}, {});
    Strings expected{"../escaped.txt: refused: the name holds a \"..\" component"};
#ifdef _WIN32
    expected.push_back("objects/aux.txt: refused: " + windowsNameProblem("aux.txt"));
#endif
    ASSERT_EQ(outcome.problems.size(), expected.size() + 1);
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(outcome.problems[i], expected[i]);
    EXPECT_NE(outcome.problems.back().find("entry 3 (objects/bad.dat)"), std::string::npos) << outcome.problems.back();
    EXPECT_FALSE(fs::exists(dir.path() / "escaped.txt") || fs::exists(out + "/objects/bad.dat"));
    EXPECT_EQ(ExtractResultCaption(outcome), "Not everything was extracted");
    EXPECT_EQ(ExtractResultText(outcome, 3, out).rfind("Extracted " + std::to_string(3 - outcome.problems.size())
                                                           + " of 3 entries into " + out + ".\n\nNot extracted:\n../escaped.txt: refused",
                                                       0),
              0u);

    // A stop asked for while the second entry is in hand: it is finished,
    // no third is begun.
    writeFile(plain, archiveOf({{"objects/1", "1"}, {"objects/2", "2"}, {"objects/3", "3"}}));
    ASSERT_TRUE(reader.open(plain.string()));
    bool stop = false;
    outcome = ExtractEntries(reader, {0, 1, 2}, out, [&](size_t done, const std::string&) { stop = done == 1; },
                             [&] { return stop; });
    EXPECT_EQ(std::tuple(outcome.stopped, outcome.written, fs::exists(out + "/objects/2"), fs::exists(out + "/objects/3")),
              std::tuple(true, 2u, true, false));
    EXPECT_EQ(ExtractResultCaption(outcome), "Extract cancelled");
    EXPECT_EQ(ExtractResultText(outcome, 3, out), "Extracted 2 of 3 entries into " + out
                                                      + ".\nCancelled: the entries after the last one extracted were left out.");

    writeFile(dir.path() / "file", "");
    outcome = ExtractEntries(reader, {0}, (dir.path() / "file").string(), {}, {});
    EXPECT_EQ(ExtractResultText(outcome, 1, "x").rfind("Nothing was extracted.\n", 0), 0u);
}

// A damaged or foreign file, a damaged entry, an archive changed under the
// window: each told in words, never taken for a sound archive.
TEST_F(ArchiveWindow, DamageIsToldInWords)
{
    // The reader's own words, which its tests check, control bytes escaped.
    EXPECT_EQ(OpenFailureText("broken.kob: index\x01"), "This file cannot be opened as a .kob archive:\nbroken.kob: index\\x01");
    ArchiveReader reader;
    ASSERT_TRUE(reader.open(plain.string()));
    EXPECT_EQ(CheckResultText("p.kob", 1, {}, "mod"), "p.kob: OK, 1 entry, the same as in mod");
    std::string shown = "p.kob: FAILED, 23 problems";
    for (size_t i = 0; i < kMaxArchiveProblemsShown; ++i)
        shown += "\np.kob: trouble";
    EXPECT_EQ(CheckResultText("p.kob", 30, Strings(kMaxArchiveProblemsShown + 3, "p.kob: trouble"), ""), shown + "\n... and 3 more");

    const std::vector<ReaderEntry> listed = reader.entries();
    writeFile(plain, archiveOf({{"objects/b.con", "bbbb"}}));
    std::string error;
    EXPECT_FALSE(ReopenArchive(plain.string(), listed, reader, error));
    EXPECT_EQ(error, plain.string() + " has changed since it was opened: close this window and open it again.");

    EXPECT_TRUE(IsArchiveArgument((dir.path() / "Maps.KOB").string())) << "need not exist yet: the window says why";
    fs::create_directories(dir.path() / "folder.kob");
    EXPECT_FALSE(IsArchiveArgument((dir.path() / "folder.kob").string()) || IsArchiveArgument(dir.path().string()));
    EXPECT_EQ(ArchiveWindowCaption("mod/Archives/objects.kob"), "objects.kob - KobPack");
}

} // namespace
