#include "pack/ArchivePacker.h"

#include "pack/MessageSink.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

using namespace kob;

ArchivePacker::ArchivePacker()
    : m_inputBuffer(new uint8_t[kInitialInputCapacity])
    , m_inputCapacity(kInitialInputCapacity)
    , m_namePool(std::make_unique<NamePool>())
    , m_workMemory(new uint8_t[kLzoWorkMemorySize]())
{
}

ArchivePacker::~ArchivePacker()
{
    if (m_output)
        std::fclose(m_output);
}

void ArchivePacker::SetOutput(std::FILE* file)
{
    m_output = file;
    m_outputPosition = 0;
}

void ArchivePacker::Fail(const std::string& reason)
{
    if (m_writeError.empty())
        m_writeError = reason;
}

bool ArchivePacker::WriteBytes(const void* data, size_t length)
{
    if (failed() || !m_output)
        return false;
    if (length == 0)
        return true;
    if (std::fwrite(data, 1, length, m_output) != length) {
        Fail(std::strerror(errno ? errno : EIO));
        return false;
    }
    m_outputPosition += length;
    return true;
}

bool ArchivePacker::WriteWord(uint32_t value)
{
    uint8_t bytes[4];
    putWord(bytes, value);
    return WriteBytes(bytes, sizeof bytes);
}

bool ArchivePacker::PatchHeader()
{
    if (failed() || !m_output)
        return false;
    if (m_outputPosition > kMaxArchiveSize) {
        Fail("the archive would grow past 4 GiB - 1 bytes");
        return false;
    }
    const uint64_t end = m_outputPosition;
    if (std::fseek(m_output, 0, SEEK_SET) != 0) {
        Fail(std::strerror(errno));
        return false;
    }
    m_outputPosition = 0;
    const bool ok = WriteWord(m_indexOffset) && WriteWord(m_compression);
    m_outputPosition = end;
    return ok;
}

bool ArchivePacker::CloseOutput()
{
    if (!m_output)
        return !failed();
    errno = 0;
    // Synced before it is renamed over the previous archive: a crash must
    // not leave a renamed archive whose data never reached the disk.
    const bool flushed = std::fflush(m_output) == 0 && ::fsync(fileno(m_output)) == 0;
    const int flushErrno = errno;
    const bool closed = std::fclose(m_output) == 0;
    m_output = nullptr;
    if (!flushed)
        Fail(std::strerror(flushErrno ? flushErrno : EIO));
    else if (!closed)
        Fail(std::strerror(errno ? errno : EIO));
    return !failed();
}

void ArchivePacker::WriteIndex()
{
    ReportNote("Writing Index...");
    WriteWord(m_entryCount);
    for (uint32_t i = 0; i < m_entryCount; ++i) {
        const ArchiveEntry& entry = m_entries[i];
        WriteWord(m_entryPrefixLength + entry.nameLength);
        WriteBytes(m_entryPrefix, m_entryPrefixLength);
        WriteBytes(entry.name.data(), entry.nameLength);
        WriteWord(entry.storedSize);
        WriteWord(entry.uncompressedSize);
        WriteWord(entry.dataOffset);
        WriteBytes(kRecordTail, sizeof kRecordTail);
    }
}

namespace {
std::unique_ptr<ArchivePacker> g_currentPacker;
}

ArchivePacker* CurrentPacker()
{
    return g_currentPacker.get();
}

void SetCurrentPacker(std::unique_ptr<ArchivePacker> packer)
{
    g_currentPacker = std::move(packer);
}

void DestroyCurrentPacker()
{
    g_currentPacker.reset();
}
