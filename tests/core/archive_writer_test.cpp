// The archive layout, byte for byte, and the packer's buffers and failures.

#include "format/ArchiveFormat.h"
#include "format/ArchiveWriter.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <lzo/lzo1x.h>
#ifndef _WIN32
#include <sys/resource.h>
#endif

using namespace kobtest;

namespace {

const std::string kHeader(reinterpret_cast<const char*>(kob::kHeaderBlock), kob::kHeaderBlockSize);
const std::string kTail("\xE0\x21\x13\x00\0\0\0\0\0\0\0\0", 12);

// Decodes one compressed data area with nothing of the writer's code, checks
// it against `original` and returns the uncompressed size of every block.
std::vector<uint32_t> decodeArea(const std::string& area, const std::string& original)
{
    std::vector<uint32_t> sizes;
    const size_t tableEnd = 4 + 12 * size_t(wordAt(area, 0));
    std::string decoded;
    uint32_t offset = 0;
    for (uint32_t b = 0; b < wordAt(area, 0); ++b) {
        const uint32_t compressed = wordAt(area, 4 + 12 * b), size = wordAt(area, 8 + 12 * b);
        EXPECT_EQ(wordAt(area, 12 + 12 * b), offset) << "block " << b << " follows the previous one";
        std::string block(size, '\0');
        lzo_uint produced = size;
        const int result = lzo1x_decompress_safe(reinterpret_cast<const unsigned char*>(area.data() + tableEnd + offset),
                                                 compressed, reinterpret_cast<unsigned char*>(block.data()), &produced, nullptr);
        EXPECT_EQ(std::pair(result, produced), std::pair(LZO_E_OK, lzo_uint(size))) << "block " << b << " is one complete LZO1X stream";
        decoded += block;
        sizes.push_back(size);
        offset += compressed;
    }
    EXPECT_EQ(tableEnd + offset, area.size()) << "stored size = 4 + 12 x N + compressed bytes";
    EXPECT_TRUE(decoded == original) << "blocks decompress to the file's bytes";
    return sizes;
}

} // namespace

// Each pack replaces the archive the one before left: a plain pack takes
// nothing over from a compressed one.
TEST(ArchiveLayout, SmallArchivesByteForByte)
{
    ModTree mod;
    mod.file("objects/a.txt", "0123456789");
    const std::string ten = word(166) + word(0) + kHeader + "0123456789" + word(1) + word(13) + "objects/a.txt"
                          + word(10) + word(10) + word(156) + kTail + word(0);
    ASSERT_EQ(ten.size(), 215u);
    ASSERT_EQ(archiveOf({{"objects/a.txt", "0123456789"}}), ten) << "the helper lays archives out by hand too";

    // The empty file is the empty-entry block compressed, no bytes plain;
    // "x" is one literal run and the end marker.
    const std::string emptyBlock("\x01\0\0\0\x04\0\0\0\0\0\0\0\0\0\0\0\x11\x11\0\0", 20);
    const std::string x = word(1) + word(5) + word(1) + word(0) + std::string("\x12x\x11\0\0", 5);
    const struct { const char* name; uint32_t compress; std::string bytes; } rows[] = {
        {"one ten-byte file, plain", 0, ten},
        {"empty and one byte, compressed", 1, archiveOf({{"objects/empty.txt", emptyBlock, 0}, {"objects/x.txt", x, 1}}, 1)},
        {"the same plain, over the compressed", 0, archiveOf({{"objects/empty.txt", ""}, {"objects/x.txt", "x"}})},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const PackRun packed = packObjects(row.compress);
        EXPECT_TRUE(packed.bytes == row.bytes) << "archive bytes differ from the hand-made layout";
        EXPECT_EQ(packed.reused, ReuseCounts{});
        fs::remove(mod.root() / "objects/a.txt");
        mod.file("objects/empty.txt");
        mod.file("objects/x.txt", "x");
    }
}

// Noise grows under LZO: an area sized for the file as one block would be
// overrun after a few of its blocks.
TEST(CompressedEntries, BlockSplitsAtTheBoundaries)
{
    std::vector<uint32_t> noiseBlocks(20, kob::kBlockLength);
    noiseBlocks.push_back(5);
    const struct { const char* name; size_t size; std::vector<uint32_t> blocks; bool noise = false; } rows[] = {
        {"one byte", 1, {1}},
        {"one short of a block", 32767, {32767}},
        {"exactly one block", 32768, {32768}},
        {"one past a block", 32769, {32768, 1}},
        {"two blocks and one byte", 65537, {32768, 32768, 1}},
        {"noise, twenty blocks and five bytes", 20 * 32768 + 5, noiseBlocks, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ModTree mod;
        const auto seed = static_cast<uint32_t>(row.size);
        const std::string content = row.noise ? noiseBytes(row.size, seed) : textBytes(row.size, seed);
        mod.file("objects/f.bin", content);
        const PackRun packed = packObjects(1);
        ASSERT_EQ(packed.entries, 1u);
        const uint32_t indexOffset = wordAt(packed.bytes, 0);
        const std::string area = packed.bytes.substr(156, indexOffset - 156);
        EXPECT_EQ(decodeArea(area, content), row.blocks);
        // The record: stored size, uncompressed size, data offset.
        EXPECT_EQ(packed.bytes.substr(indexOffset + 4 + 4 + 13, 12), word(area.size()) + word(row.size) + word(156));
    }
}

TEST(ArchiveWriter, FailedWriteIsNotedAndStopsFurtherWrites)
{
#ifdef _WIN32
    GTEST_SKIP() << "needs a file size limit";
#else
    TempDir dir;
    const std::string data = textBytes(10000);
    std::vector<kob::BlockDescriptor> noBlocks;
    platform::Error error;
    platform::File full = platform::File::openWrite((dir.path() / "full").string(), error);
    platform::File buffered = platform::File::openWrite((dir.path() / "buffered").string(), error);
    ASSERT_TRUE(full.isOpen() && buffered.isOpen()) << error.text;
    ASSERT_TRUE(limitFileSize(100));
    FileOutput fullOutput(full, 0); // every write reaches the file at once
    ArchiveWriter writer("objects/", 0, fullOutput);
    EXPECT_FALSE(writer.AddEntry("a", data.size(), noBlocks, {{reinterpret_cast<const uint8_t*>(data.data()), data.size()}}));
    EXPECT_EQ(std::tuple(writer.failed(), writer.writeError(), writer.entries().size()), std::tuple(true, "File too large", 0u))
        << "an entry whose data did not reach the file is not recorded";
    EXPECT_FALSE(writer.WriteWord(0));

    FileOutput bufferedOutput(buffered);
    ArchiveWriter late("objects/", 0, bufferedOutput); // fails only when flushed
    EXPECT_TRUE(late.WriteWord(7));
    EXPECT_TRUE(late.AddEntry("a", data.size(), noBlocks, {{reinterpret_cast<const uint8_t*>(data.data()), data.size()}}));
    EXPECT_FALSE(late.CloseOutput());
    EXPECT_TRUE(late.failed());
    limitFileSize(RLIM_INFINITY);
#endif
}

// Sizes and offsets are 32-bit words: an archive of 4 GiB - 1 bytes is the
// largest there is, its index included.
TEST(ArchiveWriter, TheWholeFileStaysWithinFourGiB)
{
    struct Discard : ArchiveOutput {
        uint64_t length = 0;
        bool append(const void*, size_t n) override { return length += n, true; }
        bool appendPlaceholder(const void*, size_t n) override { return length += n, true; }
        bool patch(uint64_t, const void*, size_t) override { return true; }
        bool close() override { return true; }
        std::string error() const override { return ""; }
    };
    static const std::vector<uint8_t> mebibyte(1 << 20);
    // Header 156, one record of 28 + 9 ("objects/a"), count and end word 8.
    const uint64_t largestData = kob::kMaxArchiveSize - 156 - 37 - 8;
    const struct { const char* name; uint64_t data; bool entryFits, archiveFits; } rows[] = {
        {"exactly 4 GiB - 1 bytes", largestData, true, true},
        {"one byte more, in the index", largestData + 1, true, false},
        {"data alone past the limit", kob::kMaxArchiveSize - 155, false, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Discard output;
        ArchiveWriter writer("objects/", 0, output);
        ASSERT_TRUE(writer.WriteHeader());
        std::vector<ByteRange> pieces;
        for (uint64_t left = row.data; left > 0; left -= pieces.back().length)
            pieces.push_back({mebibyte.data(), size_t(std::min<uint64_t>(left, mebibyte.size()))});
        std::vector<kob::BlockDescriptor> noBlocks;
        EXPECT_EQ(writer.AddEntry("a", row.data, noBlocks, pieces), row.entryFits);
        writer.Finish();
        EXPECT_EQ(writer.CloseOutput(), row.archiveFits) << writer.writeError();
        if (row.archiveFits)
            EXPECT_EQ(output.length, kob::kMaxArchiveSize);
        else
            EXPECT_EQ(writer.writeError(), "the archive would grow past 4 GiB - 1 bytes");
    }
}
