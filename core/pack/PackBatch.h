#pragma once
// Packs a list of names one after the other: "../NAME" into "NAME.kob", with
// the caption "Creating (i of n): NAME.kob" before each. The folders "sound"
// and "music" (the whole name, any case) are always stored plain. Stops at
// the first cancelled job.

#include "pack/PackControls.h"
#include "pack/PackJob.h"

#include <string>
#include <vector>

constexpr size_t kMaxBatchName = 256; // a longer name is used by its first 256 characters

namespace kob {

// Returns 1 when every name was handed to a pack job, -1 when a job was
// cancelled and the names after it were not packed. The observer hears of
// each "NAME.kob" as it starts and ends. With options.threads above 1 (0:
// HardwareThreadCount()) one pool serves the whole batch and ends with it.
int packBatch(const std::vector<std::string>& names, const PackOptions& options, PackControls& controls,
              PackObserver& observer, CancelToken cancel);

} // namespace kob

// packBatch reporting as PackArchive does; `outcomes` and `reused`, when
// given, receive one result part per name handed to a job, in order.
int PackBatch(const std::vector<std::string>& names, int compress, PackControls& controls,
              std::vector<PackOutcome>* outcomes = nullptr, unsigned threads = 1, bool reusePrevious = true,
              std::vector<ReuseCounts>* reused = nullptr);

// The caption shown before the job of the name at `position` (from 1).
std::string BatchCaption(size_t position, size_t count, const std::string& archivePath);
