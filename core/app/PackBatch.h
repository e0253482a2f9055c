#pragma once
// Packs a list of names one after the other: "../NAME" into "NAME.kob", with
// the caption "Creating (i of n): NAME.kob" before each. The folders "sound"
// and "music" (the whole name, any case) are always stored plain. Stops at
// the first cancelled job. Every front end packs through it.

#include "pack/PackControls.h"
#include "pack/PackJob.h"

#include <string>
#include <vector>

constexpr size_t kMaxBatchName = 256; // a longer name is used by its first 256 characters

namespace kob {

// How a batch ended: every name was handed to a pack job, or a job was
// cancelled and the names after it were not packed.
enum class BatchEnd { Finished, Cancelled };

// The observer hears of each "NAME.kob" as it starts and ends. With
// options.threads above 1 (0: HardwareThreadCount()) one pool serves the
// whole batch and ends with it. Every job gets `context`.
BatchEnd PackBatch(const std::vector<std::string>& names, const PackOptions& options, PackControls& controls,
                   PackObserver& observer, CancelToken cancel, const PackContext& context = {});

} // namespace kob

// The caption shown before the job of the name at `position` (from 1).
std::string BatchCaption(size_t position, size_t count, const std::string& archivePath);
