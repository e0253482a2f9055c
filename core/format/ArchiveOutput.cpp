#include "format/ArchiveOutput.h"

#include <cstring>

FileOutput::FileOutput(platform::File& file, size_t bufferSize)
    : m_file(file)
    , m_buffer(bufferSize)
{
    if (!m_file.isOpen())
        m_error = "no file to write to";
}

bool FileOutput::fail(const std::string& reason)
{
    if (m_error.empty())
        m_error = reason;
    return false;
}

bool FileOutput::flush()
{
    if (m_buffered > 0 && !m_file.write(m_buffer.data(), m_buffered))
        return fail(m_file.error().text);
    m_buffered = 0;
    return true;
}

bool FileOutput::append(const void* data, size_t length)
{
    if (!m_error.empty())
        return false;
    if (length == 0)
        return true;
    if (m_buffered + length > m_buffer.size()) {
        if (!flush())
            return false;
        // What fills the buffer whole goes to the file as it is.
        if (length >= m_buffer.size()) {
            if (!m_file.write(data, length))
                return fail(m_file.error().text);
            m_end += length;
            return true;
        }
    }
    std::memcpy(m_buffer.data() + m_buffered, data, length);
    m_buffered += length;
    m_end += length;
    return true;
}

bool FileOutput::patch(uint64_t offset, const void* data, size_t length)
{
    if (!m_error.empty() || !flush())
        return false;
    if (!m_file.seek(offset) || !m_file.write(data, length) || !m_file.seek(m_end))
        return fail(m_file.error().text);
    return true;
}

bool FileOutput::appendCopy(platform::File& from, uint64_t offset, uint64_t length)
{
    if (!m_error.empty() || !flush())
        return false;
    platform::Error error;
    if (!platform::copyRange(from, offset, length, m_file, error))
        return fail(error.text);
    m_end += length;
    return true;
}

bool FileOutput::close()
{
    return m_error.empty() && flush();
}
