#include "format/LzoBlock.h"

#include "format/ArchiveFormat.h"

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

size_t compressedAreaBound(uint64_t size)
{
    const uint64_t fullBlocks = size / kBlockLength;
    const uint64_t rest = size % kBlockLength;
    return static_cast<size_t>(fullBlocks * lzoWorstCase(kBlockLength) + (rest ? lzoWorstCase(rest) : 0));
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

} // namespace kob
