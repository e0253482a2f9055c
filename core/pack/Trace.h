#pragma once
// Trace lines of the archive writer go to standard output, one line a call.

#include <string>

void TraceLine(const std::string& line);
