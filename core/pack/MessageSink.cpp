#include "pack/MessageSink.h"

#include <atomic>

namespace {
std::atomic<MessageSink*> g_sink{nullptr};
}

void MessageSink::Report(const std::string&) {}
void MessageSink::Note(const std::string&) {}

void InstallMessageSink(MessageSink* sink)
{
    g_sink.store(sink);
}

MessageSink* InstalledMessageSink()
{
    return g_sink.load();
}

void ReportMessage(const std::string& text)
{
    if (MessageSink* sink = g_sink.load())
        sink->Report(text);
}

void ReportNote(const std::string& text)
{
    if (MessageSink* sink = g_sink.load())
        sink->Note(text);
}
