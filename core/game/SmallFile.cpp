#include "game/SmallFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

std::function<void(const std::string&)> g_openHook;

std::string tooLarge(size_t limit)
{
    return "larger than " + std::to_string(limit / 1024) + " KiB";
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

} // namespace

void SetSmallFileOpenHook(std::function<void(const std::string& path)> hook)
{
    g_openHook = std::move(hook);
}

SmallFileResult ReadSmallFile(const std::string& path, std::string& content, std::string& reason, size_t limit)
{
    content.clear();
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) {
        reason = std::strerror(errno);
        return errno == ENOENT ? SmallFileResult::Missing : SmallFileResult::Unusable;
    }
    // Checked before the open too: opening some devices already has effects.
    if (!S_ISREG(st.st_mode)) {
        reason = "not a regular file";
        return SmallFileResult::Unusable;
    }
    if (g_openHook)
        g_openHook(path);
    // O_NONBLOCK: should the name have been swapped for a named pipe since
    // the check, the open still returns at once.
    const FileDescriptor fd(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.get() < 0) {
        reason = std::strerror(errno);
        return errno == ENOENT ? SmallFileResult::Missing : SmallFileResult::Unusable;
    }
    if (fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        reason = "not a regular file";
        return SmallFileResult::Unusable;
    }
    if (static_cast<unsigned long long>(st.st_size) > limit) {
        reason = tooLarge(limit);
        return SmallFileResult::Unusable;
    }
    // One byte past the limit is asked for, so a file that grew since the
    // fstat is noticed.
    content.resize(limit + 1);
    size_t got = 0;
    while (got < content.size()) {
        const ssize_t n = read(fd.get(), content.data() + got, content.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            reason = std::strerror(errno);
            content.clear();
            return SmallFileResult::Unusable;
        }
        if (n == 0)
            break;
        got += static_cast<size_t>(n);
    }
    if (got > limit) {
        reason = tooLarge(limit);
        content.clear();
        return SmallFileResult::Unusable;
    }
    content.resize(got);
    return SmallFileResult::Read;
}
