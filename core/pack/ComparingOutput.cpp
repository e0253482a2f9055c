#include "pack/ComparingOutput.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

constexpr size_t kReadChunk = size_t(1) << 20;

} // namespace

ComparingOutput::ComparingOutput(PendingArchive& pending)
    : m_pending(pending)
{
}

bool ComparingOutput::fail(const std::string& reason)
{
    if (m_error.empty())
        m_error = reason.empty() ? "unknown failure" : reason;
    return false;
}

std::string ComparingOutput::error() const
{
    if (!m_error.empty() || !m_written)
        return m_error;
    return m_written->error();
}

bool ComparingOutput::open(bool compare)
{
    if (compare) {
        platform::Error ignored; // a previous archive that cannot be read differs
        m_previous = platform::File::openRead(m_pending.archivePath(), ignored);
        if (m_previous.isOpen()) {
            m_previousInfo = m_previous.info();
            if (m_previousInfo.kind == platform::Kind::Regular) {
                m_buffer.resize(kReadChunk);
                return true;
            }
            m_previous.close();
        }
    }
    return diverge();
}

bool ComparingOutput::refill()
{
    if (m_bufferUsed < m_bufferFilled)
        return true;
    // A read that fails, or ends early, is a difference like any other.
    const int64_t got = m_previous.isOpen() ? m_previous.read(m_buffer.data(), m_buffer.size()) : -1;
    m_bufferUsed = 0;
    m_bufferFilled = got > 0 ? size_t(got) : 0;
    return got > 0;
}

bool ComparingOutput::matchesPrevious(const uint8_t* data, size_t length)
{
    while (length > 0) {
        if (!refill())
            return false;
        const size_t part = std::min(length, m_bufferFilled - m_bufferUsed);
        if (std::memcmp(data, m_buffer.data() + m_bufferUsed, part) != 0)
            return false;
        m_bufferUsed += part;
        data += part;
        length -= part;
    }
    return true;
}

bool ComparingOutput::takePrevious(uint8_t* data, size_t length)
{
    while (length > 0) {
        if (!refill())
            return false;
        const size_t part = std::min(length, m_bufferFilled - m_bufferUsed);
        std::memcpy(data, m_buffer.data() + m_bufferUsed, part);
        m_bufferUsed += part;
        data += part;
        length -= part;
    }
    return true;
}

// Its content as it was: a write moves the status change time, even one
// whose modification time was put back. A rename moves it too, and is taken
// for a change: the pack fails rather than trust bytes it cannot vouch for.
bool ComparingOutput::previousUnchangedSinceOpen(const platform::FileInfo& now) const
{
    return now.kind == platform::Kind::Regular && FileStamp::of(now) == FileStamp::of(m_previousInfo);
}

bool ComparingOutput::diverge()
{
    platform::File* file = m_pending.create();
    if (!file) {
        m_createFailed = true;
        return fail(m_pending.error());
    }
    m_written = std::make_unique<FileOutput>(*file);
    if (!m_previous.isOpen())
        return true;
    // The equal part comes from the previous archive, except the
    // placeholders, which take the writer's bytes: a file left by a killed
    // pack must begin like one of ours.
    uint64_t copied = 0;
    bool done = true;
    for (const Placeholder& placeholder : m_placeholders) {
        done = done && m_written->appendCopy(m_previous, copied, placeholder.offset - copied)
               && m_written->append(placeholder.current.data(), placeholder.current.size());
        copied = placeholder.offset + placeholder.current.size();
    }
    done = done && m_written->appendCopy(m_previous, copied, m_position - copied);
    const bool trusted = previousUnchangedSinceOpen(m_previous.info());
    m_previous.close(); // Windows replaces no file that is open
    m_buffer = {};
    if (!trusted)
        return fail("the previous archive changed while it was read");
    if (!done)
        return fail("cannot copy from the previous archive: " + m_written->error());
    return true;
}

bool ComparingOutput::append(const void* data, size_t length)
{
    if (!m_error.empty())
        return false;
    if (!m_written && !matchesPrevious(static_cast<const uint8_t*>(data), length) && !diverge())
        return false;
    if (m_written && !m_written->append(data, length))
        return false;
    m_position += length;
    return true;
}

bool ComparingOutput::appendPlaceholder(const void* data, size_t length)
{
    if (!m_error.empty())
        return false;
    if (!m_written) {
        const auto* bytes = static_cast<const uint8_t*>(data);
        Placeholder placeholder{m_position, std::vector<uint8_t>(length), {bytes, bytes + length}};
        if (takePrevious(placeholder.previous.data(), length)) {
            m_placeholders.push_back(std::move(placeholder));
            m_position += length;
            return true;
        }
        if (!diverge())
            return false;
    }
    return append(data, length);
}

bool ComparingOutput::patch(uint64_t offset, const void* data, size_t length)
{
    if (!m_error.empty())
        return false;
    if (m_written)
        return m_written->patch(offset, data, length);
    for (Placeholder& placeholder : m_placeholders)
        if (placeholder.offset == offset && placeholder.current.size() == length) {
            const auto* bytes = static_cast<const uint8_t*>(data);
            placeholder.current.assign(bytes, bytes + length);
            return true;
        }
    return fail("no placeholder at offset " + std::to_string(offset));
}

bool ComparingOutput::close()
{
    if (!m_error.empty())
        return false;
    if (!m_written) {
        bool same = m_position == m_previousInfo.size;
        for (const Placeholder& placeholder : m_placeholders)
            same = same && placeholder.current == placeholder.previous;
        // The name must still lead to the file compared, as it was.
        const platform::FileInfo now = platform::statPath(m_pending.archivePath());
        if (same && now.sameFile(m_previousInfo) && previousUnchangedSinceOpen(now)) {
            m_previous.close();
            m_unchanged = true;
            return true;
        }
        if (!diverge())
            return false;
    }
    // Synced before it is renamed over the previous archive: a crash must
    // not leave a renamed archive whose data never reached the disk.
    return m_written->close() && (m_pending.sync() || fail(m_pending.error()));
}

void ComparingOutput::abandon()
{
    m_written.reset();
    m_previous.close();
    fail("abandoned");
}
