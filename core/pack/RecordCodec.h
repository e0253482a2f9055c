#pragma once
// The bytes of a record of unchanged files, every word little-endian:
//   "KOBR", version word 2, the archive's absolute path (length word, bytes),
//   the archive's stamp, the file system's time before its files were looked
//   at (ns), entry count word, per entry: name below the entry prefix
//   (length word, bytes) and its file's stamp; last a 64-bit FNV-1a of all
//   the bytes before. A stamp is size, volume, index, modified ns, changed
//   ns: five 64-bit words.
// Records are untrusted: bytes that do not read back exactly (damaged,
// truncated, another version) are no record at all. The checksum only finds
// damage; the private cache keeps others from forging one.

#include "pack/SourceRecords.h"

#include <cstdint>
#include <optional>
#include <string>

namespace records {

constexpr uint32_t kVersion = 2;

std::string encode(const SourceRecords& records);
std::optional<SourceRecords> decode(const uint8_t* data, size_t size);
// The checksum the last eight bytes hold.
uint64_t checksum(const uint8_t* data, size_t size);

} // namespace records
