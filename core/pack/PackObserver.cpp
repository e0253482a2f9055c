#include "pack/PackObserver.h"

#include <cstdio>

namespace kob {

void PackObserver::trace(const std::string& line)
{
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
}

} // namespace kob
