#pragma once
// Where the pack job's texts go: problems (a failure, nothing to pack) and
// notes (the phase it is in). Each front end installs one at start-up: the
// window's discards both, the command line prints problems and, when asked,
// notes.

#include <string>

class MessageSink {
public:
    virtual ~MessageSink() = default;
    // Takes one problem; this base version discards it.
    virtual void Report(const std::string& text);
    // Takes one note on the job's progress; this base version discards it.
    virtual void Note(const std::string& text);
};

// Installs `sink` (not owned; nullptr removes it) for the whole process.
void InstallMessageSink(MessageSink* sink);
MessageSink* InstalledMessageSink();
// Hands the problem `text` to the installed sink, if there is one.
void ReportMessage(const std::string& text);
// Hands the note `text` to the installed sink, if there is one.
void ReportNote(const std::string& text);
