#include "app/ArchiveWindowLogic.h"

#include "platform/Folders.h"
#include "source/ArchiveCheck.h"
#include "source/EntryPath.h"
#include "source/PathText.h"

#include <algorithm>

namespace {

// The problems as lines, at most kMaxArchiveProblemsShown of them, then how
// many more there were: a damaged archive may have thousands.
std::string problemLines(const std::vector<std::string>& problems)
{
    std::string text;
    const size_t shown = std::min(problems.size(), kMaxArchiveProblemsShown);
    for (size_t i = 0; i < shown; ++i)
        text += "\n" + problems[i];
    if (shown < problems.size())
        text += "\n... and " + GroupedNumber(problems.size() - shown) + " more";
    return text;
}

} // namespace

bool IsArchiveArgument(const std::string& path)
{
    const std::string ending = ".kob";
    return path.size() > ending.size() && equalsNoCase(path.substr(path.size() - ending.size()), ending)
           && !platform::isFolder(path);
}

bool ReopenArchive(const std::string& path, const std::vector<ReaderEntry>& listed, ArchiveReader& reader,
                   std::string& error)
{
    if (!reader.open(path)) {
        error = reader.error();
        return false;
    }
    const auto same = [](const ReaderEntry& a, const ReaderEntry& b) {
        return a.name == b.name && a.size == b.size && a.storedSize == b.storedSize && a.dataOffset == b.dataOffset;
    };
    if (!std::equal(listed.begin(), listed.end(), reader.entries().begin(), reader.entries().end(), same)) {
        reader.close();
        error = PrintablePath(path) + " has changed since it was opened: close this window and open it again.";
        return false;
    }
    return true;
}

std::string ArchiveWindowCaption(const std::string& path)
{
    return PrintableName(splitPath(path).back()) + " - KobPack";
}

std::string OpenFailureText(const std::string& readerError)
{
    return "This file cannot be opened as a .kob archive:\n" + PrintablePath(readerError);
}

bool ProgressPacer::due()
{
    const auto now = std::chrono::steady_clock::now();
    if (m_started && now - m_last < std::chrono::milliseconds(40))
        return false;
    m_started = true;
    m_last = now;
    return true;
}

std::string ExtractProgressText(size_t done, size_t total, const std::string& name)
{
    return "Extracting " + GroupedNumber(done + 1) + " of " + GroupedNumber(total) + ": " + PrintableName(name);
}

std::string ExtractResultCaption(const ExtractOutcome& outcome)
{
    if (!outcome.failure.empty() || !outcome.problems.empty())
        return "Not everything was extracted";
    return outcome.stopped ? "Extract cancelled" : "Extracted";
}

std::string ExtractResultText(const ExtractOutcome& outcome, size_t chosen, const std::string& directory)
{
    if (!outcome.failure.empty())
        return "Nothing was extracted.\n" + PrintablePath(outcome.failure);
    std::string text = "Extracted " + GroupedNumber(outcome.written) + " of " + GroupedNumber(chosen)
                       + (chosen == 1 ? " entry" : " entries") + " into " + PrintablePath(directory) + ".";
    if (outcome.stopped)
        text += "\nCancelled: the entries after the last one extracted were left out.";
    if (!outcome.problems.empty())
        text += "\n\nNot extracted:" + problemLines(outcome.problems);
    return text;
}

std::string CheckResultText(const std::string& archive, size_t entries, const std::vector<std::string>& problems,
                            const std::string& against)
{
    return CheckSummary(PrintablePath(archive), entries, problems.size(), PrintablePath(against))
           + problemLines(problems);
}

bool OpenListing(const std::string& path, ArchiveListing& listing, WindowBox& failure)
{
    ArchiveReader reader;
    if (!reader.open(path)) {
        failure = {true, kArchiveErrorCaption, OpenFailureText(reader.error())};
        return false;
    }
    listing = ArchiveListing(reader.entries(), reader.compressed());
    return true;
}

WindowBox ExtractBox(const ExtractOutcome& outcome, size_t chosen, const std::string& directory)
{
    return {!outcome.failure.empty() || !outcome.problems.empty(), ExtractResultCaption(outcome),
            ExtractResultText(outcome, chosen, directory)};
}

WindowBox VerifyBox(const std::string& path, const std::vector<ReaderEntry>& listed, const std::string& against)
{
    ArchiveReader reader;
    std::string error;
    if (!ReopenArchive(path, listed, reader, error))
        return {true, kArchiveErrorCaption, error};
    const std::vector<std::string> problems = CheckArchive(reader, path, against);
    return {!problems.empty(), kVerifyCaption, CheckResultText(path, listed.size(), problems, against)};
}
