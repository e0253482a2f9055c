#include "pack/SourceFile.h"

#include "format/ArchiveFormat.h"
#include "platform/Platform.h"

#include <algorithm>
#include <cstring>

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

int64_t ReadSourceBytes(void* buffer, size_t length, platform::File& file)
{
    const SourceRead read = g_sourceRead.load();
    return read ? read(buffer, length, file) : file.read(buffer, length);
}

void SetSourceRead(SourceRead read)
{
    g_sourceRead.store(read);
}

std::optional<InputProblem> SourceFile::open(const char* path, uint32_t sourceRootLength)
{
    close();
    m_opened = {};
    const size_t pathLength = std::strlen(path);
    // A record holds at most 259 bytes of name; a cut name would be wrong.
    if (pathLength > sourceRootLength && pathLength - sourceRootLength > kob::kMaxRelativeName)
        return InputProblem::NameTooLong;
    // A pipe would wait for a writer and a device never ends (or acts when
    // opened), so neither is opened at all.
    platform::OpenProblem openProblem;
    std::string reason;
    // The open's own look at the file is the stamp: one query, not two.
    platform::FileInfo info;
    m_file = platform::File::openRead(path, openProblem, reason, &info);
    if (openProblem == platform::OpenProblem::NotRegular)
        return InputProblem::NotRegular;
    if (!m_file.isOpen())
        return InputProblem::CannotOpen;
    if (info.size > kob::kMaxArchiveSize) {
        close();
        return InputProblem::TooLarge;
    }
    m_opened = FileStamp::of(info);
    return std::nullopt;
}

std::optional<InputProblem> SourceFile::readAll(uint8_t* buffer, const std::atomic<bool>* stop)
{
    uint64_t done = 0;
    int64_t got = 1;
    while (done < m_opened.size) {
        if (stop && stop->load()) {
            close();
            return InputProblem::ReadFailed;
        }
        const size_t piece = static_cast<size_t>(std::min<uint64_t>(m_opened.size - done, kReadPiece));
        if ((got = ReadSourceBytes(buffer + done, piece, m_file)) <= 0)
            break;
        done += uint64_t(got);
    }
    // A short read would store stale bytes, a long file a cut one; a size or
    // time that moved since the open means part old, part new bytes.
    std::optional<InputProblem> problem;
    if (got < 0)
        problem = InputProblem::ReadFailed;
    else if (done < m_opened.size || !unchangedSinceOpen())
        problem = InputProblem::Changed;
    close();
    return problem;
}

bool SourceFile::unchangedSinceOpen() const
{
    const platform::FileInfo now = m_file.state();
    return now.kind == platform::Kind::Regular && now.size == m_opened.size && now.modified == m_opened.modified
           && now.changed == m_opened.changed;
}

void SourceFile::close()
{
    m_file.close();
}
