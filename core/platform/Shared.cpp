#include "platform/Platform.h"

#include <cerrno>
#include <cstring>

namespace platform {

std::string errorText(int code)
{
    return std::strerror(code ? code : EIO);
}

// A File's lifetime is the same on every system: -1 is no file, and
// close() (each system's own) lets it go.
File::~File()
{
    close();
}

File::File(File&& other) noexcept
    : m_handle(other.m_handle)
{
    other.m_handle = -1;
}

File& File::operator=(File&& other) noexcept
{
    if (this != &other) {
        close();
        m_handle = other.m_handle;
        other.m_handle = -1;
    }
    return *this;
}

int64_t File::readFully(void* data, size_t length)
{
    auto* out = static_cast<char*>(data);
    size_t got = 0;
    while (got < length) {
        const int64_t n = read(out + got, length - got);
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        got += static_cast<size_t>(n);
    }
    return static_cast<int64_t>(got);
}

bool makeFolders(const std::string& path, Error& error)
{
    if (path.empty() || isFolder(path))
        return true;
    const size_t cut = path.find_last_of(windowsNames() ? "/\\" : "/");
    if (cut != std::string::npos && cut > 0 && !makeFolders(path.substr(0, cut), error))
        return false;
    // Another process may have made it in the meantime.
    return makeFolder(path, error) || isFolder(path);
}

std::string resolvedPath(const std::string& path)
{
    Error ignored;
    return canonicalPath(path, ignored).value_or(absolutePath(path));
}

} // namespace platform
