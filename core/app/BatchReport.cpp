#include "app/BatchReport.h"

#include <algorithm>

std::string OutcomeText(PackOutcome outcome)
{
    switch (outcome) {
    case PackOutcome::Written:
    case PackOutcome::NothingToPack:
        break;
    case PackOutcome::WrittenWithSkips:
        return "written without the files named above";
    case PackOutcome::Failed:
        return "not written";
    case PackOutcome::Cancelled:
        return "interrupted; not written";
    }
    return "";
}

std::string NamedOnce(const std::string& archive, const std::string& text)
{
    const std::string named = archive + ": ";
    if (text.rfind(named, 0) == 0 || text.find(": " + named) != std::string::npos)
        return text;
    return named + text;
}

bool IsFailure(PackOutcome outcome)
{
    return outcome == PackOutcome::WrittenWithSkips || outcome == PackOutcome::Failed;
}

namespace kob {

void BatchReport::archiveStarted(const std::string& archive)
{
    m_archives.push_back({archive, {}, PackOutcome::Failed, false});
}

void BatchReport::problem(const std::string& text)
{
    if (m_archives.empty() || m_archives.back().done)
        m_outside.push_back(text);
    else
        m_archives.back().problems.push_back(text);
}

void BatchReport::archiveDone(const std::string& archive, const PackResult& result)
{
    if (m_archives.empty() || m_archives.back().done || m_archives.back().name != archive)
        archiveStarted(archive);
    m_archives.back().outcome = result.outcome;
    m_archives.back().done = true;
}

std::vector<std::string> BatchReport::nothingPacked() const
{
    std::vector<std::string> names;
    for (const Archive& archive : m_archives)
        if (archive.done && archive.outcome == PackOutcome::NothingToPack)
            names.push_back(archive.name);
    return names;
}

std::string BatchReport::failureText() const
{
    std::string text;
    for (const std::string& line : m_outside)
        text += line + "\n";
    for (const Archive& archive : m_archives) {
        // A written archive is listed only when something went wrong on the
        // way, such as a previous archive that could not be read.
        const bool wentWrong = IsFailure(archive.outcome)
                            || (archive.outcome == PackOutcome::Written && !archive.problems.empty());
        if (!archive.done || !wentWrong)
            continue;
        const size_t shown = std::min(archive.problems.size(), kMaxProblemsShown);
        for (size_t i = 0; i < shown; ++i)
            text += NamedOnce(archive.name, archive.problems[i]) + "\n";
        // A folder of a thousand unreadable files must not make a box taller than the screen.
        if (archive.problems.size() > shown)
            text += archive.name + ": " + std::to_string(archive.problems.size() - shown) + " more problems\n";
        if (const std::string outcome = OutcomeText(archive.outcome); !outcome.empty())
            text += archive.name + ": " + outcome + "\n";
    }
    if (!text.empty())
        text.pop_back();
    return text;
}

} // namespace kob
