#include "pack/PreviousArchive.h"

#include "format/BlockArea.h"

#include "platform/Platform.h"

#include <cstring>

using namespace kob;

PreviousArchive::PreviousArchive(std::string entryPrefix, uint32_t compress)
    : m_entryPrefix(std::move(entryPrefix))
    , m_compress(compress)
{
}

bool PreviousArchive::open(const std::string& path)
{
    m_byName.clear();
    m_file = nullptr;
    // The reader opens only a regular file (not a folder, nor a pipe that would block).
    if (!m_reader.open(path, kMaxIndexBytes) || m_reader.compressed() != (m_compress == 1)) {
        m_reader.close();
        return false;
    }
    m_file = &m_reader.file();
    const std::vector<ReaderEntry>& entries = m_reader.entries();
    for (size_t i = 0; i < entries.size(); ++i) {
        const std::string& name = entries[i].name;
        if (name.size() > m_entryPrefix.size() && name.compare(0, m_entryPrefix.size(), m_entryPrefix) == 0)
            m_byName.emplace(std::string_view(name).substr(m_entryPrefix.size()), i);
    }
    return true;
}

void PreviousArchive::close()
{
    m_file = nullptr;
    m_byName.clear();
    m_reader.close();
}

bool PreviousArchive::readAt(uint64_t offset, void* data, size_t length) const
{
    return m_file->readAt(offset, data, length);
}

FileStamp PreviousArchive::stamp() const
{
    return m_file ? FileStamp::of(m_file->info()) : FileStamp{};
}

bool PreviousArchive::holdsExactly(const NamePool& names, uint32_t rootLength,
                                   const std::vector<FileStamp>& stamps) const
{
    const std::vector<ReaderEntry>& entries = m_reader.entries();
    if (!m_file || entries.size() != names.count() || stamps.size() != names.count())
        return false;
    for (uint32_t i = 0; i < names.count(); ++i) {
        const std::string& name = entries[i].name;
        if (entries[i].size != stamps[i].size || name.size() <= m_entryPrefix.size()
            || name.compare(0, m_entryPrefix.size(), m_entryPrefix) != 0
            || name.compare(m_entryPrefix.size(), std::string::npos, names.nameAt(i) + rootLength) != 0)
            return false;
    }
    return true;
}

bool PreviousArchive::match(const char* relativeName, const uint8_t* data, uint64_t size,
                            std::vector<BlockDescriptor>& blocks, uint8_t* compressed, size_t& compressedLength) const
{
    // A plain entry saves nothing over the file's own bytes.
    if (m_compress != 1 || !take(relativeName, size, blocks, compressed, compressedLength))
        return false;
    uint8_t block[kBlockLength];
    std::string problem;
    for (size_t b = 0; b < blocks.size(); ++b) {
        const BlockDescriptor& d = blocks[b];
        if (!decompressBlock(compressed + d.blockOffset, d, block, problem)
            || std::memcmp(block, data + uint64_t(b) * kBlockLength, d.uncompressedSize) != 0) {
            blocks.clear();
            compressedLength = 0;
            return false;
        }
    }
    return true;
}

bool PreviousArchive::take(const char* relativeName, uint64_t size, std::vector<BlockDescriptor>& blocks,
                           uint8_t* compressed, size_t& compressedLength) const
{
    blocks.clear();
    compressedLength = 0;
    if (!m_file)
        return false;
    const auto named = m_byName.find(relativeName);
    if (named == m_byName.end())
        return false;
    const ReaderEntry& entry = m_reader.entries()[named->second];
    if (entry.size != size || entry.dataOffset < kHeaderSize
        || uint64_t(entry.dataOffset) + entry.storedSize > m_reader.indexOffset())
        return false;
    if (m_compress != 1) {
        if (entry.storedSize != size || !readAt(entry.dataOffset, compressed, size))
            return false;
        compressedLength = size;
        return true;
    }
    if (size == 0) {
        uint8_t area[sizeof kEmptyEntryBlock];
        return entry.storedSize == sizeof area && readAt(entry.dataOffset, area, sizeof area)
            && std::memcmp(area, kEmptyEntryBlock, sizeof area) == 0;
    }

    // The descriptors must be exactly those that compressing the file would
    // give: one block per 32 KiB, offsets back to back, the stored size their sum.
    const uint32_t blockCount = blockCountOf(size);
    std::vector<uint8_t> table(blockTableLength(blockCount));
    std::vector<BlockDescriptor> found;
    std::string problem;
    if (entry.storedSize < table.size() || !readAt(entry.dataOffset, table.data(), table.size())
        || !decodeBlockTable(table.data(), table.size(), entry.storedSize, size, found, problem))
        return false;
    for (const BlockDescriptor& block : found)
        if (block.compressedSize > lzoWorstCase(block.uncompressedSize))
            return false; // the bytes would not fit the caller's area
    const uint64_t offset = entry.storedSize - table.size();
    if (!readAt(entry.dataOffset + table.size(), compressed, static_cast<size_t>(offset)))
        return false;
    blocks = std::move(found);
    compressedLength = static_cast<size_t>(offset);
    return true;
}
