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
    const Strings names = {"objects", "Sound", "music2", "MUSIC", "ostrel/levels/sound"};
    Strings captions;
    std::vector<uint32_t> flags;
    for (const std::string& name : names)
        mod.file(name + "/a.txt", "a");
    fs::create_directories("ostrel/levels");
    EXPECT_EQ(run(names, 1), 1);
    for (const std::string& name : names) {
        captions.push_back("caption:Creating (" + std::to_string(captions.size() + 1) + " of 5): " + name + ".kob");
        flags.push_back(flagOf(name + ".kob"));
    }
    EXPECT_EQ(starting(controls.calls, "caption"), captions);
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
    EXPECT_EQ(outcomes, (std::vector{PackOutcome::NothingToPack, PackOutcome::NothingToPack, PackOutcome::Written}));
}

TEST_F(Batch, LongNamesAreCutTo256Characters)
{
    const std::string name(300, 'n');
    EXPECT_EQ(run({name}, 0), 1);
    EXPECT_EQ(starting(controls.calls, "caption")[0], "caption:Creating (1 of 1): " + name.substr(0, 256) + ".kob");
}
