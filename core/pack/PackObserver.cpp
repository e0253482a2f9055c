#include "pack/PackObserver.h"

#include "pack/MessageSink.h"

#include <cstdio>

namespace kob {

void PackObserver::trace(const std::string& line)
{
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
}

void SinkObserver::problem(const std::string& text)
{
    ReportMessage(text);
}

void SinkObserver::note(const std::string& text)
{
    ReportNote(text);
}

} // namespace kob
