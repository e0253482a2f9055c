#include "pack/SourceFile.h"

#include "format/ArchiveFormat.h"
#include "platform/Platform.h"

#include <algorithm>
#include <cstring>
#include <thread>

namespace {

std::atomic<SourceRead> g_sourceRead{nullptr};
std::atomic<SourceOpen> g_sourceOpen{nullptr};
// An editor's save of a large texture takes a second or two.
std::atomic<int64_t> g_heldRetryMs{3000};
std::atomic<int64_t> g_heldStepMs{100};
// Large files are read in pieces, so a stop is not held up by a long read.
constexpr size_t kReadPiece = size_t(4) << 20;

// `info` is the open's own look at the file (a test's open is asked once more).
platform::File openSource(const std::string& path, platform::Error& error, platform::FileInfo& info)
{
    const SourceOpen open = g_sourceOpen.load();
    if (!open)
        return platform::File::openRead(path, error, &info);
    platform::File file = open(path, error);
    if (file.isOpen())
        info = file.info();
    return file;
}

// Opens `path`, waiting while another program holds it, up to the retry time.
platform::File openUnlessHeld(const std::string& path, platform::Error& error, platform::FileInfo& info)
{
    const auto step = std::chrono::milliseconds(g_heldStepMs.load());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(g_heldRetryMs.load());
    for (;;) {
        platform::File file = openSource(path, error, info);
        if (error.problem != platform::OpenProblem::Held || std::chrono::steady_clock::now() >= deadline)
            return file;
        std::this_thread::sleep_for(step);
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

int64_t ReadSourceBytes(void* buffer, size_t length, platform::File& file)
{
    const SourceRead read = g_sourceRead.load();
    return read ? read(buffer, length, file) : file.read(buffer, length);
}

void SetSourceRead(SourceRead read)
{
    g_sourceRead.store(read);
}

void SetSourceOpen(SourceOpen open)
{
    g_sourceOpen.store(open);
}

void SetHeldRetry(std::chrono::milliseconds total, std::chrono::milliseconds step)
{
    g_heldRetryMs.store(total.count());
    g_heldStepMs.store(step.count());
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
    platform::Error error;
    // The open's own look at the file is the stamp: one query, not two.
    platform::FileInfo info;
    m_file = openUnlessHeld(path, error, info);
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
