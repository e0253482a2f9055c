#include "format/ArchiveOutput.h"

#include <cerrno>

StreamOutput::StreamOutput(std::FILE* stream)
    : m_stream(stream)
{
    if (!m_stream)
        m_error = "no file to write to";
}

StreamOutput::~StreamOutput()
{
    if (m_stream)
        std::fclose(m_stream);
}

bool StreamOutput::fail(const std::string& reason)
{
    if (m_error.empty())
        m_error = reason;
    return false;
}

bool StreamOutput::append(const void* data, size_t length)
{
    if (!m_error.empty())
        return false;
    errno = 0;
    if (length > 0 && std::fwrite(data, 1, length, m_stream) != length)
        return fail(platform::errorText(errno));
    m_end += length;
    return true;
}

bool StreamOutput::patch(uint64_t offset, const void* data, size_t length)
{
    if (!m_error.empty())
        return false;
    errno = 0;
    if (!platform::seekTo(m_stream, offset) || std::fwrite(data, 1, length, m_stream) != length
        || !platform::seekTo(m_stream, m_end))
        return fail(platform::errorText(errno));
    return true;
}

bool StreamOutput::appendCopy(platform::File& from, uint64_t offset, uint64_t length)
{
    std::string reason;
    if (!m_error.empty() || !platform::copyRange(from, offset, length, m_stream, reason))
        return fail(reason);
    m_end += length;
    return true;
}

bool StreamOutput::close()
{
    if (!m_stream)
        return false;
    // Synced before it is renamed over the previous archive: a crash must
    // not leave a renamed archive whose data never reached the disk.
    std::string flushError;
    const bool flushed = m_error.empty() && platform::flushAndSync(m_stream, flushError);
    errno = 0;
    const bool closed = std::fclose(m_stream) == 0;
    m_stream = nullptr;
    if (!flushed)
        return fail(flushError);
    if (!closed)
        return fail(platform::errorText(errno));
    return true;
}
