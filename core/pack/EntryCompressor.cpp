// Turns one source file into one archive entry: read whole, then stored plain
// or cut into 32 KiB blocks that are each compressed on their own.

#include "pack/ArchivePacker.h"

#include "format/LzoBlock.h"
#include "pack/Trace.h"

#include <cstring>
#include <new>

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

bool fileSize(std::FILE* file, uint64_t& size)
{
    if (fseeko(file, 0, SEEK_END) != 0)
        return false;
    const off_t end = ftello(file);
    if (end < 0 || fseeko(file, 0, SEEK_SET) != 0)
        return false;
    size = static_cast<uint64_t>(end);
    return true;
}

} // namespace

std::string inputProblemLine(InputProblem problem, const char* path)
{
    switch (problem) {
    case InputProblem::NameTooLong:
        return std::string("ERROR! inputFile name too long: ") + path;
    case InputProblem::CannotOpen:
        return std::string("ERROR! inputFile: ") + path;
    case InputProblem::ReadFailed:
        return std::string("ERROR! inputFile read failed: ") + path;
    case InputProblem::TooLarge:
        return std::string("ERROR! inputFile too large (4 GiB or more): ") + path;
    case InputProblem::TooLargeForMemory:
        return std::string("ERROR! inputFile too large for memory: ") + path;
    }
    return std::string("ERROR! inputFile: ") + path;
}

void ArchivePacker::SkipInput(InputProblem problem, const char* path)
{
    TraceLine(inputProblemLine(problem, path));
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
    std::FILE* opened = std::fopen(path, "rb");
    if (!opened)
        return InputProblem::CannotOpen;
    std::optional<InputProblem> problem;
    if (!fileSize(opened, size))
        problem = InputProblem::ReadFailed;
    else if (size > kMaxArchiveSize)
        problem = InputProblem::TooLarge;
    if (problem)
        std::fclose(opened);
    else
        file = opened;
    return problem;
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
    // A short read (the file shrank, an I/O error) would store stale bytes.
    if (size != 0 && std::fread(m_inputBuffer.get(), 1, static_cast<size_t>(size), input.file) != size) {
        SkipInput(InputProblem::ReadFailed, path);
        return;
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
