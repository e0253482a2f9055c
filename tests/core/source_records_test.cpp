// Records of unchanged files: a compressed repack opens no file untouched
// since a settled record, and every edit or record that does not hold still
// gives exactly a fresh pack's archive, on either producer.

#include "pack/CompressionPool.h"
#include "pack/SourceFile.h"
#include "pack/RecordCodec.h"
#include "pack/RecordStore.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

using namespace kobtest;

namespace {

std::atomic<int> g_opens{0};

platform::File countingOpen(const std::string& path, platform::Error& error)
{
    ++g_opens;
    return platform::File::openRead(path, error);
}

fs::path recordOf(const std::string& archive)
{
    return recordStore::pathOf(recordStore::keyOf(archive));
}

void editRecord(const std::function<void(std::string&)>& edit)
{
    std::string bytes = readFile(recordOf("objects.kob"));
    edit(bytes);
    writeFile(recordOf("objects.kob"), bytes);
}

using Clock = std::function<std::optional<int64_t>(const std::string&)>;

struct Edit {
    const char* name;
    std::function<void(const ModTree&)> change;
    int opens;                   // -1: every file
    Clock clock = settledClock;  // the file system's
};

const fs::path kBig = "../objects/big.dds";

// The file system's time just after big.dds was written, whatever the
// process's own clock says: its times are too young to be trusted.
std::optional<int64_t> justAfterBigWasWritten(const std::string&)
{
    return platform::statPath(kBig.string()).changed + SourceRecords::kTimeGranularity / 2;
}

// The same bytes with the time put back, as `touch -r` or `cp -p` leave them.
void sameSizeEditTimeKept(const ModTree&)
{
    const auto time = fs::last_write_time(kBig);
    writeFile(kBig, textBytes(99999, 2) + "!");
    fs::last_write_time(kBig, time);
}

} // namespace

TEST(SourceRecords, UntouchedFilesAreNotReadAndEveryEditIsSeen)
{
    const auto base = [](const ModTree& mod) {
        for (size_t size : {0, 1, 32767, 32768, 32769})
            mod.file("objects/edge/f" + std::to_string(size), textBytes(size, uint32_t(size)));
        mod.file("objects/big.dds", textBytes(100000, 2));
        mod.file("objects/noise.bin", noiseBytes(40000, 3));
        mod.file("menu/a.con", "menu");
    };
    const std::vector<Edit> edits = {
        {"untouched", [](const ModTree&) {}, 0},
        // The status-change time tells it.
        {"a byte changed, size and time kept", sameSizeEditTimeKept, 1},
        {"records taken just after the files were written", [](const ModTree&) {}, -1, justAfterBigWasWritten},
        // Every file left is untouched, yet the archive must lose an entry.
        {"a file removed", [](const ModTree& mod) { fs::remove(mod.root() / "objects/noise.bin"); }, 0},
        {"records younger than the time granularity", [](const ModTree&) {}, -1, nullptr},
        {"a copied mod folder, times kept", [](const ModTree& mod) {
             fs::copy(mod.root() / "objects", mod.root() / "copy", fs::copy_options::recursive);
             for (const auto& entry : fs::recursive_directory_iterator(mod.root() / "objects"))
                 if (entry.is_regular_file())
                     fs::last_write_time(mod.root() / "copy" / fs::relative(entry.path(), mod.root() / "objects"),
                                         entry.last_write_time());
             fs::remove_all(mod.root() / "objects");
             fs::rename(mod.root() / "copy", mod.root() / "objects");
         }, -1},
        {"the archive put back as a copy", [](const ModTree&) {
             writeFile("copy.kob", readFile("objects.kob"));
             fs::rename("copy.kob", "objects.kob");
         }, -1},
        {"record cut short", [](const ModTree&) { editRecord([](std::string& b) { b.pop_back(); }); }, -1},
        {"record byte flipped", [](const ModTree&) { editRecord([](std::string& b) { b[b.size() / 2] ^= 4; }); }, -1},
        {"records of two archives swapped", [](const ModTree&) {
             fs::rename(recordOf("objects.kob"), "swap");
             fs::rename(recordOf("menu.kob"), recordOf("objects.kob"));
             fs::rename("swap", recordOf("menu.kob"));
         }, -1},
    };
    CompressionPool pool(2);
    const std::tuple<const char*, uint32_t, CompressionPool*> modes[] = {
        {"plain", 0, nullptr}, {"serial", 1, nullptr}, {"read ahead", 1, &pool}};
    for (const Edit& edit : edits)
        for (const auto& [mode, compress, producer] : modes) {
            SCOPED_TRACE(std::string(edit.name) + ", " + mode);
            ModTree mod;
            base(mod);
            testContext().fileSystemClock = edit.clock;
            testContext().source.open = countingOpen;
            ASSERT_EQ(packObjects(compress).entries, 7u);
            ASSERT_EQ(packFolder("../menu", "menu", "menu.kob", compress).entries, 1u);
            edit.change(mod);
            g_opens = 0;
            const PackRun repack = packObjects(compress, producer);
            EXPECT_EQ(g_opens, edit.opens < 0 ? 7 : edit.opens);
            PackRun fresh = packObjects(compress, nullptr, {}, false);
            fresh.reused = repack.reused;
            EXPECT_TRUE(repack == fresh) << "the result, outcome, texts or archive differ from a fresh pack's";
        }
    resetContext();
}

// A record that cannot be written costs only speed: the pack says so in a note.
TEST(SourceRecords, AnUnwritableCacheIsANoteNotAFailure)
{
    ModTree mod;
    mod.file("objects/a.con", "a");
    writeFile(mod.top() / "file", "");
    CacheFolder cache(mod.top() / "file");
    const PackRun run = packObjects(1);
    EXPECT_EQ(run.outcome, PackOutcome::Written);
    EXPECT_EQ(starting(run.notes, "Records of unchanged files not written: ").size(), 1u);
}

// After a pack that left its archive alone, the record is written again only
// when it would trust a file that the old one does not.
TEST(SourceRecords, ARecordIsWrittenAgainUnlessTheOldOneSaysAsMuch)
{
    const FileStamp file{5, 1, 2, 1000, 1000};
    SourceRecords old("/a.kob", 10'000'000'000), young("/a.kob", 2'000'000'000), newer("/a.kob", 20'000'000'000);
    for (SourceRecords* records : {&old, &young, &newer})
        records->add("f", file);
    EXPECT_TRUE(old.covers(newer));
    EXPECT_FALSE(young.covers(newer)) << "its file was not yet settled";
    newer.add("g", file);
    EXPECT_FALSE(old.covers(newer));
}

// A file is taken for unchanged only when every field of its stamp is the
// recorded one, the stamp can tell a rewrite, and both of its times are older
// than the record by more than the granularity.
TEST(SourceRecords, EveryStampFieldAndTimeDecides)
{
    constexpr int64_t kTaken = 100'000'000'000, kOld = kTaken - 10'000'000'000, kYoung = kTaken - 1'000'000'000;
    const FileStamp base{5, 1, 2, kOld, kOld};
    struct Row {
        const char* name;
        void (*change)(FileStamp&);
        bool unchanged;
    };
    const Row rows[] = {
        {"the same stamp", [](FileStamp&) {}, true},
        {"size", [](FileStamp& s) { s.size++; }, false},
        {"volume", [](FileStamp& s) { s.volume++; }, false},
        {"index", [](FileStamp& s) { s.index++; }, false},
        {"modified", [](FileStamp& s) { s.modified++; }, false},
        {"changed", [](FileStamp& s) { s.changed++; }, false},
        {"no identity, in both", [](FileStamp& s) { s.volume = s.index = 0; }, false},
        {"no change time, in both", [](FileStamp& s) { s.changed = 0; }, false},
        {"modified within the granularity, in both", [](FileStamp& s) { s.modified = kYoung; }, false},
        {"changed within the granularity, in both", [](FileStamp& s) { s.changed = kYoung; }, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        FileStamp now = base;
        row.change(now);
        SourceRecords records("/a.kob", kTaken);
        // "in both": the record holds the stamp as it is now.
        records.add("f", std::string(row.name).find("in both") != std::string::npos ? now : base);
        EXPECT_EQ(records.unchanged("f", now), row.unchanged);
    }
}

// Bytes that do not read back exactly are no record, even with a checksum
// that fits: another version, a length past the bytes left, a count too large.
TEST(SourceRecords, TheCodecRefusesWhatDoesNotReadBackExactly)
{
    SourceRecords records("/mods/a.kob", 7);
    records.setArchive({9, 1, 2, 3, 4});
    records.add("objects/a.con", {5, 1, 3, 10, 11});
    records.add("objects/b.con", {6, 1, 4, 12, 13});
    const std::string good = records::encode(records);
    const auto withChecksum = [](std::string bytes) {
        bytes.resize(bytes.size() - 8);
        const uint64_t sum = records::checksum(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
        for (int i = 0; i < 8; ++i)
            bytes += static_cast<char>(sum >> (8 * i));
        return bytes;
    };
    const auto setWord = [](std::string& bytes, size_t at, uint32_t value) {
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = static_cast<char>(value >> (8 * i));
    };
    const size_t countAt = 8 + 4 + records.archivePath().size() + 40 + 8;
    const size_t lastNameAt = good.size() - 8 - 40 - 13 - 4;
    struct Row {
        const char* name;
        std::function<void(std::string&)> edit;
    };
    const std::vector<Row> rows = {
        {"a checksum byte", [](std::string& b) { b.back() ^= 1; }},
        {"version 1", [&](std::string& b) { setWord(b, 4, 1); }},
        {"version 3", [&](std::string& b) { setWord(b, 4, 3); }},
        {"the path's length past the bytes left", [&](std::string& b) { setWord(b, 8, 1000); }},
        {"a name's length past the bytes left", [&](std::string& b) { setWord(b, lastNameAt, 200); }},
        {"one entry more than there are", [&](std::string& b) { setWord(b, countAt, 3); }},
        {"one entry fewer", [&](std::string& b) { setWord(b, countAt, 1); }},
        {"a byte more", [](std::string& b) { b.insert(b.size() - 8, 1, '\0'); }},
    };
    const auto decoded = records::decode(reinterpret_cast<const uint8_t*>(good.data()), good.size());
    ASSERT_TRUE(decoded);
    EXPECT_EQ(records::encode(*decoded), good);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::string bytes = good;
        row.edit(bytes);
        if (std::string(row.name) != "a checksum byte")
            bytes = withChecksum(bytes);
        EXPECT_FALSE(records::decode(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
    }
}

// Where the file system does not vouch for every change (exFAT, FUSE, a
// network share), every file is read and compared, and -v says why once.
TEST(SourceRecords, AFileSystemThatDoesNotVouchHasEveryFileRead)
{
    ModTree mod;
    for (int i = 0; i < 3; ++i)
        mod.file("objects/f" + std::to_string(i), textBytes(40000, i));
    testContext().fileSystemClock = settledClock;
    testContext().fileSystemKind = [](const std::string&) { return platform::FileSystemKind{"exFAT", false}; };
    for (uint32_t compress : {0u, 1u}) {
        ASSERT_EQ(packObjects(compress).entries, 3u);
        testContext().source.open = countingOpen;
        g_opens = 0;
        const PackRun repack = packObjects(compress);
        testContext().source.open = {};
        EXPECT_EQ(g_opens, 3);
        EXPECT_EQ(starting(repack.notes, "Records of unchanged files not used").size(), 1u);
        EXPECT_FALSE(fs::exists(recordOf("objects.kob"))) << "no record written where it cannot be trusted";
    }
    resetContext();
}

// Two packs of one archive: the other renames its archive in just after this
// one's. The record must name the file this pack wrote, not whatever the name
// leads to by then, or the next repack would take the other's stale entry.
TEST(SourceRecords, TheRecordNamesTheFileThisPackWrote)
{
    ModTree mod;
    mod.file("objects/a.con", textBytes(50000, 1));
    testContext().fileSystemClock = settledClock;
    packObjects(1);
    fs::copy_file("objects.kob", "other.kob");
    mod.file("objects/a.con", textBytes(50000, 2)); // the same size
    testContext().afterRename = [] { fs::rename("other.kob", "objects.kob"); };
    packObjects(1);
    testContext().afterRename = nullptr;
    const PackRun repack = packObjects(1);
    const PackRun fresh = packObjects(1, nullptr, {}, false);
    EXPECT_EQ(repack.bytes, fresh.bytes) << "the other pack's entry was taken over";
    resetContext();
}

// The records show every file unchanged, yet one was left out by the scan or
// by its name: the shortcut must not skip the files' lines nor say "Written".
TEST(SourceRecords, NothingChangedStillReportsTheFilesLeftOut)
{
    ModTree mod;
    mod.file("objects/a.con", "a");
    mod.file("objects/ghij/" + std::string(255, 'n'), "the name is 260 bytes");
    testContext().fileSystemClock = settledClock;
    for (uint32_t compress : {0u, 1u}) {
        const PackRun first = packObjects(compress);
        const PackRun again = packObjects(compress);
        EXPECT_EQ(again.outcome, PackOutcome::WrittenWithSkips);
        EXPECT_EQ(again.out, first.out);
        EXPECT_EQ(again.texts, first.texts);
    }
    resetContext();
}
