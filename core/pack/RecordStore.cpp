#include "pack/RecordStore.h"

#include "pack/RecordCodec.h"
#include "platform/Platform.h"
#include "source/DirListing.h"
#include "source/PathText.h"
#include "source/WholeFile.h"

#include <cstdio>

namespace {

constexpr const char* kRecordEnding = ".rec";

std::string hexOf(uint64_t value)
{
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return text;
}

// "" when the cache folder may hold records, else why not.
std::string refusal(const std::string& folder)
{
    const std::string problem = platform::privateFolderProblem(folder);
    return problem.empty() ? "" : "the cache folder " + folder + " is not used: " + problem;
}

// Makes the cache folder, for the user alone, and the folders above it that are missing.
void makeCacheFolder(const std::string& folder)
{
    platform::Error ignored; // a folder that cannot be made is refused below
    platform::makeFolders(FolderOf(folder), ignored);
    platform::makePrivateFolder(folder);
}

// Record files half written by packs that were killed: "X.rec.tmp-XXXXXX"
// that no live pack holds.
void removeLeftovers(const std::string& folder)
{
    const auto entries = listDirectory(folder);
    if (!entries)
        return;
    const std::string mark = std::string(kRecordEnding) + ".tmp-";
    for (const ListingEntry& entry : *entries)
        if (entry.name.find(mark) != std::string::npos)
            platform::removeIfUnheld(folder + "/" + entry.name);
}

} // namespace

std::string recordStore::keyOf(const std::string& archivePath)
{
    return platform::absolutePath(archivePath);
}

std::string recordStore::pathOf(const std::string& key)
{
    const std::string folder = platform::cacheFolder();
    if (folder.empty())
        return "";
    const uint64_t hash = records::checksum(reinterpret_cast<const uint8_t*>(key.data()), key.size());
    return folder + "/" + hexOf(hash) + kRecordEnding;
}

std::optional<SourceRecords> recordStore::load(const std::string& key, std::string& problem)
{
    const std::string path = pathOf(key);
    if (path.empty() || platform::kindOf(platform::cacheFolder()) == platform::Kind::Missing)
        return std::nullopt;
    if (!(problem = refusal(platform::cacheFolder())).empty())
        return std::nullopt;
    platform::Error ignored; // no record is no shortcut
    platform::File file = platform::File::openRead(path, ignored);
    const uint64_t size = file.isOpen() ? file.state().size : 0;
    if (size == 0 || size > kMaxRecordBytes)
        return std::nullopt;
    std::string bytes(static_cast<size_t>(size), '\0');
    if (file.readFully(bytes.data(), bytes.size()) != static_cast<int64_t>(bytes.size()))
        return std::nullopt;
    std::optional<SourceRecords> read = records::decode(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    // A record kept under this archive's name that belongs to another one
    // (the names' hashes met) is no record of it.
    if (read && read->archivePath() != key)
        return std::nullopt;
    return read;
}

std::string recordStore::save(const SourceRecords& records)
{
    const std::string path = pathOf(records.archivePath());
    if (path.empty())
        return "no cache folder in the environment";
    const std::string folder = platform::cacheFolder();
    makeCacheFolder(folder);
    if (std::string problem = refusal(folder); !problem.empty())
        return problem;
    removeLeftovers(folder);
    const std::string bytes = records::encode(records);
    const std::string reason = WriteWholeFile(path, bytes.data(), bytes.size(), {.privateFile = true, .lasting = false});
    return reason.empty() ? "" : path + ": " + reason;
}
