#pragma once
// The byte layout of a .kob archive. Every integer is an unsigned 32-bit
// little-endian word; nothing is aligned or padded.
//
//   0    index offset (patched last)      4  compression flag (patched last)
//   8    148-byte header block            156 entry data, back to back
//   index: entry count, then per entry: name length, name, stored size,
//          uncompressed size, data offset, 12-byte record tail
//   end word 0

#include <cstddef>
#include <cstdint>

namespace kob {

constexpr uint32_t kHeaderBlockSize = 148;
constexpr uint32_t kHeaderSize = 8 + kHeaderBlockSize;      // first entry's data offset
constexpr uint32_t kBlockLength = 32768;                    // input bytes per compressed block
constexpr uint32_t kRecordTailWord = 0x001321E0;            // first word of every record tail
constexpr uint32_t kRecordFixedSize = 4 + 4 + 4 + 4 + 12;   // record bytes besides the name
constexpr uint32_t kDescriptorSize = 12;
constexpr uint32_t kMaxRelativeName = 259;                  // longest relative name a record holds
constexpr uint32_t kLzoWorkMemorySize = 458755;             // at least LZO1X_999_MEM_COMPRESS
constexpr uint64_t kMaxArchiveSize = 0xFFFFFFFFull;         // offsets and sizes are 32-bit words

// Fixed, never interpreted; written unchanged into every archive at offset 8.
extern const uint8_t kHeaderBlock[kHeaderBlockSize];
// Ends every index record: the word 0x001321E0 and two zero words.
extern const uint8_t kRecordTail[12];
// A compressed archive's data area for an empty file (or one whose
// compression failed): one block of uncompressed size 0 holding 4 bytes.
// Those bytes are not a valid LZO1X stream; readers take the size 0 as
// "nothing to decompress".
extern const uint8_t kEmptyEntryBlock[20];

// One compressed block, as its 12-byte descriptor stores it.
struct BlockDescriptor {
    uint32_t compressedSize;
    uint32_t uncompressedSize;
    uint32_t blockOffset; // from the first byte after the descriptor table
};

inline void putWord(uint8_t* out, uint32_t value)
{
    out[0] = static_cast<uint8_t>(value);
    out[1] = static_cast<uint8_t>(value >> 8);
    out[2] = static_cast<uint8_t>(value >> 16);
    out[3] = static_cast<uint8_t>(value >> 24);
}

inline uint32_t getWord(const uint8_t* in)
{
    return uint32_t(in[0]) | uint32_t(in[1]) << 8 | uint32_t(in[2]) << 16 | uint32_t(in[3]) << 24;
}

// Worst-case LZO1X output for `length` input bytes.
constexpr size_t lzoWorstCase(size_t length)
{
    return length + length / 16 + 64 + 3;
}

} // namespace kob
