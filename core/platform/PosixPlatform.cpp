#include "platform/Platform.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace platform {

namespace {

FileInfo infoOf(const struct stat& st)
{
    FileInfo info;
    info.kind = S_ISREG(st.st_mode)   ? Kind::Regular
                : S_ISDIR(st.st_mode) ? Kind::Directory
                : S_ISLNK(st.st_mode) ? Kind::Link
                                      : Kind::Other;
    info.size = info.kind == Kind::Regular ? static_cast<uint64_t>(st.st_size) : 0;
    info.volume = static_cast<uint64_t>(st.st_dev);
    info.index = static_cast<uint64_t>(st.st_ino);
    info.links = static_cast<uint64_t>(st.st_nlink);
    info.mode = static_cast<uint32_t>(st.st_mode & 0777);
    const auto nanoseconds = [](const timespec& t) { return int64_t(t.tv_sec) * 1000000000 + t.tv_nsec; };
    info.modified = nanoseconds(st.st_mtim);
    info.changed = nanoseconds(st.st_ctim);
    return info;
}

int fdOf(intptr_t handle)
{
    return static_cast<int>(handle);
}

Error failure(int code, OpenProblem problem = OpenProblem::Failed)
{
    return {problem, code, errorText(code)};
}

Error notRegular()
{
    return {OpenProblem::NotRegular, 0, "not a regular file"};
}

bool writeAll(int fd, const void* data, size_t length, Error& error)
{
    const auto* bytes = static_cast<const char*>(data);
    while (length > 0) {
        const ssize_t n = ::write(fd, bytes, length);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = n < 0 ? failure(errno) : Error{OpenProblem::Failed, 0, "nothing written"};
            return false;
        }
        bytes += n;
        length -= static_cast<size_t>(n);
    }
    return true;
}

// Opens without waiting and keeps the file only when it is a regular one.
File openRegular(const std::string& path, int flags, Error& error, File (*wrap)(int), FileInfo* opened = nullptr)
{
    error = {};
    // Checked before the open too: opening some devices already has effects.
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        error = notRegular();
        return {};
    }
    const int fd = ::open(path.c_str(), flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd < 0) {
        error = failure(errno, errno == ENOENT ? OpenProblem::Missing : OpenProblem::Failed);
        return {};
    }
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)
        || ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        error = notRegular();
        ::close(fd);
        return {};
    }
    if (opened)
        *opened = infoOf(st);
    return wrap(fd);
}

} // namespace

// The only way to give a File its descriptor from outside the class.
struct FileAccess {
    static File wrap(int fd)
    {
        File file;
        file.m_handle = fd;
        return file;
    }
};

FileInfo statPath(const std::string& path, bool followLinks)
{
    struct stat st {};
    const int rc = followLinks ? ::stat(path.c_str(), &st) : ::lstat(path.c_str(), &st);
    if (rc == 0)
        return infoOf(st);
    FileInfo info;
    if (errno != ENOENT && errno != ENOTDIR)
        info.error = failure(errno);
    return info;
}

Kind kindOf(const std::string& path, bool followLinks)
{
    return statPath(path, followLinks).kind;
}

bool isExecutable(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH))
           && ::access(path.c_str(), X_OK) == 0;
}

bool File::isOpen() const
{
    return m_handle >= 0;
}

FileInfo File::info() const
{
    struct stat st {};
    if (::fstat(fdOf(m_handle), &st) == 0)
        return infoOf(st);
    FileInfo info;
    info.error = m_error = failure(errno);
    return info;
}

FileInfo File::state() const
{
    return info();
}

int64_t File::read(void* data, size_t length)
{
    for (;;) {
        const ssize_t n = ::read(fdOf(m_handle), data, length);
        if (n >= 0)
            return n;
        if (errno != EINTR) {
            m_error = failure(errno);
            return -1;
        }
    }
}

bool File::readAt(uint64_t offset, void* data, size_t length) const
{
    auto* out = static_cast<char*>(data);
    while (length > 0) {
        const ssize_t got = ::pread(fdOf(m_handle), out, length, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        out += got;
        offset += static_cast<uint64_t>(got);
        length -= static_cast<size_t>(got);
    }
    return true;
}

bool File::write(const void* data, size_t length)
{
    return writeAll(fdOf(m_handle), data, length, m_error);
}

bool File::seek(uint64_t offset)
{
    if (::lseek(fdOf(m_handle), static_cast<off_t>(offset), SEEK_SET) >= 0)
        return true;
    m_error = failure(errno);
    return false;
}

bool File::sync()
{
    if (::fsync(fdOf(m_handle)) == 0)
        return true;
    m_error = failure(errno);
    return false;
}

File File::duplicate() const
{
    const int fd = isOpen() ? ::fcntl(fdOf(m_handle), F_DUPFD_CLOEXEC, 0) : -1;
    if (fd < 0)
        m_error = failure(errno);
    return fd < 0 ? File() : FileAccess::wrap(fd);
}

bool File::close()
{
    if (m_handle < 0)
        return true;
    const int rc = ::close(fdOf(m_handle));
    m_handle = -1;
    if (rc != 0)
        m_error = failure(errno);
    return rc == 0;
}

File File::openRead(const std::string& path, Error& error, FileInfo* opened)
{
    return openRegular(path, O_RDONLY, error, FileAccess::wrap, opened);
}

File File::openWrite(const std::string& path, Error& error)
{
    return openRegular(path, O_WRONLY | O_CREAT | O_TRUNC, error, FileAccess::wrap);
}

File File::createHeld(const std::string& path, Error& error)
{
    error = {};
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) {
        error = failure(errno, errno == EEXIST ? OpenProblem::Exists : OpenProblem::Failed);
        return {};
    }
    File file = FileAccess::wrap(fd);
    // Between the create and the lock another pack's clean-up may have taken
    // the file for stale and removed it: the caller then tries a new name.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || !file.info().sameFile(statPath(path))) {
        error = {OpenProblem::Exists, 0, "taken by another pack"};
        return {};
    }
    return file;
}

StaleResult removeIfUnheld(const std::string& path, const std::function<bool(File&, const FileInfo&)>& isOurs)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? StaleResult::Removed : StaleResult::Kept; // gone: another pack tidied up
    File file = FileAccess::wrap(fd);
    const FileInfo info = file.info();
    if (info.kind != Kind::Regular || (isOurs && !isOurs(file, info)))
        return StaleResult::Kept;
    // The lock of a running pack keeps its file; one nobody locks is stale.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        return StaleResult::Held;
    return info.sameFile(statPath(path)) && ::unlink(path.c_str()) == 0 ? StaleResult::Removed : StaleResult::Kept;
}

std::optional<std::string> followLinks(const std::string& start)
{
    std::string path = start;
    for (int hop = 0; hop < 40; ++hop) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return path;
        char target[PATH_MAX];
        const ssize_t length = ::readlink(path.c_str(), target, sizeof target);
        if (length <= 0 || size_t(length) == sizeof target)
            return path;
        const std::string text(target, size_t(length));
        const size_t slash = path.find_last_of('/');
        const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "" : path.substr(0, slash);
        path = text[0] == '/' ? text : folder + "/" + text;
    }
    return std::nullopt;
}

bool copyMode(const FileInfo& from, File& to)
{
    return ::fchmod(fdOf(to.m_handle), from.mode & 0777) == 0;
}

bool removeFile(const std::string& path, Error& error)
{
    if (::unlink(path.c_str()) == 0)
        return true;
    error = failure(errno, errno == ENOENT ? OpenProblem::Missing : OpenProblem::Failed);
    return false;
}

RenameResult renameOver(const std::string& from, const std::string& to, Error& error, File*, bool* folderSynced)
{
    if (folderSynced)
        *folderSynced = false;
    if (::rename(from.c_str(), to.c_str()) != 0) {
        error = failure(errno);
        return RenameResult::Failed;
    }
    if (!folderSynced)
        return RenameResult::Done;
    const size_t slash = to.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : to.substr(0, slash);
    // The rename is done either way; the folder's sync only hurries it to
    // the disk.
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        *folderSynced = ::fsync(fd) == 0;
        ::close(fd);
    }
    return RenameResult::Done;
}

bool copyRange(File& from, uint64_t offset, uint64_t length, File& to, Error& error)
{
    const int in = fdOf(from.m_handle);
    const int out = fdOf(to.m_handle);
    // The kernel copies, or shares the blocks on file systems that can; any
    // refusal (another file system, an old kernel) falls back to reading
    // and writing, which also names a real failure.
    off_t at = static_cast<off_t>(offset);
    while (length > 0) {
        const ssize_t n = ::copy_file_range(in, &at, out, nullptr, length, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        length -= static_cast<uint64_t>(n);
    }
    std::vector<char> buffer(static_cast<size_t>(std::min<uint64_t>(length, 1 << 20)));
    while (length > 0) {
        const ssize_t got = ::pread(in, buffer.data(), std::min<uint64_t>(length, buffer.size()), at);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            error = got == 0 ? Error{OpenProblem::Failed, 0, "the file ends early"} : failure(errno);
            return false;
        }
        if (!writeAll(out, buffer.data(), size_t(got), error))
            return false;
        at += got;
        length -= static_cast<uint64_t>(got);
    }
    return true;
}

bool listFolder(const std::string& folder, std::vector<FolderEntry>& entries, Error& error, const FileInfo*)
{
    entries.clear();
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) {
        error = failure(errno, errno == ENOENT ? OpenProblem::Missing : OpenProblem::Failed);
        return false;
    }
    const int at = ::dirfd(dir);
    bool complete = true;
    int code = 0;
    for (;;) {
        // readdir gives null both at the end and on a failure; only errno
        // tells a listing that broke off from a complete one.
        errno = 0;
        const dirent* d = ::readdir(dir);
        if (!d) {
            complete = errno == 0;
            code = errno;
            break;
        }
        FolderEntry entry;
        entry.name = d->d_name;
        if (entry.name == "." || entry.name == "..")
            continue;
        // Relative to the open folder: no path to resolve again, and the
        // stamp taken here is the one a repack compares.
        struct stat st {};
        if (::fstatat(at, d->d_name, &st, 0) == 0)
            entry.info = infoOf(st);
        else if (errno != ENOENT && errno != ENOTDIR)
            entry.info.error = failure(errno);
        entries.push_back(std::move(entry));
    }
    ::closedir(dir);
    if (!complete)
        error = failure(code);
    return complete;
}

std::optional<uint64_t> freeSpace(const std::string& folder)
{
    struct statvfs vfs {};
    if (::statvfs(folder.empty() ? "." : folder.c_str(), &vfs) != 0)
        return std::nullopt;
    return uint64_t(vfs.f_bavail) * uint64_t(vfs.f_frsize);
}

bool makeFolder(const std::string& path, Error& error)
{
    if (::mkdir(path.c_str(), 0777) == 0)
        return true;
    error = failure(errno, errno == EEXIST ? OpenProblem::Exists : OpenProblem::Failed);
    return false;
}

FileSystemKind fileSystemKind(const std::string& folder)
{
    // Each of these moves the change time on every write and keeps inode numbers.
    static const struct {
        unsigned long magic;
        const char* name;
    } kVouching[] = {
        {0xEF53, "ext2/3/4"}, {0x58465342, "xfs"},  {0x9123683E, "btrfs"},  {0xF2F52010, "f2fs"},
        {0x01021994, "tmpfs"}, {0x2FC12FC1, "zfs"}, {0x794C7630, "overlay"},
    };
    static const struct {
        unsigned long magic;
        const char* name;
    } kKnown[] = {
        {0x4D44, "FAT"}, {0x2011BAB0, "exFAT"}, {0x65735546, "FUSE"}, {0x6969, "NFS"},
        {0xFF534D42, "CIFS"}, {0xFE534D42, "SMB2"}, {0x517B, "SMB"}, {0x01021997, "9p"},
        {0x5346544E, "NTFS"},
    };
    struct statfs fs {};
    if (::statfs(folder.empty() ? "." : folder.c_str(), &fs) != 0)
        return {"unknown (" + errorText(errno) + ")", false};
    const unsigned long magic = static_cast<unsigned long>(fs.f_type) & 0xFFFFFFFFul;
    for (const auto& kind : kVouching)
        if (kind.magic == magic)
            return {kind.name, true};
    for (const auto& kind : kKnown)
        if (kind.magic == magic)
            return {kind.name, false};
    char text[32];
    std::snprintf(text, sizeof text, "type 0x%lx", magic);
    return {text, false};
}

bool makePrivateFolder(const std::string& path)
{
    return ::mkdir(path.c_str(), 0700) == 0;
}

std::string privateFolderProblem(const std::string& folder)
{
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0)
        return errorText(errno);
    if (!S_ISDIR(st.st_mode))
        return "not a folder";
    if (st.st_uid != ::geteuid())
        return "owned by another user";
    if ((st.st_mode & 022) != 0)
        return "others may write to it";
    // Made by an older version for everyone to read: the records name the
    // user's archives and files.
    if ((st.st_mode & 077) != 0 && ::chmod(folder.c_str(), 0700) != 0)
        return errorText(errno);
    return "";
}

bool makePrivate(File& file)
{
    if (::fchmod(fdOf(file.m_handle), 0600) == 0)
        return true;
    file.m_error = failure(errno);
    return false;
}

std::string cacheFolder()
{
    // Relative values are to be ignored, as the base-directory rules say.
    const char* cache = std::getenv("XDG_CACHE_HOME");
    if (cache && cache[0] == '/')
        return std::string(cache) + "/kobpack";
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/')
        return std::string(home) + "/.cache/kobpack";
    return "";
}

bool changeFolder(const std::string& folder, Error& error)
{
    if (::chdir(folder.c_str()) == 0)
        return true;
    error = failure(errno);
    return false;
}

std::string currentFolder()
{
    std::vector<char> buffer(PATH_MAX);
    for (;;) {
        if (::getcwd(buffer.data(), buffer.size()))
            return buffer.data();
        if (errno != ERANGE)
            return "";
        buffer.resize(buffer.size() * 2);
    }
}

bool isFolder(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string absolutePath(const std::string& path)
{
    const std::string current = path.empty() || path[0] != '/' ? currentFolder() : "";
    if (!path.empty() && path[0] != '/' && current.empty())
        return path;
    // "." and empty components go, ".." takes the one before it (none above the root).
    std::vector<std::string> parts;
    const std::string whole = current + "/" + path;
    for (size_t start = 0; start <= whole.size();) {
        const size_t end = std::min(whole.find('/', start), whole.size());
        const std::string part = whole.substr(start, end - start);
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != ".")
            parts.push_back(part);
        start = end + 1;
    }
    std::string result;
    for (const std::string& part : parts)
        result += "/" + part;
    return result.empty() ? "/" : result;
}

std::optional<std::string> canonicalPath(const std::string& path, Error& error)
{
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (!resolved) {
        error = failure(errno, errno == ENOENT ? OpenProblem::Missing : OpenProblem::Failed);
        return std::nullopt;
    }
    std::string text = resolved;
    std::free(resolved);
    return text;
}

bool windowsNames()
{
    return false;
}

std::string homeFolder()
{
    const char* home = std::getenv("HOME");
    return home ? home : "";
}

namespace {
void (*g_onInterrupt)() = nullptr;

extern "C" void onSignal(int)
{
    if (g_onInterrupt)
        g_onInterrupt();
}
} // namespace

void installInterruptHandler(void (*onInterrupt)())
{
    g_onInterrupt = onInterrupt;
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    // SA_RESTART: a read or write in progress is resumed, so the file in
    // hand is finished as Cancel finishes it.
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

void interruptHandled()
{
}

void ignoreBrokenPipe()
{
    std::signal(SIGPIPE, SIG_IGN);
}

bool startsWindowsPrograms()
{
    return false;
}

bool stderrIsConsole()
{
    return ::isatty(STDERR_FILENO) != 0;
}

bool enableConsoleEscapes()
{
    return true;
}

int consoleColumns()
{
    struct winsize size {};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0)
        return size.ws_col;
    return 0;
}

} // namespace platform
