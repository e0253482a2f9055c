// Fuzz target: arbitrary bytes read as a record of unchanged files, once as
// they are and once with their checksum made right, so that the fuzzer gets
// past it to the words behind. Any crash, sanitizer report, or a record that
// does not read back as it is written again is a finding.

#include "pack/SourceRecords.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

std::string withChecksum(const uint8_t* data, size_t size)
{
    std::string bytes(reinterpret_cast<const char*>(data), size);
    uint64_t hash = 0xcbf29ce484222325ull;
    for (const char c : bytes)
        hash = (hash ^ static_cast<uint8_t>(c)) * 0x100000001b3ull;
    for (int i = 0; i < 8; ++i)
        bytes += static_cast<char>(hash >> (8 * i));
    return bytes;
}

void check(const std::string& bytes)
{
    SourceRecords records;
    if (!records.decode(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()))
        return;
    const std::string again = records.encode();
    SourceRecords reread;
    if (!reread.decode(reinterpret_cast<const uint8_t*>(again.data()), again.size()) || reread.encode() != again
        || reread.count() != records.count())
        std::abort();
    records.unchanged("a", records.archive());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    check(std::string(reinterpret_cast<const char*>(data), size));
    check(withChecksum(data, size));
    return 0;
}
