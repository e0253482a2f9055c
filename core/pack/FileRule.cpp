#include "pack/FileRule.h"

#include "format/BlockArea.h"

using namespace kob;

FileRule::FileRule(const NamePool& names, const std::vector<FileStamp>& listed, uint32_t sourceRootLength,
                   uint32_t compression, const PreviousArchive* previous, const UnreadFiles* unread,
                   const SourceAccess& access)
    : m_names(names)
    , m_listed(listed)
    , m_sourceRootLength(sourceRootLength)
    , m_compression(compression)
    , m_previous(previous)
    , m_unread(previous && unread && !unread->empty() ? unread : nullptr)
    , m_access(access)
{
}

const FileStamp* FileRule::unread(uint32_t index) const
{
    if (!m_unread || !(*m_unread)[index] || (*m_unread)[index]->size > kMaxArchiveSize)
        return nullptr;
    return &*(*m_unread)[index];
}

std::optional<InputProblem> FileRule::open(uint32_t index, SourceFile& source) const
{
    return source.open(path(index), m_sourceRootLength, m_access, &m_listed[index]);
}

size_t FileRule::storedBound(uint64_t size) const
{
    return static_cast<size_t>(m_compression == 1 ? compressedAreaBound(size) : size);
}

bool FileRule::takeUnread(uint32_t index, uint64_t size, std::vector<BlockDescriptor>& blocks, uint8_t* area,
                          size_t& length) const
{
    return m_previous->take(path(index) + m_sourceRootLength, size, blocks, area, length);
}

bool FileRule::takePrevious(uint32_t index, const uint8_t* data, uint64_t size, std::vector<BlockDescriptor>& blocks,
                            uint8_t* area, size_t& length) const
{
    return m_previous && m_previous->match(path(index) + m_sourceRootLength, data, size, blocks, area, length);
}
