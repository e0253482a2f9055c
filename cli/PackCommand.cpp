#include "cli/Commands.h"
#include "cli/Console.h"
#include "cli/Interrupt.h"
#include "cli/PackSummary.h"
#include "cli/TerminalProgress.h"

#include "app/PackPlan.h"
#include "game/ArchivesFolder.h"
#include "game/Discovery.h"
#include "pack/MessageSink.h"
#include "pack/PackBatch.h"
#include "pack/PackJob.h"
#include "source/PathNoCase.h"
#include "source/PathText.h"

#include <chrono>
#include <csignal>
#include <memory>
#include <unistd.h>

namespace {

bool isSeparator(char c)
{
    return c == '/' || c == '\\';
}

// Why a NAME given on the command line cannot be packed, or "" when it can.
// A name must lead to a folder below the mod root, so that its archive lands
// below the Archives folder.
std::string nameProblem(const std::string& name)
{
    if (name.empty())
        return "an empty NAME names no folder; not packed";
    if (isSeparator(name.front()))
        return name + ": refused: the name is absolute";
    for (const std::string& part : splitPath(name))
        if (part == "..")
            return name + ": refused: the name holds a \"..\" component";
    if (!isFolder(resolveNoCase("../" + name)))
        return name + ": no folder ../" + name + " to pack";
    return "";
}

// The archive a batch caption names: the caption ends in "): ARCHIVE".
std::string archiveOfCaption(const std::string& caption)
{
    const size_t mark = caption.find("): ");
    return mark == std::string::npos ? caption : caption.substr(mark + 3);
}

// Follows the batch from archive to archive, so that messages can name the
// archive they are about, hands the display on to the terminal when there is
// one, and with -v sums up each archive written.
class BatchControls : public PackControls {
public:
    // `outcomes` and `reused` are the batch's own lists, which gain each
    // archive's outcome and reuse counts before the next caption comes.
    BatchControls(TerminalProgress* terminal, bool verbose, const std::vector<PackOutcome>& outcomes,
                  const std::vector<ReuseCounts>& reused)
        : m_terminal(terminal), m_verbose(verbose), m_outcomes(outcomes), m_reused(reused)
    {
    }

    void setCaption(const std::string& text) override
    {
        summarise();
        m_archives.push_back(archiveOfCaption(text));
        m_started = std::chrono::steady_clock::now();
        if (m_terminal)
            m_terminal->setCaption(text);
    }
    void setUpperLine(const std::string& text) override
    {
        if (m_terminal)
            m_terminal->setUpperLine(text);
    }
    void setLowerLine(const std::string& text) override
    {
        if (m_terminal)
            m_terminal->setLowerLine(text);
    }
    void setRange(uint32_t lower, uint32_t upper) override
    {
        if (m_terminal)
            m_terminal->setRange(lower, upper);
    }
    void setPosition(uint32_t position) override
    {
        if (m_terminal)
            m_terminal->setPosition(position);
    }

    void clear()
    {
        if (m_terminal)
            m_terminal->clear();
    }
    // With -v, prints the summary line of the last archive once, when it
    // was written; called at each caption and after the batch.
    void summarise()
    {
        const size_t last = m_archives.size();
        if (!m_verbose || last == 0 || m_summarised == last || m_outcomes.size() < last || m_reused.size() < last)
            return;
        m_summarised = last;
        const PackOutcome outcome = m_outcomes[last - 1];
        if (outcome != PackOutcome::Written && outcome != PackOutcome::WrittenWithSkips)
            return;
        const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - m_started;
        clear();
        const std::string& archive = m_archives.back();
        PrintError(archive + ": " + PackSummary(resolveNoCase(archive), m_reused[last - 1], seconds.count()));
    }
    // The archives of the batch so far, in order; the last is the current.
    const std::vector<std::string>& archives() const { return m_archives; }

private:
    TerminalProgress* m_terminal;
    bool m_verbose;
    const std::vector<PackOutcome>& m_outcomes;
    const std::vector<ReuseCounts>& m_reused;
    std::vector<std::string> m_archives;
    size_t m_summarised = 0; // archives summed up so far
    std::chrono::steady_clock::time_point m_started;
};

// Prints each problem of the pack job, and with -v each note, as
// "kobpack: ARCHIVE: TEXT".
class StderrSink : public MessageSink {
public:
    StderrSink(BatchControls& controls, bool verbose) : m_controls(controls), m_verbose(verbose) {}
    void Report(const std::string& text) override
    {
        m_controls.clear();
        const auto& archives = m_controls.archives();
        PrintError(archives.empty() ? text : archives.back() + ": " + text);
    }
    void Note(const std::string& text) override
    {
        if (m_verbose)
            Report(text);
    }

private:
    BatchControls& m_controls;
    bool m_verbose;
};

// Installs a sink for one command and removes it again.
class SinkInstallation {
public:
    explicit SinkInstallation(MessageSink& sink) { InstallMessageSink(&sink); }
    ~SinkInstallation() { InstallMessageSink(nullptr); }
    SinkInstallation(const SinkInstallation&) = delete;
    SinkInstallation& operator=(const SinkInstallation&) = delete;
};

} // namespace

int RunPack(const PackOptions& options)
{
    // The lists are of the folders beside this one: elsewhere than in a mod's
    // Archives folder they are not the mod's (a downloads folder's are the
    // user's Documents and Pictures).
    if ((options.allFolders || options.allLevels) && !options.anyFolder && !IsArchivesFolder(".")) {
        PrintError(NotArchivesFolderText(".") + "; add --any-folder to pack them anyway");
        return kExitUsage;
    }
    InstallInterruptHandlers();
    bool failed = false;
    const Game game = DetectGame();

    PackChoice choice;
    for (std::string name : options.names) {
        // "objects/" would be packed into "objects/.kob"; the folder is meant.
        while (name.size() > 1 && isSeparator(name.back()))
            name.pop_back();
        const std::string problem = nameProblem(name);
        if (!problem.empty()) {
            PrintError(problem);
            failed = true;
            continue;
        }
        choice.folders.push_back(name);
    }
    if (options.allFolders) {
        const PackChoice all = AllFolders(game);
        choice.folders.insert(choice.folders.end(), all.folders.begin(), all.folders.end());
    }
    if (options.allLevels)
        choice.levels = AllLevels(game).levels;
    const PackPlan plan = PlanPack(game, choice);
    MakeDirectories(plan.folders);
    const std::vector<std::string> names = plan.names();
    if (names.empty()) {
        if (!failed)
            PrintError("nothing to pack");
        return failed ? kExitFailure : kExitOk;
    }

    std::unique_ptr<TerminalProgress> terminal;
    if (!options.quiet && isatty(STDERR_FILENO))
        terminal = std::make_unique<TerminalProgress>();
    std::vector<PackOutcome> outcomes;
    std::vector<ReuseCounts> reused;
    BatchControls controls(terminal.get(), options.verbose, outcomes, reused);
    StderrSink sink(controls, options.verbose);
    SinkInstallation installed(sink);
    // A reader that goes away (kobpack pack | head) must not kill the
    // process in the middle of an archive; the trace is then lost, the
    // archives are not.
    std::signal(SIGPIPE, SIG_IGN);

    PackBatch(names, options.compress ? 1 : 0, controls, &outcomes, options.threads, !options.fresh, &reused);
    controls.summarise();
    controls.clear();

    for (size_t i = 0; i < outcomes.size() && i < controls.archives().size(); ++i) {
        const std::string& archive = controls.archives()[i];
        switch (outcomes[i]) {
        case PackOutcome::Written:
        case PackOutcome::NothingToPack: // already reported; an empty folder is no failure
            break;
        case PackOutcome::WrittenWithSkips:
            PrintError(archive + ": written without some files (named above and on standard output)");
            failed = true;
            break;
        case PackOutcome::Failed:
            PrintError(archive + ": not written");
            failed = true;
            break;
        case PackOutcome::Cancelled:
            PrintError(archive + ": interrupted; not written");
            break;
        }
    }
    if (Interrupted()) {
        std::string rest;
        for (size_t i = outcomes.size(); i < names.size(); ++i)
            rest += (rest.empty() ? "" : ", ") + names[i];
        PrintError(rest.empty() ? "interrupted" : "interrupted; not packed: " + rest);
        return kExitInterrupted;
    }
    return failed ? kExitFailure : kExitOk;
}
