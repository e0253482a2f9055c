#include "format/BlockArea.h"

#include <lzo/lzo1x.h>

namespace kob {

static_assert(kLzoWorkMemorySize >= LZO1X_999_MEM_COMPRESS, "work memory too small for LZO1X-999");

namespace {
bool lzoReady()
{
    static const bool ready = lzo_init() == LZO_E_OK;
    return ready;
}
} // namespace

uint32_t blockCountOf(uint64_t size)
{
    return static_cast<uint32_t>((size + kBlockLength - 1) / kBlockLength);
}

uint32_t blockLengthAt(uint64_t size, uint32_t block)
{
    const uint64_t start = uint64_t(block) * kBlockLength;
    return size - start > kBlockLength ? kBlockLength : static_cast<uint32_t>(size - start);
}

size_t compressedAreaBound(uint64_t size)
{
    const uint64_t fullBlocks = size / kBlockLength;
    const uint64_t rest = size % kBlockLength;
    return static_cast<size_t>(fullBlocks * lzoWorstCase(kBlockLength) + (rest ? lzoWorstCase(rest) : 0));
}

uint64_t placeBlocks(std::vector<BlockDescriptor>& blocks)
{
    uint64_t offset = 0;
    for (BlockDescriptor& block : blocks) {
        block.blockOffset = static_cast<uint32_t>(offset);
        offset += block.compressedSize;
    }
    return offset;
}

std::vector<uint8_t> encodeBlockTable(const std::vector<BlockDescriptor>& blocks)
{
    std::vector<uint8_t> table(blockTableLength(blocks.size()));
    putWord(table.data(), static_cast<uint32_t>(blocks.size()));
    uint8_t* out = table.data() + 4;
    for (const BlockDescriptor& block : blocks) {
        putWord(out, block.compressedSize);
        putWord(out + 4, block.uncompressedSize);
        putWord(out + 8, block.blockOffset);
        out += kDescriptorSize;
    }
    return table;
}

bool decodeBlockTable(const uint8_t* area, size_t length, std::vector<BlockDescriptor>& blocks, std::string& error)
{
    blocks.clear();
    if (length < 4) {
        error = "compressed data area too short for its block count";
        return false;
    }
    const uint32_t count = getWord(area);
    if (count == 0 || count > (length - 4) / kDescriptorSize) {
        error = "block count " + std::to_string(count) + " does not fit its data area";
        return false;
    }
    blocks.resize(count);
    for (uint32_t b = 0; b < count; ++b) {
        const uint8_t* d = area + blockTableLength(b);
        blocks[b] = {getWord(d), getWord(d + 4), getWord(d + 8)};
    }
    return true;
}

std::string blockLayoutProblem(const std::vector<BlockDescriptor>& blocks, uint64_t size, uint64_t dataLength)
{
    uint64_t offset = 0;
    uint64_t total = 0;
    for (size_t b = 0; b < blocks.size(); ++b) {
        const BlockDescriptor& block = blocks[b];
        const std::string where = ", block " + std::to_string(b) + ": ";
        const bool last = b + 1 == blocks.size();
        if (block.blockOffset != offset)
            return where + "offset " + std::to_string(block.blockOffset) + ", expected " + std::to_string(offset);
        if (block.compressedSize > dataLength - offset)
            return where + "compressed size " + std::to_string(block.compressedSize) + " runs past the data area";
        if (block.uncompressedSize == 0 || block.uncompressedSize > kBlockLength
            || (!last && block.uncompressedSize != kBlockLength))
            return where + "uncompressed size " + std::to_string(block.uncompressedSize)
                 + " is not a valid block length";
        offset += block.compressedSize;
        total += block.uncompressedSize;
    }
    if (total != size)
        return ": blocks hold " + std::to_string(total) + " bytes, its size is " + std::to_string(size);
    if (offset != dataLength)
        return ": its blocks end " + std::to_string(dataLength - offset) + " bytes before its stored size";
    return "";
}

bool compressBlock(const uint8_t* in, uint32_t length, uint8_t* out, uint32_t& compressedSize, void* workMemory)
{
    if (!lzoReady())
        return false;
    lzo_uint outLength = 0;
    if (lzo1x_999_compress(in, length, out, &outLength, workMemory) != LZO_E_OK)
        return false;
    compressedSize = static_cast<uint32_t>(outLength);
    return true;
}

bool decompressBlock(const uint8_t* in, const BlockDescriptor& block, uint8_t* out, std::string& error)
{
    lzo_uint produced = block.uncompressedSize;
    const int rc = lzo1x_decompress_safe(in, block.compressedSize, out, &produced, nullptr);
    if (rc == LZO_E_OK && produced == block.uncompressedSize)
        return true;
    error = "does not decompress (LZO error " + std::to_string(rc) + ", " + std::to_string(produced) + " of "
          + std::to_string(block.uncompressedSize) + " bytes)";
    return false;
}

} // namespace kob
