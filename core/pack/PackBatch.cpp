#include "pack/PackBatch.h"

#include "source/PathNoCase.h"
#include "source/PathText.h"

#include <memory>

using namespace kob;

namespace {

// Keeps each job's result parts for the callers that ask for them.
struct CollectingObserver : SinkObserver {
    CollectingObserver(std::vector<PackOutcome>* o, std::vector<ReuseCounts>* r) : outcomes(o), reused(r) {}
    void archiveDone(const std::string&, const PackResult& result) override
    {
        if (outcomes)
            outcomes->push_back(result.outcome);
        if (reused)
            reused->push_back(result.reused);
    }
    std::vector<PackOutcome>* outcomes;
    std::vector<ReuseCounts>* reused;
};

} // namespace

std::string BatchCaption(size_t position, size_t count, const std::string& archivePath)
{
    return "Creating (" + std::to_string(position) + " of " + std::to_string(count) + "): " + archivePath;
}

int kob::packBatch(const std::vector<std::string>& names, const PackOptions& options, PackControls& controls,
                   PackObserver& observer, CancelToken cancel)
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
            jobOptions.compress = 0;
        controls.setCaption(BatchCaption(i + 1, names.size(), archivePath));
        observer.archiveStarted(archivePath);
        const PackResult result = packArchive({resolveNoCase("../" + name), name, resolveNoCase(archivePath)},
                                              jobOptions, controls, observer, cancel, pool.get());
        observer.archiveDone(archivePath, result);
        if (result.code == kPackCancelled)
            return -1;
    }
    return 1;
}

int PackBatch(const std::vector<std::string>& names, int compress, PackControls& controls,
              std::vector<PackOutcome>* outcomes, unsigned threads, bool reusePrevious,
              std::vector<ReuseCounts>* reused)
{
    CollectingObserver observer(outcomes, reused);
    return packBatch(names, {static_cast<uint32_t>(compress), threads, reusePrevious}, controls, observer,
                     CancelToken(g_cancelPack));
}
