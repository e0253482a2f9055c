#include "cli/Commands.h"
#include "cli/Console.h"
#include "cli/EntryPath.h"
#include "cli/Interrupt.h"

#include "format/ArchiveReader.h"
#include "source/WholeFile.h"

#include <filesystem>

namespace fs = std::filesystem;

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
    std::error_code ec;
    fs::create_directories(options.directory, ec);
    if (ec || !fs::is_directory(options.directory)) {
        PrintError(options.directory + ": cannot make the folder to extract into"
                   + (ec ? ": " + ec.message() : std::string()));
        return kExitFailure;
    }

    bool failed = false;
    for (const size_t i : chosenEntries(reader, options, failed)) {
        if (Interrupted())
            return kExitInterrupted;
        const std::string& name = reader.entries()[i].name;
        const std::string label = options.archive + ": " + PrintableName(name);
        std::string reason = UnsafeNameReason(name);
        if (reason.empty())
            reason = LinkEscapeReason(options.directory, name);
        if (!reason.empty()) {
            PrintError(label + ": refused: " + reason);
            failed = true;
            continue;
        }
        std::vector<uint8_t> data;
        std::string error;
        if (!reader.readEntry(i, data, error)) {
            PrintError(options.archive + ": " + error);
            failed = true;
            continue;
        }
        const std::string target = options.directory + "/" + name;
        fs::create_directories(fs::path(target).parent_path(), ec);
        if (ec) {
            PrintError(label + ": cannot make its folder: " + ec.message());
            failed = true;
            continue;
        }
        // Never opened in place: a named pipe there would block, a hard link
        // would carry the bytes outside the folder, and a failed write would
        // cost the file that stood there.
        error = WriteWholeFile(target, data.data(), data.size());
        if (!error.empty()) {
            PrintError(label + ": cannot write " + target + ": " + error);
            failed = true;
        }
    }
    return Interrupted() ? kExitInterrupted : failed ? kExitFailure : kExitOk;
}
