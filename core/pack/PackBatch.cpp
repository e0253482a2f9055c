#include "pack/PackBatch.h"

#include "source/DirListing.h"
#include "source/PathNoCase.h"

#include <memory>

std::string BatchCaption(size_t position, size_t count, const std::string& archivePath)
{
    return "Creating (" + std::to_string(position) + " of " + std::to_string(count) + "): " + archivePath;
}

int PackBatch(const std::vector<std::string>& names, int compress, PackControls& controls,
              std::vector<PackOutcome>* outcomes, unsigned threads, bool reusePrevious,
              std::vector<ReuseCounts>* reused)
{
    if (threads == 0)
        threads = HardwareThreadCount();
    // One pool for the whole batch; its threads end with this call.
    std::unique_ptr<CompressionPool> pool;
    if (threads > 1)
        pool = std::make_unique<CompressionPool>(threads);
    for (size_t i = 0; i < names.size(); ++i) {
        const std::string name = names[i].substr(0, kMaxBatchName);
        // Folder names are matched without regard to case, as the mod's
        // folders were made on a file system that ignores it; the entry
        // prefix keeps the name's own spelling.
        std::string sourcePath = resolveNoCase("../" + name);
        std::string folderName = name;
        const std::string archivePath = name + ".kob";
        const std::string resolvedArchive = resolveNoCase(archivePath);
        int useCompression = compress;
        if (useCompression && (equalsNoCase(name, "sound") || equalsNoCase(name, "music")))
            useCompression = 0;
        controls.setCaption(BatchCaption(i + 1, names.size(), archivePath));
        PackOutcome outcome = PackOutcome::Failed;
        ReuseCounts counts;
        const int r = PackArchive(sourcePath, folderName, resolvedArchive, static_cast<uint32_t>(useCompression),
                                  controls, &outcome, pool.get(), reusePrevious, &counts);
        if (outcomes)
            outcomes->push_back(outcome);
        if (reused)
            reused->push_back(counts);
        if (r == kPackCancelled)
            return -1;
    }
    return 1;
}
