#include "source/ExtractEntries.h"

#include "format/ArchiveReader.h"
#include "source/EntryPath.h"
#include "source/WholeFile.h"

#include <filesystem>

namespace fs = std::filesystem;

ExtractOutcome ExtractEntries(const ArchiveReader& reader, const std::vector<size_t>& indices,
                              const std::string& directory,
                              const std::function<void(size_t done, const std::string& name)>& before,
                              const std::function<bool()>& stop)
{
    ExtractOutcome outcome;
    std::error_code ec;
    fs::create_directories(directory, ec);
    if (ec || !fs::is_directory(directory)) {
        outcome.failure = directory + ": cannot make the folder to extract into" + (ec ? ": " + ec.message() : "");
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
        std::string error;
        if (!reader.readEntry(i, data, error)) {
            outcome.problems.push_back(error);
            continue;
        }
        const std::string target = directory + "/" + name;
        fs::create_directories(fs::path(target).parent_path(), ec);
        if (ec) {
            outcome.problems.push_back(label + "cannot make its folder: " + ec.message());
            continue;
        }
        // Never opened in place: a named pipe there would block, a hard link
        // would carry the bytes outside the folder, and a failed write would
        // cost the file that stood there.
        error = WriteWholeFile(target, data.data(), data.size());
        if (!error.empty()) {
            outcome.problems.push_back(label + "cannot write " + target + ": " + error);
            continue;
        }
        ++outcome.written;
    }
    return outcome;
}
