#pragma once
// The data area of a compressed entry: a block count, one 12-byte descriptor
// per block, then the blocks' compressed bytes back to back. Each block holds
// 32 KiB of the file (the last one the rest) as a complete, independent LZO1X
// stream. Everything that writes, reads or compares such an area goes through
// here; nothing else calls the compressor.

#include "format/ArchiveFormat.h"

#include <string>
#include <vector>

namespace kob {

// The blocks a file of `size` bytes is cut into, and the length of block `block`.
uint32_t blockCountOf(uint64_t size);
uint32_t blockLengthAt(uint64_t size, uint32_t block);

// Bytes of output area that compressing `size` input bytes block by block
// can need at most.
size_t compressedAreaBound(uint64_t size);

// Bytes of the block count and the descriptors of `count` blocks.
constexpr size_t blockTableLength(size_t count)
{
    return 4 + size_t(kDescriptorSize) * count;
}

// Sets each block's offset so the blocks follow one another from 0, and
// returns the block count and descriptors as stored.
std::vector<uint8_t> encodeBlockTable(std::vector<BlockDescriptor>& blocks);

// Reads the block table at the start of the data area of an entry of `size`
// bytes, `areaLength` bytes long, of which `available` are at `area`. False,
// with `error` (", block N: ..." or ": ...", to follow the entry's name),
// unless the table lays the file out as the writer does: offsets back to
// back from 0, every block 32 KiB but the last, ending with the area.
bool decodeBlockTable(const uint8_t* area, size_t available, uint64_t areaLength, uint64_t size,
                      std::vector<BlockDescriptor>& blocks, std::string& error);

// Compresses `length` bytes at `in` (LZO1X-999) into `out`, which has room
// for lzoWorstCase(length) bytes. `workMemory` holds kLzoWorkMemorySize bytes.
// Returns false when the compressor rejects the block.
bool compressBlock(const uint8_t* in, uint32_t length, uint8_t* out, uint32_t& compressedSize, void* workMemory);

// Decompresses the block `block` describes from `in` into `out` (room for its
// uncompressed size), never reading or writing past either. False, with
// `error`, unless exactly its uncompressed size came out.
bool decompressBlock(const uint8_t* in, const BlockDescriptor& block, uint8_t* out, std::string& error);

} // namespace kob
