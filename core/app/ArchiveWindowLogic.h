#pragma once
// What an archive window says, in the same words in both windows: its
// caption, why an archive cannot be opened, the progress of an extract and
// what came of it, and the verdict of a verify.

#include "app/ArchiveListing.h"
#include "format/ArchiveReader.h"
#include "source/ExtractEntries.h"

#include <chrono>
#include <string>
#include <vector>

inline constexpr const char* kArchiveErrorCaption = "KobPack";
inline constexpr const char* kExtractCaption = "Extracting";
inline constexpr const char* kVerifyCaption = "Verify";
inline constexpr const char* kFilterLabel = "Filter:";
inline constexpr const char* kExtractButton = "Extract...";
inline constexpr const char* kVerifyButton = "Verify";
inline constexpr const char* kVerifyAgainstButton = "Verify against...";
inline constexpr const char* kChooseExtractFolder = "Extract into folder";
inline constexpr const char* kChooseModFolder = "Compare with the mod folder (the one holding the archive's folders)";

// A box lists at most this many problems, then how many more there were.
inline constexpr size_t kMaxArchiveProblemsShown = 20;

// True when a program argument names an archive to look into rather than a
// mod's Archives folder: a path ending in ".kob" (ASCII case ignored) that is
// no folder.
bool IsArchiveArgument(const std::string& path);

// Opens `path` again for reading the entries a window lists: the window
// holds no archive open between actions, so a repack can replace it. False,
// with `error`, when it cannot be read or no longer holds the same entries.
bool ReopenArchive(const std::string& path, const std::vector<ReaderEntry>& listed, ArchiveReader& reader,
                   std::string& error);

// "objects.kob - KobPack" for the archive at `path`.
std::string ArchiveWindowCaption(const std::string& path);

// The box for a file that cannot be opened as an archive; `readerError` is
// the reader's text, which names the file and what is wrong.
std::string OpenFailureText(const std::string& readerError);

// Paces a progress dialog: the first entry is drawn, then one at most every
// 40 ms, so that drawing never holds up an extract of many small files (the
// worker waits while a line is drawn). For the worker's thread alone.
class ProgressPacer {
public:
    bool due();

private:
    std::chrono::steady_clock::time_point m_last;
    bool m_started = false;
};

// The progress dialog's line before entry `done` (from 0) of `total`:
// "Extracting 5 of 100: objects/a.con".
std::string ExtractProgressText(size_t done, size_t total, const std::string& name);

// The box after an extract of `chosen` entries into `directory`: how many
// were written, whether it was cancelled, and what was not extracted and why.
std::string ExtractResultCaption(const ExtractOutcome& outcome);
std::string ExtractResultText(const ExtractOutcome& outcome, size_t chosen, const std::string& directory);

// A box a window shows: a warning when `problem`, else a notice.
struct WindowBox {
    bool problem = false;
    std::string caption, text;
};

// Reads the index of the archive at `path` for a window: true with
// `listing` holding its rows, in archive order; false with `failure`, the
// box that says why (OpenFailureText), and `listing` untouched.
bool OpenListing(const std::string& path, ArchiveListing& listing, WindowBox& failure);

// The box after an extract of `chosen` entries into `directory`.
WindowBox ExtractBox(const ExtractOutcome& outcome, size_t chosen, const std::string& directory);

// Verify: opens `path` again (ReopenArchive), checks every block and, with
// `against` not empty, compares with that mod folder (CheckArchive); the box
// with the verdict and each problem.
WindowBox VerifyBox(const std::string& path, const std::vector<ReaderEntry>& listed, const std::string& against);

// The box after a verify: the verdict line, then each problem.
std::string CheckResultText(const std::string& archive, size_t entries, const std::vector<std::string>& problems,
                            const std::string& against);
