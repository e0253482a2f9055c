// Records of unchanged files: a compressed repack reads no file untouched
// since a settled record, and every edit or record that does not hold still
// gives exactly a fresh pack's archive, on either producer.

#include "pack/CompressionPool.h"
#include "pack/SourceFile.h"
#include "pack/RecordStore.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

using namespace kobtest;

namespace {

std::atomic<int> g_reads{0};

size_t countingRead(void* buffer, size_t length, std::FILE* file)
{
    ++g_reads;
    return std::fread(buffer, 1, length, file);
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

struct Edit {
    const char* name;
    std::function<void(const ModTree&)> change;
    int reads;            // -1: every file with bytes
    bool settled = true;  // the records' clock
};

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
        {"a byte changed, size and time kept", [](const ModTree& mod) {
             const fs::path file = mod.root() / "objects/big.dds";
             const auto time = fs::last_write_time(file);
             writeFile(file, textBytes(99999, 2) + "!");
             fs::last_write_time(file, time);
         }, 1},
        // Every file left is untouched, yet the archive must lose an entry.
        {"a file removed", [](const ModTree& mod) { fs::remove(mod.root() / "objects/noise.bin"); }, 0},
        {"records younger than the time granularity", [](const ModTree&) {}, -1, false},
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
    SetSourceRead(countingRead);
    for (const Edit& edit : edits)
        for (CompressionPool* producer : {static_cast<CompressionPool*>(nullptr), &pool}) {
            SCOPED_TRACE(std::string(edit.name) + (producer ? ", read ahead" : ", serial"));
            ModTree mod;
            base(mod);
            testContext().fileSystemClock = edit.settled ? settledClock : nullptr;
            ASSERT_EQ(packObjects(1).result, 7);
            ASSERT_EQ(packFolder("../menu", "menu", "menu.kob", 1).result, 1);
            edit.change(mod);
            g_reads = 0;
            const PackRun repack = packObjects(1, producer);
            EXPECT_EQ(g_reads, edit.reads < 0 ? 6 : edit.reads);
            PackRun fresh = packObjects(1, nullptr, {}, false);
            fresh.reused = repack.reused;
            EXPECT_TRUE(repack == fresh) << "the result, outcome, texts or archive differ from a fresh pack's";
        }
    SetSourceRead(nullptr);
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
