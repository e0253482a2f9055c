#pragma once
// Reads a .kob archive as untrusted input: every count, size and offset is
// checked against the file before it is used, and a malformed archive gives
// an error that says what is wrong.

#include "platform/File.h"

#include <cstdint>
#include <string>
#include <vector>

struct ReaderEntry {
    std::string name;        // as stored, entry prefix included; may hold any byte
    uint32_t storedSize = 0;
    uint32_t size = 0;       // uncompressed size
    uint32_t dataOffset = 0;
    bool tailValid = true;   // the record ended in the standard 12-byte tail
};

class ArchiveReader {
public:
    ArchiveReader() = default;
    ~ArchiveReader();
    ArchiveReader(const ArchiveReader&) = delete;
    ArchiveReader& operator=(const ArchiveReader&) = delete;

    // An index larger than this (about a million entries) is not read.
    static constexpr uint64_t kMaxIndexBytes = uint64_t(64) << 20;

    // Opens `path` and reads its index. Returns false, with error(), when the
    // file is no regular file (a named pipe is refused without waiting), it
    // cannot be read, its index cannot be walked, or the index is longer than
    // `maxIndexBytes`.
    bool open(const std::string& path, uint64_t maxIndexBytes = kMaxIndexBytes);
    const std::string& error() const { return m_error; }

    bool compressed() const { return m_compressionFlag == 1; }
    uint32_t indexOffset() const { return m_indexOffset; }
    uint64_t fileSize() const { return m_fileSize; }
    const std::vector<ReaderEntry>& entries() const { return m_entries; }
    // The open file, for callers that read entries on several threads with
    // its readAt(); not open when closed.
    const platform::File& file() const { return m_file; }
    // Closes the file (Windows replaces no archive that is open).
    void close();

    // The original bytes of entry `index`, decompressing each block with
    // lzo1x_decompress_safe when the archive is compressed. Returns false,
    // with `error` naming the entry and the fault, when the data is damaged.
    bool readEntry(size_t index, std::vector<uint8_t>& out, std::string& error) const;

    // Checks every layout invariant and decodes every entry; returns one text
    // per problem found (none for a sound archive).
    std::vector<std::string> verify() const;

private:
    bool readAt(uint64_t offset, void* data, size_t length) const;
    bool fail(const std::string& text);

    platform::File m_file;
    std::string m_path;
    std::string m_error;
    uint64_t m_fileSize = 0;
    uint32_t m_indexOffset = 0;
    uint32_t m_compressionFlag = 0;
    uint32_t m_endWord = 0;
    std::vector<ReaderEntry> m_entries;
};
