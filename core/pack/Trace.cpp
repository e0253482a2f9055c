#include "pack/Trace.h"

#include <cstdio>

void TraceLine(const std::string& line)
{
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
}
