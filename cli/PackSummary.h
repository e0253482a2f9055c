#pragma once
// The one-line account of a written archive that `kobpack -v pack` prints.

#include "pack/PackJob.h"

#include <string>

// "N entries, S source bytes, A archive bytes, R entries (B bytes) reused,
// T s" for the archive at `path`, read back from its index, with what the
// pack took over from the previous archive; the reader's error when that
// fails.
std::string PackSummary(const std::string& path, const ReuseCounts& reused, double seconds);
