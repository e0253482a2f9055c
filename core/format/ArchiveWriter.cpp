#include "format/ArchiveWriter.h"

#include "format/BlockArea.h"

using namespace kob;

ArchiveWriter::ArchiveWriter(std::string entryPrefix, uint32_t compression, ArchiveOutput& output)
    : m_entryPrefix(std::move(entryPrefix))
    , m_compression(compression)
    , m_output(output)
{
}

void ArchiveWriter::Fail(const std::string& reason)
{
    if (m_writeError.empty())
        m_writeError = reason;
}

bool ArchiveWriter::FitsBelowLimit(uint64_t length)
{
    if (m_outputPosition + length <= kMaxArchiveSize)
        return true;
    Fail("the archive would grow past 4 GiB - 1 bytes");
    return false;
}

bool ArchiveWriter::WriteBytes(const void* data, size_t length)
{
    if (failed())
        return false;
    if (!m_output.append(data, length)) {
        Fail(m_output.error());
        return false;
    }
    m_outputPosition += length;
    return true;
}

bool ArchiveWriter::WriteWord(uint32_t value)
{
    uint8_t bytes[4];
    putWord(bytes, value);
    return WriteBytes(bytes, sizeof bytes);
}

bool ArchiveWriter::WriteHeader()
{
    // The index offset and the compression word are known only at the end.
    uint8_t words[8];
    putWord(words, 0);
    putWord(words + 4, 1);
    if (failed() || !m_output.appendPlaceholder(words, sizeof words)) {
        Fail(m_output.error());
        return false;
    }
    m_outputPosition += sizeof words;
    return WriteBytes(kHeaderBlock, sizeof kHeaderBlock);
}

bool ArchiveWriter::AddEntry(const std::string& name, uint64_t size, std::vector<BlockDescriptor>& blocks,
                             const std::vector<ByteRange>& pieces)
{
    ArchiveEntry entry;
    entry.name = name;
    entry.uncompressedSize = static_cast<uint32_t>(size);
    entry.dataOffset = static_cast<uint32_t>(m_outputPosition);
    const uint64_t start = m_outputPosition;
    if (m_compression == 1 && blocks.empty()) {
        // Empty, or a block the compressor rejected: the whole entry is the
        // empty-entry block, with the file's real size in the record.
        if (FitsBelowLimit(sizeof kEmptyEntryBlock))
            WriteBytes(kEmptyEntryBlock, sizeof kEmptyEntryBlock);
    } else {
        uint64_t stored = 0;
        std::vector<uint8_t> table;
        if (m_compression == 1) {
            table = encodeBlockTable(blocks);
            stored = table.size(); // summed in 64 bits: the blocks of a file near 4 GiB may pass it
            for (const BlockDescriptor& block : blocks)
                stored += block.compressedSize;
        } else {
            for (const ByteRange& piece : pieces)
                stored += piece.length;
        }
        if (FitsBelowLimit(stored)) {
            WriteBytes(table.data(), table.size());
            for (const ByteRange& piece : pieces)
                WriteBytes(piece.data, piece.length);
        }
    }
    if (failed())
        return false;
    entry.storedSize = static_cast<uint32_t>(m_outputPosition - start);
    m_entries.push_back(std::move(entry));
    return true;
}

void ArchiveWriter::WriteIndex()
{
    WriteWord(static_cast<uint32_t>(m_entries.size()));
    for (const ArchiveEntry& entry : m_entries) {
        WriteWord(static_cast<uint32_t>(m_entryPrefix.size() + entry.name.size()));
        WriteBytes(m_entryPrefix.data(), m_entryPrefix.size());
        WriteBytes(entry.name.data(), entry.name.size());
        WriteWord(entry.storedSize);
        WriteWord(entry.uncompressedSize);
        WriteWord(entry.dataOffset);
        WriteBytes(kRecordTail, sizeof kRecordTail);
    }
}

void ArchiveWriter::Finish()
{
    // The index and the end word count too: the whole file stays within
    // what a 32-bit size can say.
    uint64_t indexLength = 4 + 4;
    for (const ArchiveEntry& entry : m_entries)
        indexLength += kRecordFixedSize + m_entryPrefix.size() + entry.name.size();
    if (!FitsBelowLimit(indexLength))
        return;
    const uint32_t indexOffset = static_cast<uint32_t>(m_outputPosition);
    WriteIndex();
    WriteWord(0);
    if (failed())
        return;
    uint8_t words[8];
    putWord(words, indexOffset);
    putWord(words + 4, m_compression);
    if (!m_output.patch(0, words, sizeof words))
        Fail(m_output.error());
}

bool ArchiveWriter::CloseOutput()
{
    if (!failed() && !m_output.close())
        Fail(m_output.error());
    return !failed();
}
