#pragma once
// The one-line account of a written archive that `kobpack -v pack` prints.

#include <string>

// "N entries, S source bytes, A archive bytes, T s" for the archive at
// `path`, read back from its index; the reader's error when that fails.
std::string PackSummary(const std::string& path, double seconds);
