// The batch: names to source paths, archive paths and captions, plain
// storage of sound and music, threads for "every core". Folders found in
// another letter case are with the main window's Pack Folder test, a cancel
// in the middle of a batch with the progress dialog's and the CLI's tests.

#include "app/PackBatch.h"
#include "pack/SourceFile.h"
#include "platform/Platform.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace kobtest;

namespace {

class Batch : public testing::Test {
protected:
    kob::BatchEnd run(const std::vector<std::string>& names, bool compress, unsigned threads = 1)
    {
        return kob::PackBatch(names, {compress, threads}, controls, observer, {}, testContext());
    }

    ModTree mod;
    RecordingControls controls;
    RecordingObserver observer;
};

std::thread::id g_testThread;
std::atomic<bool> g_readElsewhere{false};

int64_t readNotingTheThread(void* buffer, size_t length, platform::File& file)
{
    if (std::this_thread::get_id() != g_testThread)
        g_readElsewhere = true;
    return file.read(buffer, length);
}

} // namespace

// Threads 0 ("every core") reads on a pool when there is more than one.
TEST_F(Batch, CaptionsPlainSoundAndMusicEveryCoreAndLongNames)
{
    const Strings names = {"objects", "Sound", "music2", "MUSIC", "ostrel/levels/sound"};
    Strings captions;
    std::vector<uint32_t> flags;
    for (const std::string& name : names)
        mod.file(name + "/a.txt", "a");
    fs::create_directories("ostrel/levels");
    g_testThread = std::this_thread::get_id();
    testContext().source.read = readNotingTheThread;
    EXPECT_EQ(run(names, true, 0), kob::BatchEnd::Finished);
    resetContext();
    EXPECT_EQ(g_readElsewhere, HardwareThreadCount() > 1);
    for (const std::string& name : names) {
        captions.push_back("caption:Creating (" + std::to_string(captions.size() + 1) + " of 5): " + name + ".kob");
        flags.push_back(wordAt(readFile(name + ".kob"), 4)); // the compression flag
    }
    EXPECT_EQ(starting(controls.calls, "caption"), captions);
    EXPECT_EQ(flags, (std::vector<uint32_t>{1, 0, 1, 0, 1}))
        << "sound and music plain by the whole name in any case; a level named sound is compressed";
    EXPECT_EQ(controls.calls[1], "lower:Packing Archive (Compressed)") << "the caption comes before the job";

    // Packed again with one folder changed: only its archive is replaced.
    const auto identities = [&] {
        std::vector<std::pair<uint64_t, int64_t>> found;
        for (const std::string& name : names)
            found.emplace_back(platform::statPath(name + ".kob").index, platform::statPath(name + ".kob").modified);
        return found;
    };
    const auto before = identities();
    mod.file("music2/a.txt", "b");
    EXPECT_EQ(run(names, true, 0), kob::BatchEnd::Finished);
    auto after = identities();
    EXPECT_NE(after[2], before[2]);
    after[2] = before[2];
    EXPECT_EQ(after, before) << "the others are left as they were";

    controls.calls.clear(); // a long name is cut to 256 characters in the caption
    EXPECT_EQ(run({std::string(300, 'n')}, false), kob::BatchEnd::Finished);
    EXPECT_EQ(starting(controls.calls, "caption"), Strings{"caption:Creating (1 of 1): " + std::string(256, 'n') + ".kob"});
}
