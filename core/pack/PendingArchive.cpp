#include "pack/PendingArchive.h"

#include "source/DirListing.h"
#include "source/PathText.h"

#include <cerrno>
#include <cstring>

namespace {

constexpr const char* kTemporaryMark = ".tmp-"; // what a name must begin with to be looked at
constexpr const char* kOwnMark = ".tmp-kobpack-";
constexpr int kRandomLength = 6;

std::string fileNameOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool isOwnName(const std::string& name, const std::string& prefix)
{
    return name.size() == prefix.size() + kRandomLength && name.compare(0, prefix.size(), prefix) == 0
           && name.find_first_not_of(kNameLetters, prefix.size()) == std::string::npos;
}

} // namespace

std::string ArchiveFolderOf(const std::string& archivePath)
{
    const size_t slash = archivePath.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : archivePath.substr(0, slash);
}

PendingArchive::PendingArchive(std::string archivePath)
{
    if (std::optional<std::string> target = platform::followLinks(archivePath))
        m_archivePath = std::move(*target);
    else {
        m_archivePath = std::move(archivePath);
        m_linksGoRound = true;
    }
}

PendingArchive::~PendingArchive()
{
    discard();
}

std::vector<std::string> PendingArchive::removeStale()
{
    std::vector<std::string> notes;
    const std::string folder = ArchiveFolderOf(m_archivePath);
    const std::string name = fileNameOf(m_archivePath);
    const auto entries = listDirectory(folder);
    if (!entries)
        return notes;
    for (const ListingEntry& entry : *entries) {
        if (entry.name.compare(0, name.size() + std::strlen(kTemporaryMark), name + kTemporaryMark) != 0)
            continue;
        const std::string path = folder + "/" + entry.name;
        const bool ownName = isOwnName(entry.name, name + kOwnMark);
        const auto ours = [ownName](platform::File&, const platform::FileInfo&) { return ownName; };
        if (platform::removeIfUnheld(path, ours) == platform::StaleResult::Kept)
            notes.push_back("Left in place, not a temporary file of this tool: " + path);
    }
    return notes;
}

std::string PendingArchive::notReplaceable() const
{
    if (platform::statPath(m_archivePath).kind != platform::Kind::Other)
        return "";
    return "not a regular file (a device, named pipe or socket), left as it is";
}

std::FILE* PendingArchive::create()
{
    if (m_linksGoRound) {
        m_error = platform::errorText(ELOOP);
        return nullptr;
    }
    if (!(m_error = notReplaceable()).empty())
        return nullptr;
    const platform::FileInfo previous = platform::statPath(m_archivePath);
    const bool hasPrevious = previous.kind == platform::Kind::Regular;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string path = m_archivePath + kOwnMark + randomLetters(kRandomLength);
        platform::OpenProblem problem;
        platform::File held = platform::File::createHeld(path, problem, m_error);
        if (problem == platform::OpenProblem::Exists)
            continue;
        if (!held.isOpen())
            return nullptr;
        // The stream writes through a duplicate; the original keeps the file
        // held after the stream is closed, until commit() or discard().
        platform::File writer = held.duplicate();
        std::FILE* stream = writer.toStream("wb");
        if (!stream) {
            m_error = writer.error().empty() ? held.error() : writer.error();
            held.close();
            std::string ignored;
            platform::removeFile(path, ignored);
            return nullptr;
        }
        // A read-only archive stays read-only; other hard links to it are not
        // this file any more once it is replaced.
        if (hasPrevious) {
            platform::copyMode(previous, held);
            if (previous.links > 1)
                m_hardLinkWarning = "Other hard links to " + m_archivePath + " keep the previous archive ("
                                    + std::to_string(previous.links - 1) + " more)";
        }
        m_held = std::move(held);
        m_temporaryPath = path;
        return stream;
    }
    m_error = "no free temporary name beside the archive";
    return nullptr;
}

bool PendingArchive::commit(const std::function<void()>& afterRename)
{
    if (m_temporaryPath.empty())
        return false;
    const platform::FileInfo before = m_held.info();
    switch (platform::renameOver(m_temporaryPath, m_archivePath, m_error, &m_held)) {
    case platform::RenameResult::Done: {
        m_temporaryPath.clear();
        if (afterRename)
            afterRename();
        // The rename moved the change time. Where the system closed the held
        // file for the rename, the name is asked, and believed only while it
        // still leads to the very file written.
        const platform::FileInfo after = m_held.isOpen() ? m_held.info() : platform::statPath(m_archivePath);
        if (after.sameFile(before))
            m_written = FileStamp::of(after);
        m_held.close();
        return true;
    }
    case platform::RenameResult::TargetBusy:
        m_archiveBusy = true;
        m_error = "cannot be replaced while another program has it open (is the game running?)";
        return false;
    case platform::RenameResult::Failed:
        break;
    }
    return false;
}

std::string PendingArchive::discard()
{
    std::string problem;
    if (!m_temporaryPath.empty()) {
        std::string reason;
        bool missing = false;
        // Windows removes no file that is open.
        m_held.close();
        if (!platform::removeFile(m_temporaryPath, reason, &missing) && !missing)
            problem = m_temporaryPath + ": " + reason;
        m_temporaryPath.clear();
    }
    m_held.close();
    return problem;
}
