#include "source/ArchiveCheck.h"

#include "format/ArchiveReader.h"
#include "platform/Platform.h"
#include "source/EntryPath.h"
#include "source/PathNoCase.h"
#include "source/SourceCompare.h"

#include <algorithm>

namespace {

// Compares `data` with the file at `path`; returns "" when they are the
// same, else what differs.
std::string compareWithFile(const std::vector<uint8_t>& data, const std::string& path)
{
    platform::Error error;
    platform::File file = platform::File::openRead(path, error);
    if (!file.isOpen())
        return "cannot read " + path + " to compare with: " + error.text;
    std::vector<uint8_t> chunk(1 << 20);
    size_t offset = 0;
    for (;;) {
        const int64_t got = file.readFully(chunk.data(), chunk.size());
        if (got < 0)
            return "cannot read " + path + " to compare with: read error";
        const size_t n = static_cast<size_t>(got);
        if (n == 0)
            break;
        const size_t common = std::min(n, data.size() - offset);
        const auto mismatch = std::mismatch(chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(common),
                                            data.begin() + static_cast<std::ptrdiff_t>(offset));
        if (mismatch.first != chunk.begin() + static_cast<std::ptrdiff_t>(common))
            return "differs from " + path + " at byte " + std::to_string(offset + (mismatch.first - chunk.begin()));
        if (common < n)
            return "holds " + std::to_string(data.size()) + " bytes, " + path + " is longer";
        offset += n;
    }
    if (offset < data.size())
        return "holds " + std::to_string(data.size()) + " bytes, " + path + " only " + std::to_string(offset);
    return "";
}

// Problems found by comparing every entry with DIR/<entry name>.
std::vector<std::string> compareEntries(const ArchiveReader& reader, const std::string& archive,
                                        const std::string& against)
{
    std::vector<std::string> problems;
    for (size_t i = 0; i < reader.entries().size(); ++i) {
        const std::string& name = reader.entries()[i].name;
        const std::string label = archive + ": " + PrintableName(name) + ": ";
        const std::string unsafe = UnsafeNameReason(name);
        if (!unsafe.empty()) {
            problems.push_back(label + "not compared: " + unsafe);
            continue;
        }
        std::vector<uint8_t> data;
        std::string error;
        if (!reader.readEntry(i, data, error))
            continue; // the layout check has reported it already
        const std::string difference = compareWithFile(data, resolveNoCase(against + "/" + name));
        if (!difference.empty())
            problems.push_back(label + difference);
    }
    return problems;
}

// Files below the archive's source folder in DIR that the archive lacks, and
// folders there that cannot be listed: the archive is then not the same as
// DIR, however well its entries compare.
std::vector<std::string> findUnpacked(const ArchiveReader& reader, const std::string& archive,
                                      const std::string& against)
{
    std::vector<std::string> names;
    for (const ReaderEntry& entry : reader.entries())
        names.push_back(entry.name);
    const std::string folder = PackFolderOf(archive, names, against);
    if (folder.empty())
        return {archive + ": cannot tell which folder of " + against
                + " it was packed from: its entries do not all begin with its name"};
    std::vector<std::string> problems;
    const std::vector<std::string> unpacked = FilesWithoutEntry(against, folder, names, archive, problems);
    for (std::string& problem : problems)
        problem = archive + ": " + PrintableName(problem);
    for (const std::string& name : unpacked)
        problems.push_back(archive + ": " + PrintableName(name) + ": no entry for "
                           + PrintableName(resolveNoCase(against + "/" + name)));
    return problems;
}

} // namespace

std::vector<std::string> CheckArchive(const ArchiveReader& reader, const std::string& archive,
                                      const std::string& against)
{
    std::vector<std::string> problems = reader.verify();
    if (!against.empty()) {
        for (auto* check : {compareEntries, findUnpacked}) {
            const std::vector<std::string> more = check(reader, archive, against);
            problems.insert(problems.end(), more.begin(), more.end());
        }
    }
    return problems;
}

std::string CheckSummary(const std::string& label, size_t entries, size_t problems, const std::string& against)
{
    const std::string name = label + ": ";
    if (problems != 0)
        return name + "FAILED, " + std::to_string(problems) + (problems == 1 ? " problem" : " problems");
    return name + "OK, " + std::to_string(entries) + (entries == 1 ? " entry" : " entries")
           + (against.empty() ? "" : ", the same as in " + against);
}
