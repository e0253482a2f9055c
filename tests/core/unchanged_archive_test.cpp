// Repacking over an archive: one whose new bytes equal the old is left as it
// was (no temporary file, no write, sync or rename), and any difference, in
// the data, the index, the header or the length, gives exactly a fresh pack's
// archive in its place. What the user sees is a fresh pack's either way.

#include "pack/CompressionPool.h"
#include "pack/RecordStore.h"
#include "platform/Platform.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace kobtest;

namespace {

// What tells a file left alone from one replaced by the same bytes.
std::tuple<uint64_t, int64_t, int64_t, std::string> stateOf(const std::string& path)
{
    const platform::FileInfo info = platform::statPath(path);
    return {info.index, info.modified, info.changed, readFile(path)};
}

Strings g_steps; // syncs and renames seen
bool g_temporarySeen = false;

// At every progress call: is there a temporary file beside the archive?
void lookForTemporaryFiles(const std::string&)
{
    g_temporarySeen = g_temporarySeen || !temporaryFiles().empty();
}

// The name, compression and threads of each way to pack.
const std::tuple<const char*, uint32_t, unsigned> kModes[] = {
    {"plain", 0, 1}, {"compressed", 1, 1}, {"compressed, read ahead", 1, 2}};

void fillMod(const ModTree& mod)
{
    mod.file("objects/a.con", textBytes(5000, 1));
    mod.file("objects/big.dds", textBytes(100000, 2));
    mod.file("objects/noise.bin", noiseBytes(40000, 3));
    mod.file("objects/z.con", textBytes(3000, 4));
}

void flipByte(const ModTree& mod, const std::string& name, size_t at)
{
    std::string bytes = readFile(mod.root() / "objects" / name);
    bytes[at] ^= 1;
    mod.file("objects/" + name, bytes);
}

} // namespace

TEST(UnchangedArchive, NothingChangedLeavesTheFileAsItWas)
{
    // Files settled since the first pack: its records trust them, so the
    // repack writes no record either.
    testContext().fileSystemClock = settledClock;
    for (const auto& [name, compress, threads] : kModes) {
        SCOPED_TRACE(name);
        ModTree mod;
        fillMod(mod);
        CompressionPool pool(threads);
        CompressionPool* const readAhead = threads > 1 ? &pool : nullptr;
        const PackRun first = packObjects(compress, readAhead);
        const auto before = stateOf("objects.kob");
        g_steps.clear();
        g_temporarySeen = false;
        testContext().durabilityTrace = [](const char* step, const std::string&) { g_steps.push_back(step); };
        PackRun again = packObjects(compress, readAhead, lookForTemporaryFiles);
        testContext().durabilityTrace = {};
        EXPECT_EQ(stateOf("objects.kob"), before) << "inode, times and bytes kept";
        EXPECT_EQ(g_steps, Strings{}) << "nothing synced or renamed";
        EXPECT_FALSE(g_temporarySeen);
        again.reused = first.reused;
        EXPECT_TRUE(again == first) << "the result, progress, trace or texts differ from the first pack's";
    }
    resetContext();
}

TEST(UnchangedArchive, EveryDifferenceGivesAFreshPacksArchive)
{
    struct Row {
        const char* name;
        std::function<void(const ModTree&)> editSources;
        std::function<void(std::string&)> editPrevious;
    };
    const auto none = [](auto&) {};
    const std::vector<Row> rows = {
        {"a byte of the first file", [](const ModTree& mod) { flipByte(mod, "a.con", 10); }, none},
        {"a byte in the middle", [](const ModTree& mod) { flipByte(mod, "big.dds", 60000); }, none},
        {"an entry renamed, the index alone differs", [](const ModTree& mod) {
             fs::rename(mod.root() / "objects/z.con", mod.root() / "objects/y.con");
         }, none},
        {"the header's index offset alone", none, [](std::string& bytes) { bytes[0] ^= 1; }},
        {"shorter: the previous file has more after the end word", none, [](std::string& bytes) { bytes += "more"; }},
        {"longer: the previous file ends early", none, [](std::string& bytes) { bytes.resize(bytes.size() - 10); }},
    };
    for (const Row& row : rows)
        for (const auto& [name, compress, threads] : {kModes[0], kModes[2]}) {
            SCOPED_TRACE(std::string(row.name) + ", " + name);
            ModTree mod;
            fillMod(mod);
            CompressionPool pool(threads);
            std::string previous = packObjects(compress, nullptr, {}, false).bytes;
            row.editSources(mod);
            const PackRun fresh = packObjects(compress, nullptr, {}, false);
            row.editPrevious(previous);
            writeFile("objects.kob", previous);
            const uint64_t previousIndex = platform::statPath("objects.kob").index;
            PackRun repack = packObjects(compress, threads > 1 ? &pool : nullptr);
            EXPECT_NE(platform::statPath("objects.kob").index, previousIndex) << "replaced";
            repack.reused = fresh.reused;
            EXPECT_TRUE(repack == fresh) << "the archive or what was shown differs from a fresh pack's";
            EXPECT_EQ(temporaryFiles(), Strings{});
        }
}
