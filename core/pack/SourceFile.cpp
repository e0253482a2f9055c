#include "pack/SourceFile.h"

#include "format/ArchiveFormat.h"
#include "platform/Platform.h"

#include <algorithm>
#include <cstring>
#include <thread>

namespace {

// Large files are read in pieces, so a stop is not held up by a long read.
constexpr size_t kReadPiece = size_t(4) << 20;

// `info` is the open's own look at the file (a test's open is asked once more).
platform::File openSource(const std::string& path, const SourceAccess& access, platform::Error& error,
                          platform::FileInfo& info)
{
    if (!access.open)
        return platform::File::openRead(path, error, &info);
    platform::File file = access.open(path, error);
    if (file.isOpen())
        info = file.info();
    return file;
}

// Opens `path`, waiting while another program holds it, up to the retry time.
platform::File openUnlessHeld(const std::string& path, const SourceAccess& access, platform::Error& error,
                              platform::FileInfo& info)
{
    const auto deadline = std::chrono::steady_clock::now() + access.heldRetry;
    for (;;) {
        platform::File file = openSource(path, access, error, info);
        if (error.problem != platform::OpenProblem::Held || std::chrono::steady_clock::now() >= deadline)
            return file;
        std::this_thread::sleep_for(access.heldStep);
    }
}

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
        "ERROR! inputFile: ",
    };
    return kLines[static_cast<size_t>(problem)] + std::string(path);
}

std::string skipText(InputProblem problem, const std::string& path)
{
    static const char* const kReasons[] = {
        "its name is too long for the archive",
        "it cannot be opened",
        "it is not a regular file",
        "it could not be read",
        "it changed while it was read",
        "it is 4 GiB or more",
        "it is too large for memory",
        "another program has it open",
    };
    return path + ": left out: " + kReasons[static_cast<size_t>(problem)];
}

std::string heldFileText(const std::string& path)
{
    return path + " is in use by another program: close it and pack again";
}

std::optional<InputProblem> SourceFile::open(const char* path, uint32_t sourceRootLength, const SourceAccess& access,
                                             const FileStamp* listed)
{
    close();
    m_access = &access;
    m_opened = {};
    const size_t pathLength = std::strlen(path);
    // A record holds at most 259 bytes of name; a cut name would be wrong.
    if (pathLength > sourceRootLength && pathLength - sourceRootLength > kob::kMaxRelativeName)
        return InputProblem::NameTooLong;
    // A pipe would wait for a writer and a device never ends (or acts when
    // opened), so neither is opened at all.
    platform::Error error;
    // The open's own look at the file is the stamp: one query, not two.
    platform::FileInfo info;
    m_file = openUnlessHeld(path, access, error, info);
    if (error.problem == platform::OpenProblem::NotRegular)
        return InputProblem::NotRegular;
    if (error.problem == platform::OpenProblem::Held)
        return InputProblem::Held;
    if (!m_file.isOpen())
        return InputProblem::CannotOpen;
    if (info.size > kob::kMaxArchiveSize) {
        close();
        return InputProblem::TooLarge;
    }
    m_opened = FileStamp::of(info);
    if (m_opened.volume == 0 && listed && listed->index != 0 && listed->index == m_opened.index)
        m_opened.volume = listed->volume;
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
        got = m_access->read ? m_access->read(buffer + done, piece, m_file) : m_file.read(buffer + done, piece);
        if (got <= 0)
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
