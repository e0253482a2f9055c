// Repacking over an archive: one whose new bytes equal the old is left as it
// was (no temporary file, no write, sync or rename), and any difference, in
// the data, the index, the header or the length, gives exactly a fresh pack's
// archive in its place. What the user sees is a fresh pack's either way.

#include "pack/CompressionPool.h"
#include "pack/PackBatch.h"
#include "platform/Platform.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace kobtest;

namespace {

// What tells a file left alone from one replaced by the same bytes.
struct FileState {
    uint64_t index = 0;
    int64_t modified = 0, changed = 0;
    std::string bytes;
    bool operator==(const FileState&) const = default;
};

FileState stateOf(const std::string& path)
{
    const platform::FileInfo info = platform::statPath(path);
    return {info.index, info.modified, info.changed, readFile(path)};
}

Strings g_steps; // syncs and renames seen
bool g_temporarySeen = false;

void recordStep(const char* step, const std::string&)
{
    g_steps.push_back(step);
}

// At every progress call: is there a temporary file beside the archive?
void lookForTemporaryFiles(const std::string&)
{
    for (const fs::directory_entry& entry : fs::directory_iterator("."))
        g_temporarySeen = g_temporarySeen || entry.path().filename().string().find(".tmp-") != std::string::npos;
}

struct Mode {
    const char* name;
    uint32_t compress;
    unsigned threads;
};
const Mode kModes[] = {{"plain", 0, 1}, {"compressed", 1, 1}, {"compressed, read ahead", 1, 2}};

void fillMod(const ModTree& mod)
{
    mod.file("objects/a.con", textBytes(5000, 1));
    mod.file("objects/big.dds", textBytes(100000, 2));
    mod.file("objects/noise.bin", noiseBytes(40000, 3));
    mod.file("objects/z.con", textBytes(3000, 4));
}

} // namespace

TEST(UnchangedArchive, NothingChangedLeavesTheFileAsItWas)
{
    for (const Mode& mode : kModes) {
        SCOPED_TRACE(mode.name);
        ModTree mod;
        fillMod(mod);
        CompressionPool pool(mode.threads);
        CompressionPool* const readAhead = mode.threads > 1 ? &pool : nullptr;
        const PackRun first = packObjects(mode.compress, readAhead);
        const FileState before = stateOf("objects.kob");
        g_steps.clear();
        g_temporarySeen = false;
        platform::SetDurabilityTrace(recordStep);
        PackRun again = packObjects(mode.compress, readAhead, lookForTemporaryFiles);
        platform::SetDurabilityTrace(nullptr);
        EXPECT_EQ(stateOf("objects.kob"), before) << "inode, times and bytes kept";
        EXPECT_EQ(g_steps, Strings{}) << "nothing synced or renamed";
        EXPECT_FALSE(g_temporarySeen);
        again.reused = first.reused;
        EXPECT_TRUE(again == first) << "the result, progress, trace or texts differ from the first pack's";
    }
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
        {"a byte of the first file", [](const ModTree& mod) { mod.file("objects/a.con", textBytes(5000, 1) + "!"); }, none},
        {"a byte in the middle, size and time kept", [](const ModTree& mod) {
             const fs::path file = mod.root() / "objects/big.dds";
             const auto time = fs::last_write_time(file);
             std::string bytes = readFile(file);
             bytes[60000] ^= 1;
             writeFile(file, bytes);
             fs::last_write_time(file, time);
         }, none},
        {"an entry renamed, the index alone differs", [](const ModTree& mod) {
             fs::rename(mod.root() / "objects/z.con", mod.root() / "objects/y.con");
         }, none},
        {"the header's index offset alone", none, [](std::string& bytes) { bytes[0] ^= 1; }},
        {"shorter: the previous file has more after the end word", none, [](std::string& bytes) { bytes += "more"; }},
        {"longer: the previous file ends early", none, [](std::string& bytes) { bytes.resize(bytes.size() - 10); }},
    };
    for (const Row& row : rows)
        for (const Mode& mode : {kModes[0], kModes[2]}) {
            SCOPED_TRACE(std::string(row.name) + ", " + mode.name);
            ModTree mod;
            fillMod(mod);
            CompressionPool pool(mode.threads);
            std::string previous = packObjects(mode.compress, nullptr, {}, false).bytes;
            row.editSources(mod);
            const PackRun fresh = packObjects(mode.compress, nullptr, {}, false);
            row.editPrevious(previous);
            writeFile("objects.kob", previous);
            const uint64_t previousIndex = stateOf("objects.kob").index;
            PackRun repack = packObjects(mode.compress, &pool);
            EXPECT_NE(stateOf("objects.kob").index, previousIndex) << "replaced";
            repack.reused = fresh.reused;
            EXPECT_TRUE(repack == fresh) << "the archive or what was shown differs from a fresh pack's";
            g_temporarySeen = false;
            lookForTemporaryFiles("");
            EXPECT_FALSE(g_temporarySeen);
        }
}

TEST(UnchangedArchive, ABatchReplacesOnlyTheArchiveThatChanged)
{
    ModTree mod;
    fillMod(mod);
    mod.file("sound/a.wav", noiseBytes(50000));
    RecordingControls controls;
    const auto batch = [&] {
        testing::internal::CaptureStdout();
        EXPECT_EQ(PackBatch({"objects", "sound"}, 1, controls), 1);
        testing::internal::GetCapturedStdout();
    };
    batch();
    const FileState objects = stateOf("objects.kob");
    const uint64_t sound = stateOf("sound.kob").index;
    mod.file("sound/a.wav", noiseBytes(50000, 2));
    batch();
    EXPECT_EQ(stateOf("objects.kob"), objects);
    EXPECT_NE(stateOf("sound.kob").index, sound);
    EXPECT_EQ(readFile("sound.kob").substr(156, 50000), noiseBytes(50000, 2)) << "stored plain";
}
