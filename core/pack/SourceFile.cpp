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
    m_opened = {};
    const size_t pathLength = std::strlen(path);
    // A record holds at most 259 bytes of name; a cut name would be wrong.
    if (pathLength > sourceRootLength && pathLength - sourceRootLength > kob::kMaxRelativeName)
        return InputProblem::NameTooLong;
    // A pipe would wait for a writer and a device never ends (or acts when
    // opened), so neither is opened at all.
    platform::OpenProblem openProblem;
    std::string reason;
    platform::File input = platform::File::openRead(path, openProblem, reason);
    if (openProblem == platform::OpenProblem::NotRegular)
        return InputProblem::NotRegular;
    if (!input.isOpen())
        return InputProblem::CannotOpen;
    const platform::FileInfo info = input.info();
    if (info.kind != platform::Kind::Regular)
        return InputProblem::ReadFailed;
    if (info.size > kob::kMaxArchiveSize)
        return InputProblem::TooLarge;
    if (!(m_file = input.toStream("rb")))
        return InputProblem::CannotOpen;
    m_opened = FileStamp::of(info);
    return std::nullopt;
}

std::optional<InputProblem> SourceFile::readAll(uint8_t* buffer, const std::atomic<bool>* stop)
{
    uint64_t done = 0;
    bool shortRead = false;
    while (!shortRead && done < m_opened.size) {
        if (stop && stop->load()) {
            close();
            return InputProblem::ReadFailed;
        }
        const size_t piece = static_cast<size_t>(std::min<uint64_t>(m_opened.size - done, kReadPiece));
        const size_t got = ReadSourceBytes(buffer + done, piece, m_file);
        done += got;
        shortRead = got != piece;
    }
    // A short read would store stale bytes, a long file a cut one: one byte
    // more means the file grew after its size was taken.
    std::optional<InputProblem> problem;
    if (done < m_opened.size)
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
    const platform::FileInfo now = platform::streamInfo(m_file);
    return now.kind == platform::Kind::Regular && now.size == m_opened.size && now.modified == m_opened.modified
           && now.changed == m_opened.changed;
}

void SourceFile::close()
{
    if (m_file)
        std::fclose(m_file);
    m_file = nullptr;
}
