#include "cli/Commands.h"
#include "cli/Console.h"

#include "format/ArchiveReader.h"

#include <cinttypes>
#include <cstdio>

int RunList(const std::vector<std::string>& archives)
{
    // The listing goes out in large writes: where standard output is a
    // console or a device, the Windows runtime leaves it unbuffered, and
    // every padded field would be a system call of its own.
    std::setvbuf(stdout, nullptr, _IOFBF, size_t(1) << 16);
    bool failed = false;
    bool first = true;
    for (const std::string& path : archives) {
        ArchiveReader reader;
        if (!reader.open(path)) {
            std::fflush(stdout); // the error follows what was listed before it
            PrintError(reader.error());
            failed = true;
            continue;
        }
        if (!first)
            std::printf("\n");
        first = false;
        std::printf("%s: %s\n", PrintableName(path).c_str(), reader.compressed() ? "compressed" : "plain");
        std::printf("%10s %10s %10s  %s\n", "stored", "size", "offset", "name");
        uint64_t stored = 0, size = 0;
        for (const ReaderEntry& entry : reader.entries()) {
            std::printf("%10" PRIu32 " %10" PRIu32 " %10" PRIu32 "  %s\n", entry.storedSize, entry.size,
                        entry.dataOffset, PrintableName(entry.name).c_str());
            stored += entry.storedSize;
            size += entry.size;
        }
        const size_t count = reader.entries().size();
        std::printf("%10" PRIu64 " %10" PRIu64 " %10s  total, %zu %s\n", stored, size, "", count,
                    count == 1 ? "entry" : "entries");
    }
    // Buffered: a full disk shows only when the rest goes out.
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        PrintError("the listing could not be written to standard output");
        return kExitFailure;
    }
    return failed ? kExitFailure : kExitOk;
}
