#include "cli/Commands.h"
#include "cli/Console.h"
#include "cli/Interrupt.h"
#include "cli/PackSummary.h"
#include "cli/TerminalProgress.h"

#include "app/BatchReport.h"
#include "app/PackBatch.h"
#include "app/PackPlan.h"
#include "game/ArchivesFolder.h"
#include "game/Discovery.h"
#include "pack/PackJob.h"
#include "platform/Platform.h"
#include "source/PathNoCase.h"
#include "source/PathText.h"

#include <chrono>
#include <memory>

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
    return "";
}

// Prints each problem of the batch, and with -v each note and a summary line
// per archive written, as "kobpack: ARCHIVE: TEXT"; keeps each archive's
// outcome for the lines after the batch.
class StderrObserver : public kob::PackObserver {
public:
    StderrObserver(TerminalProgress* terminal, bool verbose) : m_terminal(terminal), m_verbose(verbose) {}

    void archiveStarted(const std::string& archive) override
    {
        m_archive = archive;
        m_started = std::chrono::steady_clock::now();
    }
    void problem(const std::string& text) override
    {
        clear();
        PrintError(m_archive.empty() ? text : NamedOnce(m_archive, text));
    }
    // The job's trace is for those who ask for it.
    void trace(const std::string& line) override
    {
        if (m_verbose) {
            clear();
            kob::PackObserver::trace(line);
        }
    }
    void note(const std::string& text) override
    {
        if (m_verbose)
            problem(text);
    }
    void archiveDone(const std::string& archive, const kob::PackResult& result) override
    {
        done.emplace_back(archive, result.outcome);
        if (!m_verbose || !result.written())
            return;
        const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - m_started;
        clear();
        if (result.unchanged)
            PrintError(archive + ": unchanged, left as it was");
        PrintError(archive + ": " + PackSummary(resolveNoCase(archive), result.reused, seconds.count()));
    }
    void clear()
    {
        if (m_terminal)
            m_terminal->clear();
    }

    std::vector<std::pair<std::string, PackOutcome>> done; // each archive the batch finished, in order

private:
    TerminalProgress* m_terminal;
    bool m_verbose;
    std::string m_archive;
    std::chrono::steady_clock::time_point m_started;
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
    PackPlan plan = PlanPack(game, choice);
    RefuseMissingFolders(plan);
    for (const std::string& refused : plan.refused) {
        PrintError(refused);
        failed = true;
    }
    MakeDirectories(plan.folders);
    const std::vector<std::string> names = plan.names();
    if (names.empty()) {
        if (!failed)
            PrintError("nothing to pack");
        return failed ? kExitFailure : kExitOk;
    }

    std::unique_ptr<TerminalProgress> terminal;
    if (!options.quiet && platform::stderrIsConsole())
        terminal = std::make_unique<TerminalProgress>(platform::enableConsoleEscapes());
    NullPackControls noDisplay;
    StderrObserver observer(terminal.get(), options.verbose);
    // A reader that goes away (kobpack pack | head) must not kill the
    // process in the middle of an archive; the trace is then lost, the
    // archives are not.
    platform::ignoreBrokenPipe();

    const kob::PackOptions packOptions{options.compress, options.threads, !options.fresh};
    kob::PackBatch(names, packOptions, terminal ? static_cast<PackControls&>(*terminal) : noDisplay, observer,
                   InterruptToken());
    observer.clear();

    for (const auto& [archive, outcome] : observer.done) {
        const std::string text = OutcomeText(outcome);
        if (!text.empty())
            PrintError(archive + ": " + text);
        failed = failed || IsFailure(outcome);
    }
    if (Interrupted()) {
        std::string rest;
        for (size_t i = observer.done.size(); i < names.size(); ++i)
            rest += (rest.empty() ? "" : ", ") + names[i];
        PrintError(rest.empty() ? "interrupted" : "interrupted; not packed: " + rest);
        return kExitInterrupted;
    }
    return failed ? kExitFailure : kExitOk;
}
