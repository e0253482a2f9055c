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

// Returns 1 when every name was handed to a pack job, -1 when a job was
// cancelled and the names after it were not packed. When `outcomes` is given
// it receives one outcome per name that was handed to a job, in order.
// `threads`: 1 packs on the calling thread alone; more makes one pool of that
// many threads for the whole batch to read and compress ahead (0: one per
// hardware thread, HardwareThreadCount()). The archives and everything shown
// are the same for every count; no thread outlives the call.
// `reusePrevious` false compresses every file afresh; `reused`, when given,
// receives what each job took over from its previous archive (PackArchive).
int PackBatch(const std::vector<std::string>& names, int compress, PackControls& controls,
              std::vector<PackOutcome>* outcomes = nullptr, unsigned threads = 1, bool reusePrevious = true,
              std::vector<ReuseCounts>* reused = nullptr);

// The caption shown before the job of the name at `position` (from 1).
std::string BatchCaption(size_t position, size_t count, const std::string& archivePath);
