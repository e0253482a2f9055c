#include "pack/PendingArchive.h"

#include "source/DirListing.h"
#include "source/PathText.h"

#include <cerrno>
#include <cstring>
#include <utility>

namespace {

constexpr const char* kTemporaryMark = ".tmp-"; // what a name must begin with to be looked at
constexpr const char* kOwnMark = ".tmp-kobpack-";
constexpr int kRandomLength = 6;

bool isOwnName(const std::string& name, const std::string& prefix)
{
    return name.size() == prefix.size() + kRandomLength && name.compare(0, prefix.size(), prefix) == 0
           && name.find_first_not_of(kNameLetters, prefix.size()) == std::string::npos;
}

} // namespace

std::string ArchiveFolderOf(const std::string& archivePath)
{
    const std::string folder = FolderOf(archivePath);
    return folder.empty() ? "." : folder;
}

PendingArchive::PendingArchive(std::string archivePath, DurabilityTrace trace)
    : m_temporary(std::move(trace))
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
    const std::string name = NameOf(m_archivePath);
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
    if (platform::kindOf(m_archivePath) != platform::Kind::Other)
        return "";
    return "not a regular file (a device, named pipe or socket), left as it is";
}

platform::File* PendingArchive::create()
{
    if (m_linksGoRound) {
        m_error = platform::errorText(ELOOP);
        return nullptr;
    }
    if (!(m_error = notReplaceable()).empty())
        return nullptr;
    const platform::FileInfo previous = platform::statPath(m_archivePath);
    if (!m_temporary.create(m_archivePath + kOwnMark)) {
        m_error = m_temporary.error().problem == platform::OpenProblem::Exists
                      ? "no free temporary name beside the archive"
                      : m_temporary.error().text;
        return nullptr;
    }
    // A read-only archive stays read-only; other hard links to it are not
    // this file any more once it is replaced.
    if (previous.kind == platform::Kind::Regular) {
        platform::copyMode(previous, m_temporary.file());
        if (previous.links > 1)
            m_hardLinkWarning = "Other hard links to " + m_archivePath + " keep the previous archive ("
                                + std::to_string(previous.links - 1) + " more)";
    }
    return &m_temporary.file();
}

bool PendingArchive::sync()
{
    if (m_temporary.sync())
        return true;
    m_error = m_temporary.error().text;
    return false;
}

bool PendingArchive::commit(const std::function<void()>& afterRename)
{
    if (!m_temporary.created())
        return false;
    platform::File& held = m_temporary.file();
    const platform::FileInfo before = held.info();
    switch (m_temporary.commit(m_archivePath)) {
    case platform::RenameResult::Done: {
        if (afterRename)
            afterRename();
        // The rename moved the change time. Where the system closed the held
        // file for the rename, the name is asked, and believed only while it
        // still leads to the very file written.
        const platform::FileInfo after = held.isOpen() ? held.info() : platform::statPath(m_archivePath);
        if (after.sameFile(before))
            m_written = FileStamp::of(after);
        held.close();
        return true;
    }
    case platform::RenameResult::TargetBusy:
        m_archiveBusy = true;
        m_error = "cannot be replaced while another program has it open (is the game running?)";
        return false;
    case platform::RenameResult::Failed:
        m_error = m_temporary.error().text;
        break;
    }
    return false;
}

std::string PendingArchive::discard()
{
    const std::string path = m_temporary.path();
    if (m_temporary.discard())
        return "";
    return path + ": " + m_temporary.error().text;
}
