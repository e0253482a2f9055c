#pragma once
// Writes one archive to an output: the header, each entry's data area as it
// comes, then the index and the final header words. It reports nothing; the
// first failed write is kept in writeError() and nothing more is written
// after it, so a caller checks once, at the end.

#include "format/ArchiveFormat.h"
#include "format/ArchiveOutput.h"

#include <string>
#include <vector>

// One piece of an entry's bytes: plain data, or compressed blocks back to back.
struct ByteRange {
    const uint8_t* data;
    size_t length;
};

// The record of one stored file.
struct ArchiveEntry {
    std::string name;             // relative name, at most kMaxRelativeName bytes
    uint32_t storedSize = 0;
    uint32_t uncompressedSize = 0;
    uint32_t dataOffset = 0;
};

class ArchiveWriter {
public:
    // `entryPrefix` goes in front of every name in the index; `compression`
    // is 0 (plain) or 1 (LZO1X-999 blocks); `output`, empty, must outlive
    // the writer.
    ArchiveWriter(std::string entryPrefix, uint32_t compression, ArchiveOutput& output);
    ArchiveWriter(const ArchiveWriter&) = delete;
    ArchiveWriter& operator=(const ArchiveWriter&) = delete;

    // The two header words (patched by Finish) and the fixed header block.
    bool WriteHeader();
    // Appends the entry `name` of `size` bytes and its record. A plain archive
    // stores `pieces` as they are; a compressed one stores the table of
    // `blocks` (sizes given, offsets filled in here) and then `pieces`, the
    // blocks' bytes; no blocks stores the empty-entry block. False, with
    // nothing recorded, when the write failed or the archive would pass 4 GiB.
    bool AddEntry(const std::string& name, uint64_t size, std::vector<kob::BlockDescriptor>& blocks,
                  const std::vector<ByteRange>& pieces);
    // Writes the entry count and every record at the current output position.
    void WriteIndex();
    // The index, the end word and the final header words; nothing, and a
    // failure, when they would take the archive past 4 GiB - 1 bytes.
    void Finish();
    // Closes the output, which puts the bytes on the disk; false (with
    // writeError()) when they did not reach it.
    bool CloseOutput();

    // Output primitives: each notes the first failure in writeError() and
    // writes nothing more after one.
    bool WriteBytes(const void* data, size_t length);
    bool WriteWord(uint32_t value);

    bool failed() const { return !m_writeError.empty(); }
    const std::string& writeError() const { return m_writeError; }
    uint64_t outputPosition() const { return m_outputPosition; }
    const std::vector<ArchiveEntry>& entries() const { return m_entries; }

private:
    void Fail(const std::string& reason);
    bool FitsBelowLimit(uint64_t length);

    std::string m_entryPrefix;
    uint32_t m_compression;
    std::vector<ArchiveEntry> m_entries;
    ArchiveOutput& m_output;
    uint64_t m_outputPosition = 0;
    std::string m_writeError;
};
