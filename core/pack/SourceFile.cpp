#include "pack/SourceFile.h"

#include "format/ArchiveFormat.h"

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::atomic<SourceRead> g_sourceRead{nullptr};
// Large files are read in pieces, so a stop is not held up by a long read.
constexpr size_t kReadPiece = size_t(4) << 20;

} // namespace

std::string inputProblemLine(InputProblem problem, const char* path)
{
    static const char* const kLines[] = {
        "ERROR! inputFile name too long: ",
        "ERROR! inputFile: ",
        "ERROR! inputFile not a regular file: ",
        "ERROR! inputFile read failed: ",
        "ERROR! inputFile read failed (it changed while it was read): ",
        "ERROR! inputFile too large (4 GiB or more): ",
        "ERROR! inputFile too large for memory: ",
    };
    return kLines[static_cast<size_t>(problem)] + std::string(path);
}

size_t ReadSourceBytes(void* buffer, size_t length, std::FILE* file)
{
    const SourceRead read = g_sourceRead.load();
    return read ? read(buffer, length, file) : std::fread(buffer, 1, length, file);
}

void SetSourceRead(SourceRead read)
{
    g_sourceRead.store(read);
}

std::optional<InputProblem> SourceFile::open(const char* path, uint32_t sourceRootLength)
{
    close();
    const size_t pathLength = std::strlen(path);
    // A record holds at most 259 bytes of name; a cut name would be wrong.
    if (pathLength > sourceRootLength && pathLength - sourceRootLength > kob::kMaxRelativeName)
        return InputProblem::NameTooLong;
    // A pipe would wait for a writer and a device never ends (or acts when
    // opened), so neither is opened at all.
    struct stat st {};
    if (stat(path, &st) != 0)
        return InputProblem::CannotOpen;
    if (!S_ISREG(st.st_mode))
        return InputProblem::NotRegular;
    // Should the path become a pipe after the stat, O_NONBLOCK keeps the open
    // from waiting, and the fstat then refuses it.
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return InputProblem::CannotOpen;
    std::optional<InputProblem> problem;
    if (fstat(fd, &st) != 0)
        problem = InputProblem::ReadFailed;
    else if (!S_ISREG(st.st_mode))
        problem = InputProblem::NotRegular;
    else if (uint64_t(st.st_size) > kob::kMaxArchiveSize)
        problem = InputProblem::TooLarge;
    else if (fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0 || !(m_file = fdopen(fd, "rb")))
        problem = InputProblem::CannotOpen;
    if (problem) {
        ::close(fd);
        return problem;
    }
    m_size = static_cast<uint64_t>(st.st_size);
    m_modified = st.st_mtim;
    m_statusChanged = st.st_ctim;
    return std::nullopt;
}

std::optional<InputProblem> SourceFile::readAll(uint8_t* buffer, const std::atomic<bool>* stop)
{
    uint64_t done = 0;
    bool shortRead = false;
    while (!shortRead && done < m_size) {
        if (stop && stop->load()) {
            close();
            return InputProblem::ReadFailed;
        }
        const size_t piece = static_cast<size_t>(std::min<uint64_t>(m_size - done, kReadPiece));
        const size_t got = ReadSourceBytes(buffer + done, piece, m_file);
        done += got;
        shortRead = got != piece;
    }
    // A short read would store stale bytes, a long file a cut one: one byte
    // more means the file grew after its size was taken.
    std::optional<InputProblem> problem;
    if (done < m_size)
        problem = std::ferror(m_file) ? InputProblem::ReadFailed : InputProblem::Changed;
    else if (std::fgetc(m_file) != EOF)
        problem = InputProblem::Changed;
    else if (std::ferror(m_file))
        problem = InputProblem::ReadFailed;
    else if (!unchangedSinceOpen())
        problem = InputProblem::Changed; // rewritten in place: part old, part new bytes
    close();
    return problem;
}

bool SourceFile::unchangedSinceOpen() const
{
    struct stat st {};
    const auto same = [](const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; };
    return fstat(fileno(m_file), &st) == 0 && uint64_t(st.st_size) == m_size && same(st.st_mtim, m_modified)
           && same(st.st_ctim, m_statusChanged);
}

void SourceFile::close()
{
    if (m_file)
        std::fclose(m_file);
    m_file = nullptr;
}
