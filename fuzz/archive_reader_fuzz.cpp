// Fuzz target: an archive of arbitrary bytes goes through the reader the way
// list, extract, verify and the archive window use it. Any crash, sanitizer
// report, or an entry that reads back with a size other than its index
// gives, is a finding.

#include "app/ArchiveListing.h"
#include "format/ArchiveReader.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

namespace {

// The reader opens a path; an in-memory file spares the disk.
int memoryFile()
{
    static const int fd = memfd_create("kob-fuzz", 0);
    return fd;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const int fd = memoryFile();
    if (fd < 0 || ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != static_cast<ssize_t>(size))
        std::abort();

    ArchiveReader reader;
    if (!reader.open("/proc/self/fd/" + std::to_string(fd)))
        return 0;
    const bool sound = reader.verify().empty();
    std::vector<uint8_t> bytes;
    std::string error;
    for (size_t i = 0; i < reader.entries().size(); ++i) {
        const bool read = reader.readEntry(i, bytes, error);
        if (read && bytes.size() != reader.entries()[i].size)
            std::abort(); // an entry read back with the wrong size
        if (sound && !read)
            std::abort(); // verify passed an entry that cannot be read
    }
    // What a window shows of the same index: every order, a filter, each cell.
    ArchiveListing listing(reader.entries(), reader.compressed());
    for (int column = 0; column < kArchiveColumnCount; ++column) {
        listing.sort(static_cast<ArchiveColumn>(column), column % 2 == 1);
        listing.filter(reader.entries().empty() ? "" : reader.entries().front().name.substr(0, 2));
        if (listing.rowCount() > listing.entryCount())
            std::abort();
        for (size_t row = 0; row < listing.rowCount(); ++row)
            listing.cell(row, static_cast<ArchiveColumn>(column));
        listing.totalsText();
    }
    return 0;
}
