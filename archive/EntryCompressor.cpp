// Turns one source file into one archive entry: read whole, then stored plain
// or cut into 32 KiB blocks that are each compressed on their own.

#include "archive/ArchivePacker.h"

#include "archive/LzoBlock.h"
#include "archive/Trace.h"

#include <cstring>
#include <new>

using namespace kob;

namespace {

// Closes a source file on every path out of AddInputFile.
struct InputFile {
    std::FILE* file;
    explicit InputFile(const char* path) : file(std::fopen(path, "rb")) {}
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

void ArchivePacker::AddInputFile(const char* path)
{
    const size_t pathLength = std::strlen(path);
    const size_t nameLength = pathLength > m_sourceRootLength ? pathLength - m_sourceRootLength : 0;
    if (nameLength > kMaxRelativeName) {
        // A record holds at most 259 bytes of name; a cut name would be wrong.
        TraceLine(std::string("ERROR! inputFile name too long: ") + path);
        ++m_skippedFiles;
        return;
    }

    InputFile input(path);
    if (!input.file) {
        TraceLine(std::string("ERROR! inputFile: ") + path);
        ++m_skippedFiles;
        return;
    }
    uint64_t size = 0;
    if (!fileSize(input.file, size)) {
        TraceLine(std::string("ERROR! inputFile read failed: ") + path);
        ++m_skippedFiles;
        return;
    }
    if (size > kMaxArchiveSize) {
        TraceLine(std::string("ERROR! inputFile too large (4 GiB or more): ") + path);
        ++m_skippedFiles;
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
            TraceLine(std::string("ERROR! inputFile too large for memory: ") + path);
            ++m_skippedFiles;
            return;
        }
        m_inputCapacity = capacity;
    }
    // A short read (the file shrank, an I/O error) would store stale bytes.
    if (size != 0 && std::fread(m_inputBuffer.get(), 1, static_cast<size_t>(size), input.file) != size) {
        TraceLine(std::string("ERROR! inputFile read failed: ") + path);
        ++m_skippedFiles;
        return;
    }
    StoreEntry(size, path);
}

bool ArchivePacker::CompressBlocks(uint64_t size, std::vector<BlockDescriptor>& blocks, size_t& outputLength)
{
    // Room for the worst case of every block, so no entry can overrun the area.
    const size_t needed = compressedAreaBound(size);
    if (needed > m_compressedCapacity) {
        m_compressedArea.reset();
        m_compressedArea.reset(new uint8_t[needed]);
        m_compressedCapacity = needed;
    }
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

void ArchivePacker::StoreEntry(uint64_t size, const char* path)
{
    ArchiveEntry entry;
    entry.name = path + m_sourceRootLength;
    entry.nameLength = static_cast<uint32_t>(entry.name.size());
    entry.uncompressedSize = static_cast<uint32_t>(m_inputSize);
    entry.dataOffset = static_cast<uint32_t>(m_outputPosition);

    const uint64_t start = m_outputPosition;
    if (m_compression == 1) {
        std::vector<BlockDescriptor> blocks;
        size_t outputLength = 0;
        if (size != 0 && CompressBlocks(size, blocks, outputLength)) {
            const uint64_t stored = 4 + uint64_t(kDescriptorSize) * blocks.size() + outputLength;
            if (start + stored > kMaxArchiveSize) {
                Fail("the archive would grow past 4 GiB - 1 bytes");
                return;
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
            WriteBytes(m_compressedArea.get(), outputLength);
        } else {
            // Empty, or a block the compressor rejected: the whole entry is
            // the empty-entry block, with the file's real size in the record.
            if (start + sizeof kEmptyEntryBlock > kMaxArchiveSize) {
                Fail("the archive would grow past 4 GiB - 1 bytes");
                return;
            }
            WriteBytes(kEmptyEntryBlock, sizeof kEmptyEntryBlock);
        }
    } else {
        if (start + size > kMaxArchiveSize) {
            Fail("the archive would grow past 4 GiB - 1 bytes");
            return;
        }
        WriteBytes(m_inputBuffer.get(), static_cast<size_t>(size));
    }
    if (failed())
        return;
    entry.storedSize = static_cast<uint32_t>(m_outputPosition - start);
    m_entries.push_back(std::move(entry));
    ++m_entryCount;
}
