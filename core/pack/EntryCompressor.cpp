// Turns one source file into one archive entry: read whole, then stored plain
// or cut into 32 KiB blocks that are each compressed on their own.

#include "pack/ArchivePacker.h"

#include "format/LzoBlock.h"
#include "pack/MessageSink.h"
#include "pack/PreviousArchive.h"
#include "pack/Trace.h"

#include <atomic>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

using namespace kob;

namespace {

// Closes a source file on every path out of AddInputFile.
struct InputFile {
    std::FILE* file;
    ~InputFile()
    {
        if (file)
            std::fclose(file);
    }
};

std::atomic<SourceRead> g_sourceRead{nullptr};

} // namespace

std::string inputProblemLine(InputProblem problem, const char* path)
{
    switch (problem) {
    case InputProblem::NameTooLong:
        return std::string("ERROR! inputFile name too long: ") + path;
    case InputProblem::CannotOpen:
        return std::string("ERROR! inputFile: ") + path;
    case InputProblem::NotRegular:
        return std::string("ERROR! inputFile not a regular file: ") + path;
    case InputProblem::ReadFailed:
        return std::string("ERROR! inputFile read failed: ") + path;
    case InputProblem::SizeChanged:
        return std::string("ERROR! inputFile read failed (its size changed while it was read): ") + path;
    case InputProblem::TooLarge:
        return std::string("ERROR! inputFile too large (4 GiB or more): ") + path;
    case InputProblem::TooLargeForMemory:
        return std::string("ERROR! inputFile too large for memory: ") + path;
    }
    return std::string("ERROR! inputFile: ") + path;
}

void ArchivePacker::LeaveOut(const std::string& line)
{
    TraceLine(line);
    ReportMessage(line);
    ++m_skippedFiles;
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

void ArchivePacker::SkipInput(InputProblem problem, const char* path)
{
    const std::string line = inputProblemLine(problem, path);
    TraceLine(line);
    // The trace line of a file that cannot be opened gives no reason.
    ReportMessage(problem == InputProblem::CannotOpen ? std::string("ERROR! inputFile cannot be opened: ") + path
                                                      : line);
    ++m_skippedFiles;
}

std::optional<InputProblem> openSourceFile(const char* path, uint32_t sourceRootLength, std::FILE*& file,
                                           uint64_t& size)
{
    file = nullptr;
    const size_t pathLength = std::strlen(path);
    // A record holds at most 259 bytes of name; a cut name would be wrong.
    if (pathLength > sourceRootLength && pathLength - sourceRootLength > kMaxRelativeName)
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
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return InputProblem::CannotOpen;
    std::optional<InputProblem> problem;
    if (fstat(fd, &st) != 0)
        problem = InputProblem::ReadFailed;
    else if (!S_ISREG(st.st_mode))
        problem = InputProblem::NotRegular;
    else if (uint64_t(st.st_size) > kMaxArchiveSize)
        problem = InputProblem::TooLarge;
    else if (fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0 || !(file = fdopen(fd, "rb")))
        problem = InputProblem::CannotOpen;
    if (problem) {
        close(fd);
        return problem;
    }
    size = static_cast<uint64_t>(st.st_size);
    return std::nullopt;
}

std::optional<InputProblem> readProblem(std::FILE* file, uint64_t size, uint64_t got)
{
    if (got < size)
        return std::ferror(file) ? InputProblem::ReadFailed : InputProblem::SizeChanged;
    // One byte more means the file grew after its size was taken: the bytes
    // read may mix its old and new content.
    if (std::fgetc(file) != EOF)
        return InputProblem::SizeChanged;
    if (std::ferror(file))
        return InputProblem::ReadFailed;
    return std::nullopt;
}

void ArchivePacker::AddInputFile(const char* path)
{
    InputFile input{nullptr};
    uint64_t size = 0;
    if (const auto problem = openSourceFile(path, m_sourceRootLength, input.file, size)) {
        SkipInput(*problem, path);
        return;
    }
    m_inputSize = size;
    if (size >= m_inputCapacity) {
        const size_t capacity = static_cast<size_t>(size) + 512;
        m_inputBuffer.reset();
        m_inputBuffer.reset(new (std::nothrow) uint8_t[capacity]);
        if (!m_inputBuffer) {
            // Keep a usable buffer for the files that follow.
            m_inputBuffer.reset(new uint8_t[kInitialInputCapacity]);
            m_inputCapacity = kInitialInputCapacity;
            SkipInput(InputProblem::TooLargeForMemory, path);
            return;
        }
        m_inputCapacity = capacity;
    }
    // Without room for the compressed blocks the file would be stored as an
    // empty entry; better to leave it out and say so.
    if (m_compression == 1 && !ReserveCompressedArea(compressedAreaBound(size))) {
        SkipInput(InputProblem::TooLargeForMemory, path);
        return;
    }
    // A short read would store stale bytes, a long file a cut one.
    const uint64_t got = size == 0 ? 0 : ReadSourceBytes(m_inputBuffer.get(), static_cast<size_t>(size), input.file);
    if (const auto problem = readProblem(input.file, size, got)) {
        SkipInput(*problem, path);
        return;
    }
    if (m_previous) {
        std::vector<BlockDescriptor> blocks;
        size_t length = 0;
        if (m_previous->match(path + m_sourceRootLength, m_inputBuffer.get(), size, blocks, m_compressedArea.get(),
                              length)) {
            StoreBlocks(path, size, blocks, {{m_compressedArea.get(), length}});
            NoteReused(size);
            return;
        }
    }
    StoreEntry(size, path);
}

bool ArchivePacker::ReserveCompressedArea(size_t needed)
{
    if (needed <= m_compressedCapacity)
        return true;
    m_compressedArea.reset();
    m_compressedCapacity = 0;
    m_compressedArea.reset(new (std::nothrow) uint8_t[needed]);
    if (!m_compressedArea)
        return false;
    m_compressedCapacity = needed;
    return true;
}

bool ArchivePacker::CompressBlocks(uint64_t size, std::vector<BlockDescriptor>& blocks, size_t& outputLength)
{
    // Room for the worst case of every block, so no entry can overrun the area.
    if (!ReserveCompressedArea(compressedAreaBound(size)))
        return false;
    blocks.clear();
    outputLength = 0;
    for (uint64_t p = 0; p < size; p += kBlockLength) {
        const uint32_t blockLength = size - p > kBlockLength ? kBlockLength : static_cast<uint32_t>(size - p);
        uint32_t compressedSize = 0;
        if (!compressBlock(m_inputBuffer.get() + p, blockLength, m_compressedArea.get() + outputLength,
                           compressedSize, m_workMemory.get()))
            return false;
        blocks.push_back({compressedSize, blockLength, static_cast<uint32_t>(outputLength)});
        outputLength += compressedSize;
    }
    return true;
}

ArchiveEntry ArchivePacker::NewEntry(const char* path, uint64_t size) const
{
    ArchiveEntry entry;
    entry.name = path + m_sourceRootLength;
    entry.nameLength = static_cast<uint32_t>(entry.name.size());
    entry.uncompressedSize = static_cast<uint32_t>(size);
    entry.dataOffset = static_cast<uint32_t>(m_outputPosition);
    return entry;
}

void ArchivePacker::AppendEntry(ArchiveEntry entry, uint64_t start)
{
    if (failed())
        return;
    entry.storedSize = static_cast<uint32_t>(m_outputPosition - start);
    m_entries.push_back(std::move(entry));
    ++m_entryCount;
}

bool ArchivePacker::WriteCompressedArea(uint64_t start, const std::vector<BlockDescriptor>& blocks,
                                        const std::vector<ByteRange>& pieces)
{
    if (blocks.empty()) {
        // Empty, or a block the compressor rejected: the whole entry is the
        // empty-entry block, with the file's real size in the record.
        if (start + sizeof kEmptyEntryBlock > kMaxArchiveSize) {
            Fail("the archive would grow past 4 GiB - 1 bytes");
            return false;
        }
        WriteBytes(kEmptyEntryBlock, sizeof kEmptyEntryBlock);
        return true;
    }
    uint64_t stored = 4 + uint64_t(kDescriptorSize) * blocks.size();
    for (const BlockDescriptor& block : blocks)
        stored += block.compressedSize;
    if (start + stored > kMaxArchiveSize) {
        Fail("the archive would grow past 4 GiB - 1 bytes");
        return false;
    }
    std::vector<uint8_t> table(4 + kDescriptorSize * blocks.size());
    putWord(table.data(), static_cast<uint32_t>(blocks.size()));
    for (size_t i = 0; i < blocks.size(); ++i) {
        uint8_t* out = table.data() + 4 + kDescriptorSize * i;
        putWord(out, blocks[i].compressedSize);
        putWord(out + 4, blocks[i].uncompressedSize);
        putWord(out + 8, blocks[i].blockOffset);
    }
    WriteBytes(table.data(), table.size());
    for (const ByteRange& piece : pieces)
        WriteBytes(piece.data, piece.length);
    return true;
}

void ArchivePacker::StoreEntry(uint64_t size, const char* path)
{
    ArchiveEntry entry = NewEntry(path, m_inputSize);
    const uint64_t start = m_outputPosition;
    if (m_compression == 1) {
        std::vector<BlockDescriptor> blocks;
        size_t outputLength = 0;
        if (size == 0 || !CompressBlocks(size, blocks, outputLength)) {
            blocks.clear();
            outputLength = 0;
        }
        if (!WriteCompressedArea(start, blocks, {{m_compressedArea.get(), outputLength}}))
            return;
    } else {
        if (start + size > kMaxArchiveSize) {
            Fail("the archive would grow past 4 GiB - 1 bytes");
            return;
        }
        WriteBytes(m_inputBuffer.get(), static_cast<size_t>(size));
    }
    AppendEntry(std::move(entry), start);
}

void ArchivePacker::StoreBlocks(const char* path, uint64_t size, std::vector<BlockDescriptor>& blocks,
                                const std::vector<ByteRange>& pieces)
{
    ArchiveEntry entry = NewEntry(path, size);
    const uint64_t start = m_outputPosition;
    uint32_t offset = 0;
    for (BlockDescriptor& block : blocks) {
        block.blockOffset = offset;
        offset += block.compressedSize;
    }
    if (WriteCompressedArea(start, blocks, pieces))
        AppendEntry(std::move(entry), start);
}
