#include "source/WholeFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <unistd.h>

namespace {

// A name that is already long still leaves room for the suffix.
constexpr size_t kNameKept = 200;
constexpr int kSuffixLength = 6;

std::string errnoText(int error)
{
    return std::strerror(error ? error : EIO);
}

std::string randomSuffix()
{
    static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937 generator{std::random_device{}()};
    std::uniform_int_distribution<int> pick(0, int(sizeof kLetters) - 2);
    std::string suffix;
    for (int i = 0; i < kSuffixLength; ++i)
        suffix += kLetters[pick(generator)];
    return suffix;
}

// Creates a temporary file beside `path`; its descriptor, or -1 with `reason`.
int createTemporary(const std::string& path, std::string& temporary, std::string& reason)
{
    const size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string name = path.substr(folder.size()).substr(0, kNameKept);
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = folder + name + ".tmp-" + randomSuffix();
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0666);
        if (fd >= 0)
            return fd;
        if (errno != EEXIST) {
            reason = errnoText(errno);
            return -1;
        }
    }
    reason = "no free temporary name beside it";
    return -1;
}

std::string writeAll(int fd, const char* data, size_t size)
{
    for (size_t done = 0; done < size;) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return errnoText(n < 0 ? errno : 0);
        done += static_cast<size_t>(n);
    }
    return "";
}

void syncFolderOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd); // the rename is done either way; this only hurries it to the disk
    ::close(fd);
}

} // namespace

std::string WriteWholeFile(const std::string& path, const void* data, size_t size)
{
    std::string temporary, reason;
    const int fd = createTemporary(path, temporary, reason);
    if (fd < 0)
        return reason;
    reason = writeAll(fd, static_cast<const char*>(data), size);
    if (reason.empty() && ::fsync(fd) != 0)
        reason = errnoText(errno);
    if (::close(fd) != 0 && reason.empty())
        reason = errnoText(errno);
    // rename replaces the name itself: a link standing there is swapped for
    // the new file, and what it led to is left alone.
    if (reason.empty() && ::rename(temporary.c_str(), path.c_str()) != 0)
        reason = errnoText(errno);
    if (!reason.empty()) {
        ::unlink(temporary.c_str());
        return reason;
    }
    syncFolderOf(path);
    return "";
}
