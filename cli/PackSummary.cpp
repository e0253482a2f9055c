#include "cli/PackSummary.h"

#include "format/ArchiveReader.h"

#include <cstdint>
#include <cstdio>

std::string PackSummary(const std::string& path, const ReuseCounts& reused, double seconds)
{
    // Read back rather than counted along the way, so the line tells what
    // the archive holds, skipped files left out.
    ArchiveReader reader;
    if (!reader.open(path))
        return "cannot read the archive back: " + reader.error();
    uint64_t sourceBytes = 0;
    for (const ReaderEntry& entry : reader.entries())
        sourceBytes += entry.size;
    char text[200];
    std::snprintf(text, sizeof text,
                  "%zu entries, %llu source bytes, %llu archive bytes, %u entries (%llu bytes) reused, %.2f s",
                  reader.entries().size(), static_cast<unsigned long long>(sourceBytes),
                  static_cast<unsigned long long>(reader.fileSize()), reused.entries,
                  static_cast<unsigned long long>(reused.bytes), seconds);
    return text;
}
