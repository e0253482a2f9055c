#pragma once
// One 32 KiB block through LZO1X-999: each block is a complete, independent
// LZO1X stream.

#include <cstddef>
#include <cstdint>

namespace kob {

// Bytes of output area that compressing `size` input bytes block by block
// can need at most.
size_t compressedAreaBound(uint64_t size);

// Compresses `length` bytes at `in` into `out`, which has room for
// lzoWorstCase(length) bytes. `workMemory` holds kLzoWorkMemorySize bytes.
// Returns false when the compressor rejects the block.
bool compressBlock(const uint8_t* in, uint32_t length, uint8_t* out, uint32_t& compressedSize, void* workMemory);

} // namespace kob
