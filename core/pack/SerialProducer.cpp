#include "pack/SerialProducer.h"

#include "format/ArchiveFormat.h"
#include "format/BlockArea.h"

#include <new>

using namespace kob;

SerialProducer::SerialProducer(const FileRule& rule)
    : m_rule(rule)
    , m_workMemory(rule.compression() == 1 ? new uint8_t[kLzoWorkMemorySize]() : nullptr)
{
}

ProducedFile& SerialProducer::take(uint32_t index)
{
    m_file = ProducedFile{};
    if (const FileStamp* unread = m_rule.unread(index); unread && takeUnread(index, *unread))
        return m_file;
    SourceFile source;
    if ((m_file.problem = m_rule.open(index, source)))
        return m_file;
    m_file.stamp = source.stamp();
    const uint64_t size = m_file.size = source.size();
    // Without room for the compressed blocks the file would be stored as an
    // empty entry; better to leave it out and say so.
    if (!reserve(m_input, m_inputCapacity, static_cast<size_t>(size))
        || (m_rule.compression() == 1 && !reserve(m_compressedArea, m_compressedCapacity, compressedAreaBound(size)))) {
        m_file.problem = InputProblem::TooLargeForMemory;
        return m_file;
    }
    if ((m_file.problem = source.readAll(m_input.get())))
        return m_file;
    size_t length = 0;
    if (m_rule.takePrevious(index, m_input.get(), size, m_file.blocks, m_compressedArea.get(), length)) {
        m_file.reused = true;
        m_file.pieces = {{m_compressedArea.get(), length}};
    } else if (m_rule.compression() == 1) {
        compress(size);
    } else {
        m_file.pieces = {{m_input.get(), static_cast<size_t>(size)}};
    }
    return m_file;
}

bool SerialProducer::takeUnread(uint32_t index, const FileStamp& stamp)
{
    size_t length = 0;
    if (!reserve(m_compressedArea, m_compressedCapacity, m_rule.storedBound(stamp.size))
        || !m_rule.takeUnread(index, stamp.size, m_file.blocks, m_compressedArea.get(), length))
        return false;
    m_file.size = stamp.size;
    m_file.stamp = stamp;
    m_file.reused = true;
    m_file.pieces = {{m_compressedArea.get(), length}};
    return true;
}

bool SerialProducer::reserve(std::unique_ptr<uint8_t[]>& buffer, size_t& capacity, size_t needed)
{
    if (needed <= capacity)
        return true;
    buffer.reset(); // the old buffer first: the new one may only fit without it
    buffer.reset(new (std::nothrow) uint8_t[needed]);
    capacity = buffer ? needed : 0;
    return buffer != nullptr;
}

void SerialProducer::compress(uint64_t size)
{
    // The area has room for the worst case of every block, so no entry can overrun it.
    size_t length = 0;
    for (uint32_t b = 0; b < blockCountOf(size); ++b) {
        const uint32_t blockLength = blockLengthAt(size, b);
        uint32_t compressedSize = 0;
        if (!compressBlock(m_input.get() + uint64_t(b) * kBlockLength, blockLength, m_compressedArea.get() + length,
                           compressedSize, m_workMemory.get())) {
            m_file.blocks.clear(); // the whole entry becomes the empty-entry block
            return;
        }
        m_file.blocks.push_back({compressedSize, blockLength, 0});
        length += compressedSize;
    }
    m_file.pieces = {{m_compressedArea.get(), length}};
}
