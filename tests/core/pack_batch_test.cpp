// The batch: names to source paths, archive paths and captions, plain
// storage of sound and music, and where a batch stops. Folders found in
// another letter case are with the main window's Pack Folder test.

#include "format/ArchiveReader.h"
#include "pack/PackBatch.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace kobtest;

namespace {

class Batch : public testing::Test {
protected:
    void SetUp() override { g_cancelPack = 0; }
    void TearDown() override { g_cancelPack = 0; }

    int run(const std::vector<std::string>& names, int compress)
    {
        testing::internal::CaptureStdout();
        const int result = PackBatch(names, compress, controls, &outcomes);
        testing::internal::GetCapturedStdout();
        return result;
    }

    static uint32_t flagOf(const std::string& archive)
    {
        ArchiveReader reader;
        EXPECT_TRUE(reader.open(archive)) << reader.error();
        return reader.compressionFlag();
    }

    ModTree mod;
    RecordingControls controls;
    RecordingSink sink;
    std::vector<PackOutcome> outcomes;
};

} // namespace

TEST_F(Batch, CaptionsAndPlainSoundAndMusic)
{
    for (const char* folder : {"objects", "Sound", "music2", "MUSIC", "ostrel/levels/sound"})
        mod.file(std::string(folder) + "/a.txt", "a");
    fs::create_directories("ostrel/levels");
    EXPECT_EQ(run({"objects", "Sound", "music2", "MUSIC", "ostrel/levels/sound"}, 1), 1);
    const Strings captions = {
        "caption:Creating (1 of 5): objects.kob", "caption:Creating (2 of 5): Sound.kob",
        "caption:Creating (3 of 5): music2.kob", "caption:Creating (4 of 5): MUSIC.kob",
        "caption:Creating (5 of 5): ostrel/levels/sound.kob"};
    EXPECT_EQ(controls.only("caption"), captions);
    EXPECT_EQ(flagOf("objects.kob"), 1u);
    EXPECT_EQ(flagOf("Sound.kob"), 0u) << "the whole name, any case";
    EXPECT_EQ(flagOf("music2.kob"), 1u);
    EXPECT_EQ(flagOf("MUSIC.kob"), 0u);
    EXPECT_EQ(flagOf("ostrel/levels/sound.kob"), 1u) << "a level named sound is compressed";
    EXPECT_EQ(controls.calls[1], "lower:Packing Archive (Compressed)") << "the caption comes before the job";
}

TEST_F(Batch, JobWithoutFilesDoesNotStopTheBatch)
{
    mod.folder("empty");
    mod.file("objects/a.txt", "a");
    EXPECT_EQ(run({"empty", "missing", "objects"}, 0), 1);
    EXPECT_TRUE(fs::exists("objects.kob"));
    const std::vector<PackOutcome> expected = {PackOutcome::NothingToPack, PackOutcome::NothingToPack,
                                               PackOutcome::Written};
    EXPECT_EQ(outcomes, expected);
}

TEST_F(Batch, CancelInTheSecondOfThreeNames)
{
    for (const char* folder : {"one", "two", "three"}) {
        mod.file(std::string(folder) + "/a.txt", "a");
        mod.file(std::string(folder) + "/b.txt", "b");
    }
    controls.onCall = [](const std::string& call) {
        if (call == "upper:../two/a.txt")
            g_cancelPack = 1;
    };
    EXPECT_EQ(run({"one", "two", "three"}, 1), -1);
    EXPECT_TRUE(fs::exists("one.kob")) << "archives finished earlier stay";
    EXPECT_FALSE(fs::exists("two.kob"));
    EXPECT_FALSE(fs::exists("three.kob"));
    EXPECT_EQ(controls.only("caption").size(), 2u) << "the third job never starts";
}

TEST_F(Batch, LongNamesAreCutTo256Characters)
{
    const std::string name(300, 'n');
    EXPECT_EQ(run({name}, 0), 1);
    EXPECT_EQ(controls.only("caption")[0], "caption:Creating (1 of 1): " + name.substr(0, 256) + ".kob");
}
