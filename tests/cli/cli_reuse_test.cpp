// kobpack pack -c takes unchanged entries over from the previous archive;
// --fresh compresses every file again.

#include "CliRunner.h"

#include "format/LzoBlock.h"
#include "pack/ArchivePacker.h"

#include <gtest/gtest.h>

#include <lzo/lzo1x.h>

using namespace kobtest;

namespace {

// Writes objects.kob with the one entry objects/a.con holding `content` in a
// single block compressed by LZO1X-1: the same bytes when decompressed, other
// compressed bytes than a pack gives.
void writeForeignArchive(const fs::path& path, const std::string& content)
{
    std::vector<uint8_t> block(kob::lzoWorstCase(content.size())), work(LZO1X_1_MEM_COMPRESS);
    lzo_uint length = 0;
    ASSERT_EQ(lzo1x_1_compress(reinterpret_cast<const uint8_t*>(content.data()), content.size(), block.data(), &length,
                               work.data()),
              LZO_E_OK);
    ArchivePacker packer;
    packer.SetOutput(std::fopen(path.c_str(), "wb"));
    packer.m_compression = 1;
    packer.m_entryPrefix = "objects/";
    packer.m_entryPrefixLength = 8;
    packer.WriteWord(0);
    packer.WriteWord(1);
    packer.WriteBytes(kob::kHeaderBlock, sizeof kob::kHeaderBlock);
    std::vector<kob::BlockDescriptor> blocks{{static_cast<uint32_t>(length), static_cast<uint32_t>(content.size()), 0}};
    packer.StoreBlocks("a.con", content.size(), blocks, {{block.data(), length}});
    packer.m_indexOffset = static_cast<uint32_t>(packer.outputPosition());
    packer.WriteIndex();
    packer.WriteWord(0);
    packer.PatchHeader();
    ASSERT_TRUE(packer.CloseOutput());
}

} // namespace

TEST(CliPack, RepackTakesOverTheStoredBlocksUnlessFresh)
{
    ModTree mod;
    const std::string content = textBytes(20000, 3);
    mod.file("objects/a.con", content);
    const fs::path archive = mod.archives() / "objects.kob";
    ASSERT_EQ(runKobpack({"pack", "-c", "objects"}, mod.archives()).status, 0);
    const std::string packed = readFile(archive);

    writeForeignArchive(archive, content);
    const std::string foreign = readFile(archive);
    ASSERT_TRUE(foreign != packed) << "LZO1X-1 must store other bytes for the test to tell";
    ASSERT_EQ(runKobpack({"pack", "-c", "objects"}, mod.archives()).status, 0);
    EXPECT_TRUE(readFile(archive) == foreign) << "the entry's bytes are taken over as stored";
    ASSERT_EQ(runKobpack({"pack", "-c", "--fresh", "objects"}, mod.archives()).status, 0);
    EXPECT_TRUE(readFile(archive) == packed) << "--fresh compresses the file again";
}
