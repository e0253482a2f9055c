// The batch: names to source paths, archive paths and captions, plain
// storage of sound and music, and a job without files. Folders found in
// another letter case are with the main window's Pack Folder test, a cancel
// in the middle of a batch with the progress dialog's and the CLI's tests.

#include "format/ArchiveReader.h"
#include "pack/PackBatch.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace kobtest;

namespace {

class Batch : public testing::Test {
protected:
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
    const std::vector<uint32_t> flags = {flagOf("objects.kob"), flagOf("Sound.kob"), flagOf("music2.kob"),
                                         flagOf("MUSIC.kob"), flagOf("ostrel/levels/sound.kob")};
    EXPECT_EQ(flags, (std::vector<uint32_t>{1, 0, 1, 0, 1}))
        << "sound and music plain by the whole name in any case; a level named sound is compressed";
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

TEST_F(Batch, LongNamesAreCutTo256Characters)
{
    const std::string name(300, 'n');
    EXPECT_EQ(run({name}, 0), 1);
    EXPECT_EQ(controls.only("caption")[0], "caption:Creating (1 of 1): " + name.substr(0, 256) + ".kob");
}
