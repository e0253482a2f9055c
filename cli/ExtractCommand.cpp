#include "cli/Commands.h"
#include "cli/Console.h"
#include "cli/Interrupt.h"

#include "format/ArchiveReader.h"
#include "source/ExtractEntries.h"

namespace {

// Indices of the entries to extract, in index order: all of them, or those
// named. A name missing from the archive is reported.
std::vector<size_t> chosenEntries(const ArchiveReader& reader, const ExtractOptions& options, bool& failed)
{
    const auto& entries = reader.entries();
    std::vector<bool> chosen(entries.size(), options.entries.empty());
    for (const std::string& wanted : options.entries) {
        bool found = false;
        for (size_t i = 0; i < entries.size(); ++i)
            if (entries[i].name == wanted)
                chosen[i] = found = true;
        if (!found) {
            PrintError(options.archive + ": no entry " + PrintableName(wanted));
            failed = true;
        }
    }
    std::vector<size_t> indices;
    for (size_t i = 0; i < entries.size(); ++i)
        if (chosen[i])
            indices.push_back(i);
    return indices;
}

} // namespace

int RunExtract(const ExtractOptions& options)
{
    InstallInterruptHandlers();
    ArchiveReader reader;
    if (!reader.open(options.archive)) {
        PrintError(reader.error());
        return kExitFailure;
    }
    bool failed = false;
    const std::vector<size_t> chosen = chosenEntries(reader, options, failed);
    const ExtractOutcome outcome = ExtractEntries(reader, chosen, options.directory, {}, Interrupted);
    if (!outcome.failure.empty()) {
        PrintError(outcome.failure);
        return kExitFailure;
    }
    for (const std::string& problem : outcome.problems)
        PrintError(options.archive + ": " + problem);
    failed = failed || !outcome.problems.empty();
    return Interrupted() ? kExitInterrupted : failed ? kExitFailure : kExitOk;
}
