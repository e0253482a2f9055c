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

std::vector<uint8_t> encodeBlockTable(std::vector<BlockDescriptor>& blocks)
{
    std::vector<uint8_t> table(blockTableLength(blocks.size()));
    putWord(table.data(), static_cast<uint32_t>(blocks.size()));
    uint32_t offset = 0;
    for (size_t b = 0; b < blocks.size(); ++b) {
        blocks[b].blockOffset = offset;
        offset += blocks[b].compressedSize;
        uint8_t* out = table.data() + blockTableLength(b);
        putWord(out, blocks[b].compressedSize);
        putWord(out + 4, blocks[b].uncompressedSize);
        putWord(out + 8, blocks[b].blockOffset);
    }
    return table;
}

bool decodeBlockTable(const uint8_t* area, size_t available, uint64_t areaLength, uint64_t size,
                      std::vector<BlockDescriptor>& blocks, std::string& error)
{
    blocks.clear();
    const uint32_t count = available < 4 ? 0 : getWord(area);
    if (count == 0 || count > (available - 4) / kDescriptorSize) {
        error = ": block count " + std::to_string(count) + " does not fit its data area";
        return false;
    }
    const uint64_t dataLength = areaLength - blockTableLength(count);
    uint64_t offset = 0, total = 0;
    for (uint32_t b = 0; b < count; ++b) {
        const uint8_t* d = area + blockTableLength(b);
        const BlockDescriptor block{getWord(d), getWord(d + 4), getWord(d + 8)};
        const std::string where = ", block " + std::to_string(b) + ": ";
        if (block.blockOffset != offset)
            error = where + "offset " + std::to_string(block.blockOffset) + ", expected " + std::to_string(offset);
        else if (block.compressedSize > dataLength - offset)
            error = where + "compressed size " + std::to_string(block.compressedSize) + " runs past the data area";
        else if (block.uncompressedSize == 0 || block.uncompressedSize > kBlockLength
                 || (b + 1 < count && block.uncompressedSize != kBlockLength))
            error = where + "uncompressed size " + std::to_string(block.uncompressedSize)
                  + " is not a valid block length";
        else {
            offset += block.compressedSize;
            total += block.uncompressedSize;
            blocks.push_back(block);
            continue;
        }
        return false;
    }
    if (total != size)
        error = ": blocks hold " + std::to_string(total) + " bytes, its size is " + std::to_string(size);
    else if (offset != dataLength)
        error = ": its blocks end " + std::to_string(dataLength - offset) + " bytes before its stored size";
    return total == size && offset == dataLength;
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
