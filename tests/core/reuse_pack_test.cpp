// Repacking over a previous archive: unchanged entries are taken over as
// they are stored, and the archive, the progress calls and the trace lines
// are exactly a fresh pack's, whatever changed, on either producer.

#include "format/ArchiveReader.h"
#include "format/BlockArea.h"
#include "pack/CompressionPool.h"
#include "pack/PreviousArchive.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace kobtest;

namespace {

// Changes the stored data of `entry` in objects.kob: `edit` gets the file's
// bytes and the entry's data offset, or the offset of its index record's
// stored size when `inRecord`.
void damage(const std::string& entry, const std::function<void(std::string&, size_t)>& edit, bool inRecord = false)
{
    std::string bytes = readFile("objects.kob");
    ArchiveReader reader;
    ASSERT_TRUE(reader.open("objects.kob"));
    size_t at = std::string::npos;
    for (const ReaderEntry& e : reader.entries())
        if (e.name == "objects/" + entry)
            at = inRecord ? bytes.rfind(e.name) + e.name.size() : e.dataOffset;
    ASSERT_NE(at, std::string::npos) << entry;
    edit(bytes, at);
    writeFile("objects.kob", bytes);
}

void addToWord(std::string& bytes, size_t at, uint32_t delta)
{
    bytes.replace(at, 4, word(wordAt(bytes, at) + delta));
}

struct Edit {
    const char* name;
    std::function<void(const ModTree&)> change; // to the folder or the previous archive
    std::vector<std::string> compressed;        // files that must not be taken over; {"*"}: none is
};

} // namespace

TEST(ReusePack, EveryEditGivesTheFreshArchiveAndTakesOverWhatIsUnchanged)
{
    const auto base = [](const ModTree& mod) {
        mod.file("objects/a.con", textBytes(5000, 1));
        for (size_t size : {0, 1, 32767, 32768, 32769})
            mod.file("objects/edge/f" + std::to_string(size), textBytes(size, uint32_t(size)));
        mod.file("objects/big.dds", textBytes(100000, 2));
        mod.file("objects/noise.bin", noiseBytes(40000, 3));
        mod.file("objects/p.con", textBytes(3000, 4));
        mod.file("objects/q.con", textBytes(3000, 5));
    };
    const std::vector<Edit> edits = {
        {"unchanged", [](const ModTree&) {}, {}},
        // A time stamp never tells that a file is unchanged.
        {"a byte changed, size and time kept", [](const ModTree& mod) {
             const fs::path file = mod.root() / "objects/big.dds";
             const auto time = fs::last_write_time(file);
             std::string bytes = readFile(file);
             bytes[70000] ^= 1;
             writeFile(file, bytes);
             fs::last_write_time(file, time);
         }, {"big.dds"}},
        // The record's size grown with the file: only the blocks' sizes tell.
        {"grown, and the previous size word with it", [](const ModTree& mod) {
             mod.file("objects/a.con", textBytes(5000, 1) + "x");
             damage("a.con", [](std::string& b, size_t at) { addToWord(b, at + 4, 1); }, true);
         }, {"a.con"}},
        {"removed", [](const ModTree& mod) { fs::remove(mod.root() / "objects/noise.bin"); }, {}},
        {"added", [](const ModTree& mod) { mod.file("objects/edge/new", textBytes(40000, 9)); }, {"edge/new"}},
        {"previous damaged inside a block", [](const ModTree&) {
             damage("noise.bin", [](std::string& b, size_t at) { b[at + 4 + 2 * 12 + 1000] ^= 0x40; });
         }, {"noise.bin"}},
        {"previous stored size wrong", [](const ModTree&) {
             damage("a.con", [](std::string& b, size_t at) { addToWord(b, at, 1); }, true);
         }, {"a.con"}},
        {"previous truncated", [](const ModTree&) {
             const std::string bytes = readFile("objects.kob");
             writeFile("objects.kob", bytes.substr(0, bytes.size() - 30));
         }, {"*"}},
        {"previous plain", [](const ModTree&) { packObjects(0, nullptr, {}, false); }, {"*"}},
    };

    CompressionPool pool(2);

    for (const Edit& edit : edits) {
        SCOPED_TRACE(edit.name);
        ModTree mod;
        base(mod);
        ASSERT_EQ(packObjects(1, nullptr, {}, false).entries, 10u);
        edit.change(mod);
        const std::string previous = readFile("objects.kob");
        const PackRun fresh = packObjects(1, &pool, {}, false);

        // Every file of the folder, less those that must be compressed again.
        ReuseCounts expected;
        for (const auto& entry : fs::recursive_directory_iterator(mod.root() / "objects"))
            if (entry.is_regular_file())
                expected = {expected.entries + 1, expected.bytes + entry.file_size()};
        for (const std::string& name : edit.compressed)
            expected = name == "*" ? ReuseCounts{}
                                   : ReuseCounts{expected.entries - 1,
                                                 expected.bytes - fs::file_size(mod.root() / "objects" / name)};
        for (CompressionPool* producer : {static_cast<CompressionPool*>(nullptr), &pool}) { // both producers
            SCOPED_TRACE(producer ? "read ahead" : "serial");
            writeFile("objects.kob", previous);
            const PackRun reused = packObjects(1, producer);
            EXPECT_EQ(reused.reused, expected);
            PackRun want = fresh;
            want.reused = expected;
            EXPECT_TRUE(reused == want) << "the result, outcome, texts or archive differ from a fresh pack's";
        }
    }
}

// A previous entry whose block claims more compressed bytes than compressing
// its file can give is refused before those bytes are read: the caller's area
// holds only compressedAreaBound(size) bytes, and the guard after it stays.
TEST(ReusePack, ABlockLargerThanTheCompressorCanMakeIsNotRead)
{
    ModTree mod;
    const std::string file = textBytes(100);
    const uint32_t oversize = uint32_t(kob::lzoWorstCase(file.size())) + 1000;
    const std::string area = word(1) + word(oversize) + word(100) + word(0) + noiseBytes(oversize);
    writeFile("objects.kob", archiveOf({{"objects/a.con", area, file.size()}}, 1));
    PreviousArchive previous("objects/", 1);
    ASSERT_TRUE(previous.open("objects.kob"));
    const size_t bound = kob::compressedAreaBound(file.size());
    std::vector<uint8_t> compressed(bound + 2 * oversize, 0xA5);
    std::vector<kob::BlockDescriptor> blocks;
    size_t length = 0;
    EXPECT_FALSE(previous.match("a.con", reinterpret_cast<const uint8_t*>(file.data()), file.size(), blocks,
                                compressed.data(), length));
    EXPECT_EQ(std::count(compressed.begin() + bound, compressed.end(), 0xA5), 2 * oversize) << "written past its area";
}
