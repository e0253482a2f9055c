#pragma once
// Where the pack job's failure and phase texts go. Each front end installs
// one at start-up: the window's discards the texts, the command line prints
// them.

#include <string>

class MessageSink {
public:
    virtual ~MessageSink() = default;
    // Takes one text; this base version discards it.
    virtual void Report(const std::string& text);
};

// Installs `sink` (not owned; nullptr removes it) for the whole process.
void InstallMessageSink(MessageSink* sink);
MessageSink* InstalledMessageSink();
// Hands `text` to the installed sink, if there is one.
void ReportMessage(const std::string& text);
