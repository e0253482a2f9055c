#include "pack/PendingArchive.h"

#include "format/ArchiveFormat.h"
#include "source/DirListing.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <random>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* kTemporaryMark = ".tmp-"; // what a name must begin with to be looked at
constexpr const char* kOwnMark = ".tmp-kobpack-";
constexpr int kRandomLength = 6;
constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

std::string errnoText(int error)
{
    return std::strerror(error ? error : EIO);
}

std::string fileNameOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string randomSuffix()
{
    thread_local std::mt19937 generator{std::random_device{}()};
    std::uniform_int_distribution<int> pick(0, int(sizeof kLetters) - 2);
    std::string suffix;
    for (int i = 0; i < kRandomLength; ++i)
        suffix += kLetters[pick(generator)];
    return suffix;
}

bool sameFile(int fd, const std::string& path)
{
    struct stat byPath {}, byFd {};
    return ::stat(path.c_str(), &byPath) == 0 && ::fstat(fd, &byFd) == 0 && byPath.st_dev == byFd.st_dev
           && byPath.st_ino == byFd.st_ino;
}

bool isOwnName(const std::string& name, const std::string& prefix)
{
    return name.size() == prefix.size() + kRandomLength && name.compare(0, prefix.size(), prefix) == 0
           && name.find_first_not_of(kLetters, prefix.size()) == std::string::npos;
}

// An archive being written begins with its header once anything reached the
// disk; only the first word is filled in at the end.
bool startsLikeArchive(int fd, off_t size)
{
    if (size == 0)
        return true;
    uint8_t expected[kob::kHeaderSize - 4], found[sizeof expected];
    kob::putWord(expected, 1);
    std::memcpy(expected + 4, kob::kHeaderBlock, kob::kHeaderBlockSize);
    return size >= off_t(kob::kHeaderSize) && ::pread(fd, found, sizeof found, 4) == ssize_t(sizeof found)
           && std::memcmp(found, expected, sizeof found) == 0;
}

enum class Candidate { Removed, InUse, NotOurs };

// Removes `path` if it is a temporary file of ours whose creator is gone:
// nobody holds its lock. A running pack holds it, so its file is left alone.
Candidate removeIfStale(const std::string& path, bool ownName)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? Candidate::Removed : Candidate::NotOurs; // gone: another pack tidied up
    Candidate result = Candidate::NotOurs;
    struct stat info {};
    if (ownName && ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && startsLikeArchive(fd, info.st_size)) {
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
            result = Candidate::InUse;
        else if (sameFile(fd, path) && ::unlink(path.c_str()) == 0)
            result = Candidate::Removed;
    }
    ::close(fd);
    return result;
}

// `path` with every symbolic link along its last component followed; the
// target need not exist yet. Nothing when the links go round.
std::optional<std::string> followLinks(std::string path)
{
    for (int hop = 0; hop < 40; ++hop) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return path;
        char target[PATH_MAX];
        const ssize_t length = ::readlink(path.c_str(), target, sizeof target);
        if (length <= 0 || size_t(length) == sizeof target)
            return path;
        const std::string text(target, size_t(length));
        path = text[0] == '/' ? text : ArchiveFolderOf(path) + "/" + text;
    }
    return std::nullopt;
}

void syncFolder(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd); // the rename is done either way; this only hurries it to the disk
    ::close(fd);
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
    if (std::optional<std::string> target = followLinks(archivePath))
        m_archivePath = std::move(*target);
    else {
        m_archivePath = std::move(archivePath);
        m_linkError = ELOOP;
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
        if (removeIfStale(path, isOwnName(entry.name, name + kOwnMark)) == Candidate::NotOurs)
            notes.push_back("Left in place, not a temporary file of this tool: " + path);
    }
    return notes;
}

std::FILE* PendingArchive::create()
{
    if (m_linkError) {
        m_error = errnoText(m_linkError);
        return nullptr;
    }
    struct stat previous {};
    const bool hasPrevious = ::stat(m_archivePath.c_str(), &previous) == 0 && S_ISREG(previous.st_mode);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string path = m_archivePath + kOwnMark + randomSuffix();
        const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            m_error = errnoText(errno);
            return nullptr;
        }
        // Between the create and the lock another pack's clean-up may have
        // taken the file for stale and removed it: then try a new name.
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || !sameFile(fd, path)) {
            ::close(fd);
            continue;
        }
        const int writeFd = ::dup(fd);
        std::FILE* stream = writeFd < 0 ? nullptr : ::fdopen(writeFd, "wb");
        if (!stream) {
            m_error = errnoText(errno);
            if (writeFd >= 0)
                ::close(writeFd);
            ::unlink(path.c_str());
            ::close(fd);
            return nullptr;
        }
        m_lockFd = fd;
        m_temporaryPath = path;
        // A read-only archive stays read-only; other hard links to it are not
        // this file any more once it is replaced.
        if (hasPrevious) {
            ::fchmod(fd, previous.st_mode & 0777); // permissions only: no set-id bits on a data file
            if (previous.st_nlink > 1)
                m_hardLinkWarning = "Other hard links to " + m_archivePath + " keep the previous archive ("
                                    + std::to_string(previous.st_nlink - 1) + " more)";
        }
        return stream;
    }
    m_error = "no free temporary name beside the archive";
    return nullptr;
}

bool PendingArchive::commit()
{
    if (m_temporaryPath.empty())
        return false;
    if (::rename(m_temporaryPath.c_str(), m_archivePath.c_str()) != 0) {
        m_error = errnoText(errno);
        return false;
    }
    m_temporaryPath.clear();
    syncFolder(ArchiveFolderOf(m_archivePath));
    ::close(m_lockFd);
    m_lockFd = -1;
    return true;
}

std::string PendingArchive::discard()
{
    std::string problem;
    if (!m_temporaryPath.empty()) {
        if (::unlink(m_temporaryPath.c_str()) != 0 && errno != ENOENT)
            problem = m_temporaryPath + ": " + errnoText(errno);
        m_temporaryPath.clear();
    }
    if (m_lockFd >= 0) {
        ::close(m_lockFd);
        m_lockFd = -1;
    }
    return problem;
}
