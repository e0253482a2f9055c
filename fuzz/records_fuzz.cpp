// Fuzz target: arbitrary bytes read as a record of unchanged files, once as
// they are and once with their checksum made right, so that the fuzzer gets
// past it to the words behind. Any crash, sanitizer report, or a record that
// does not read back as it is written again is a finding.

#include "pack/RecordCodec.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

std::string withChecksum(const uint8_t* data, size_t size)
{
    std::string bytes(reinterpret_cast<const char*>(data), size);
    const uint64_t hash = records::checksum(data, size);
    for (int i = 0; i < 8; ++i)
        bytes += static_cast<char>(hash >> (8 * i));
    return bytes;
}

void check(const std::string& bytes)
{
    const auto read = records::decode(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    if (!read)
        return;
    const std::string again = records::encode(*read);
    const auto reread = records::decode(reinterpret_cast<const uint8_t*>(again.data()), again.size());
    if (!reread || records::encode(*reread) != again || reread->count() != read->count())
        std::abort();
    read->unchanged("a", read->archive());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    check(std::string(reinterpret_cast<const char*>(data), size));
    check(withChecksum(data, size));
    return 0;
}
