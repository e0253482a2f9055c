#include "app/PackBatch.h"

#include "source/PathNoCase.h"
#include "source/PathText.h"

#include <memory>

using namespace kob;

std::string BatchCaption(size_t position, size_t count, const std::string& archivePath)
{
    return "Creating (" + std::to_string(position) + " of " + std::to_string(count) + "): " + archivePath;
}

BatchEnd kob::PackBatch(const std::vector<std::string>& names, const PackOptions& options, PackControls& controls,
                        PackObserver& observer, CancelToken cancel, const PackContext& context)
{
    const unsigned threads = options.threads == 0 ? HardwareThreadCount() : options.threads;
    // One pool for the whole batch; its threads end with this call.
    std::unique_ptr<CompressionPool> pool;
    if (threads > 1)
        pool = std::make_unique<CompressionPool>(threads);
    for (size_t i = 0; i < names.size(); ++i) {
        const std::string name = names[i].substr(0, kMaxBatchName);
        // Folder names are matched without regard to case, as the mod's
        // folders were made on a file system that ignores it; the entry
        // prefix keeps the name's own spelling.
        const std::string archivePath = name + ".kob";
        PackOptions jobOptions = options;
        if (jobOptions.compress && (equalsNoCase(name, "sound") || equalsNoCase(name, "music")))
            jobOptions.compress = false;
        controls.setCaption(BatchCaption(i + 1, names.size(), archivePath));
        observer.archiveStarted(archivePath);
        const PackResult result = PackArchive({resolveNoCase("../" + name), name, resolveNoCase(archivePath)},
                                              jobOptions, controls, observer, cancel, pool.get(), context);
        observer.archiveDone(archivePath, result);
        if (result.outcome == PackOutcome::Cancelled)
            return BatchEnd::Cancelled;
    }
    return BatchEnd::Finished;
}
