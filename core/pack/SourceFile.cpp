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

platform::File openSource(const std::string& path, platform::OpenProblem& problem, std::string& error)
{
    const SourceOpen open = g_sourceOpen.load();
    return open ? open(path, problem, error) : platform::File::openRead(path, problem, error);
}

// Opens `path`, waiting while another program holds it, up to the retry time.
platform::File openUnlessHeld(const std::string& path, platform::OpenProblem& problem, std::string& error)
{
    const auto step = std::chrono::milliseconds(g_heldStepMs.load());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(g_heldRetryMs.load());
    for (;;) {
        platform::File file = openSource(path, problem, error);
        if (problem != platform::OpenProblem::Held || std::chrono::steady_clock::now() >= deadline)
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

size_t ReadSourceBytes(void* buffer, size_t length, std::FILE* file)
{
    const SourceRead read = g_sourceRead.load();
    return read ? read(buffer, length, file) : std::fread(buffer, 1, length, file);
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
    platform::OpenProblem openProblem;
    std::string reason;
    platform::File input = openUnlessHeld(path, openProblem, reason);
    if (openProblem == platform::OpenProblem::NotRegular)
        return InputProblem::NotRegular;
    if (openProblem == platform::OpenProblem::Held)
        return InputProblem::Held;
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
