#include "format/ArchiveReader.h"

#include "format/ArchiveFormat.h"
#include "format/BlockArea.h"
#include "platform/Platform.h"

#include <cstring>

using namespace kob;

namespace {

constexpr uint64_t kSmallestArchive = kHeaderSize + 4 + 4; // header, entry count, end word

std::string entryLabel(const ReaderEntry& entry, size_t index)
{
    std::string name;
    for (char c : entry.name)
        name += (c == '\0') ? '?' : c;
    return "entry " + std::to_string(index) + " (" + name + ")";
}

bool isEmptyEntryBlock(const std::vector<uint8_t>& area)
{
    return area.size() == sizeof kEmptyEntryBlock && std::memcmp(area.data(), kEmptyEntryBlock, sizeof kEmptyEntryBlock) == 0;
}

} // namespace

ArchiveReader::~ArchiveReader()
{
    close();
}

void ArchiveReader::close()
{
    m_file.close();
}

bool ArchiveReader::fail(const std::string& text)
{
    m_error = m_path + ": " + text;
    return false;
}

bool ArchiveReader::readAt(uint64_t offset, void* data, size_t length) const
{
    if (offset > m_fileSize || length > m_fileSize - offset)
        return false;
    return m_file.readAt(offset, data, length);
}

bool ArchiveReader::open(const std::string& path, uint64_t maxIndexBytes)
{
    m_path = path;
    m_entries.clear();
    close();
    platform::Error error;
    platform::FileInfo info;
    m_file = platform::File::openRead(path, error, &info);
    if (!m_file.isOpen())
        return fail(error.text);
    m_fileSize = info.size;
    if (m_fileSize < kSmallestArchive)
        return fail("not an archive: too short (" + std::to_string(m_fileSize) + " bytes, at least "
                    + std::to_string(kSmallestArchive) + " needed)");

    uint8_t head[8];
    if (!readAt(0, head, sizeof head))
        return fail("cannot read the header");
    m_indexOffset = getWord(head);
    m_compressionFlag = getWord(head + 4);
    if (m_compressionFlag > 1)
        return fail("not an archive (its header is no archive's: compression flag " + std::to_string(m_compressionFlag)
                    + ")");
    if (m_indexOffset < kHeaderSize || uint64_t(m_indexOffset) + 8 > m_fileSize)
        return fail("index offset " + std::to_string(m_indexOffset) + " lies outside the file (size "
                    + std::to_string(m_fileSize) + ")");
    if (m_fileSize - m_indexOffset > maxIndexBytes)
        return fail("index of " + std::to_string(m_fileSize - m_indexOffset) + " bytes is longer than the "
                    + std::to_string(maxIndexBytes >> 20) + " MiB an index may take");

    // The index is read whole: its length is bounded by the file and by
    // maxIndexBytes, so no header can make it gigabytes.
    std::vector<uint8_t> index(static_cast<size_t>(m_fileSize - m_indexOffset));
    if (!readAt(m_indexOffset, index.data(), index.size()))
        return fail("cannot read the index");
    const uint32_t count = getWord(index.data());
    if (count > (index.size() - 8) / kRecordFixedSize)
        return fail("entry count " + std::to_string(count) + " cannot fit in the index");

    size_t pos = 4;
    m_entries.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        if (index.size() - pos < 4)
            return fail("index ends inside record " + std::to_string(i));
        const uint32_t nameLength = getWord(index.data() + pos);
        pos += 4;
        if (nameLength > index.size() - pos || index.size() - pos - nameLength < kRecordFixedSize - 4)
            return fail("record " + std::to_string(i) + ": name length " + std::to_string(nameLength)
                        + " runs past the end of the file");
        ReaderEntry entry;
        entry.name.assign(reinterpret_cast<const char*>(index.data() + pos), nameLength);
        pos += nameLength;
        entry.storedSize = getWord(index.data() + pos);
        entry.size = getWord(index.data() + pos + 4);
        entry.dataOffset = getWord(index.data() + pos + 8);
        entry.tailValid = std::memcmp(index.data() + pos + 12, kRecordTail, sizeof kRecordTail) == 0;
        pos += 24;
        m_entries.push_back(std::move(entry));
    }
    if (index.size() - pos != 4)
        return fail("index does not end with the end word: " + std::to_string(index.size() - pos)
                    + " bytes follow the last record");
    m_endWord = getWord(index.data() + pos);
    m_error.clear();
    return true;
}

bool ArchiveReader::readEntry(size_t i, std::vector<uint8_t>& out, std::string& error) const
{
    out.clear();
    if (i >= m_entries.size()) {
        error = "no entry " + std::to_string(i);
        return false;
    }
    const ReaderEntry& entry = m_entries[i];
    const std::string label = entryLabel(entry, i);
    if (entry.dataOffset < kHeaderSize || uint64_t(entry.dataOffset) + entry.storedSize > m_indexOffset) {
        error = label + ": data area " + std::to_string(entry.dataOffset) + "+" + std::to_string(entry.storedSize)
              + " lies outside the entry data";
        return false;
    }
    std::vector<uint8_t> area(entry.storedSize);
    if (!readAt(entry.dataOffset, area.data(), area.size())) {
        error = label + ": cannot read its data";
        return false;
    }
    if (!compressed()) {
        if (entry.storedSize != entry.size) {
            error = label + ": stored size " + std::to_string(entry.storedSize) + " differs from size "
                  + std::to_string(entry.size) + " in a plain archive";
            return false;
        }
        out = std::move(area);
        return true;
    }

    if (entry.size == 0) {
        if (!isEmptyEntryBlock(area)) {
            error = label + ": an empty entry is not the 20-byte empty-entry block";
            return false;
        }
        return true;
    }
    std::vector<BlockDescriptor> blocks;
    std::string problem;
    if (!decodeBlockTable(area.data(), area.size(), area.size(), entry.size, blocks, problem)) {
        error = label + problem;
        return false;
    }
    const size_t tableEnd = blockTableLength(blocks.size());
    // Grown block by block: a lying size must not reserve gigabytes up front.
    uint8_t block[kBlockLength];
    for (uint32_t b = 0; b < blocks.size(); ++b) {
        if (!decompressBlock(area.data() + tableEnd + blocks[b].blockOffset, blocks[b], block, problem)) {
            error = label + ", block " + std::to_string(b) + ": " + problem;
            out.clear();
            return false;
        }
        out.insert(out.end(), block, block + blocks[b].uncompressedSize);
    }
    return true;
}

std::vector<std::string> ArchiveReader::verify() const
{
    std::vector<std::string> problems;
    uint64_t expectedOffset = kHeaderSize;
    for (size_t i = 0; i < m_entries.size(); ++i) {
        const ReaderEntry& entry = m_entries[i];
        const std::string label = entryLabel(entry, i);
        if (entry.dataOffset != expectedOffset)
            problems.push_back(label + ": data offset " + std::to_string(entry.dataOffset) + ", expected "
                               + std::to_string(expectedOffset));
        if (!entry.tailValid)
            problems.push_back(label + ": record tail is not E0 21 13 00 followed by eight zero bytes");
        expectedOffset = uint64_t(entry.dataOffset) + entry.storedSize;
        std::vector<uint8_t> data;
        std::string error;
        if (!readEntry(i, data, error))
            problems.push_back(error);
    }
    uint64_t storedTotal = 0;
    for (const ReaderEntry& entry : m_entries)
        storedTotal += entry.storedSize;
    if (uint64_t(kHeaderSize) + storedTotal != m_indexOffset)
        problems.push_back("index offset " + std::to_string(m_indexOffset) + ", but the entries' data ends at "
                           + std::to_string(kHeaderSize + storedTotal));
    if (m_endWord != 0)
        problems.push_back("end word is " + std::to_string(m_endWord) + ", not 0");
    for (std::string& problem : problems)
        problem = m_path + ": " + problem;
    return problems;
}
