#include "format/ArchiveFormat.h"

namespace kob {

// "KOBPACK ARCHIVE" and the format's version, then zeros to fill 148 bytes.
const uint8_t kHeaderBlock[kHeaderBlockSize] = {
    'K', 'O', 'B', 'P', 'A', 'C', 'K', ' ', 'A', 'R', 'C', 'H', 'I', 'V', 'E', 0,
    1, 5, 0, 0,
};

const uint8_t kRecordTail[12] = {0xE0, 0x21, 0x13, 0x00, 0, 0, 0, 0, 0, 0, 0, 0};

const uint8_t kEmptyEntryBlock[20] = {
    0x01, 0x00, 0x00, 0x00, // block count 1
    0x04, 0x00, 0x00, 0x00, // compressed size 4
    0x00, 0x00, 0x00, 0x00, // uncompressed size 0
    0x00, 0x00, 0x00, 0x00, // block offset 0
    0x11, 0x11, 0x00, 0x00, // the data bytes
};

} // namespace kob
