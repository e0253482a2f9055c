#include "source/ExtractEntries.h"

#include "format/ArchiveReader.h"
#include "platform/Folders.h"
#include "source/EntryPath.h"
#include "source/PathText.h"
#include "source/WholeFile.h"

ExtractOutcome ExtractEntries(const ArchiveReader& reader, const std::vector<size_t>& indices,
                              const std::string& directory,
                              const std::function<void(size_t done, const std::string& name)>& before,
                              const std::function<bool()>& stop)
{
    ExtractOutcome outcome;
    platform::Error error;
    if (!platform::makeFolders(directory, error)) {
        outcome.failure = directory + ": cannot make the folder to extract into" + (error ? ": " + error.text : "");
        return outcome;
    }
    for (size_t done = 0; done < indices.size(); ++done) {
        if (stop && stop()) {
            outcome.stopped = true;
            break;
        }
        const size_t i = indices[done];
        const std::string& name = reader.entries().at(i).name;
        if (before)
            before(done, name);
        const std::string label = PrintableName(name) + ": ";
        std::string reason = UnsafeNameReason(name);
        if (reason.empty())
            reason = LinkEscapeReason(directory, name);
        if (!reason.empty()) {
            outcome.problems.push_back(label + "refused: " + reason);
            continue;
        }
        std::vector<uint8_t> data;
        std::string problem;
        if (!reader.readEntry(i, data, problem)) {
            outcome.problems.push_back(problem);
            continue;
        }
        const std::string target = directory + "/" + name;
        if (!platform::makeFolders(FolderOf(target), error)) {
            outcome.problems.push_back(label + "cannot make its folder: " + error.text);
            continue;
        }
        // Never opened in place: a named pipe there would block, a hard link
        // would carry the bytes outside the folder, and a failed write would
        // cost the file that stood there.
        problem = WriteWholeFile(target, data.data(), data.size());
        if (!problem.empty()) {
            outcome.problems.push_back(label + "cannot write " + target + ": " + problem);
            continue;
        }
        ++outcome.written;
    }
    return outcome;
}
