#pragma once
// The archive that a pack replaces, opened so that entries whose bytes have
// not changed can be copied into the new archive as they are stored instead
// of being compressed again, or for a plain archive, instead of being read
// from a file the records show unchanged. Compressing is deterministic, so
// an entry taken over from an archive this tool wrote is exactly what
// compressing the file would give.
//
// Only the index and, per candidate, its block descriptors and compressed
// bytes are read; the archive is never loaded whole. Every word is checked
// against the file and the file's own bytes decide: a damaged, truncated or
// foreign entry is simply not taken over.

#include "format/ArchiveFormat.h"
#include "format/ArchiveReader.h"
#include "source/NamePool.h"
#include "source/FileStamp.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class PreviousArchive {
public:
    // A previous index larger than this (about a million entries) is not read.
    static constexpr uint64_t kMaxIndexBytes = uint64_t(64) << 20;

    // Entries are looked up by their name less `entryPrefix`; only an
    // archive stored as `compress` says is opened.
    PreviousArchive(std::string entryPrefix, uint32_t compress);

    // Opens the archive at `path`. False when there is none, it does not open
    // as an archive, or it is stored otherwise: nothing can then be taken over.
    bool open(const std::string& path);
    // Closes the archive, which Windows does not let be replaced while open.
    void close();

    // Tells whether the entry `relativeName` holds exactly the `size` bytes
    // at `data`, by decompressing each of its blocks and comparing. When it
    // does, `blocks` receives its descriptors and `compressed` (room for
    // compressedAreaBound(size) bytes) its compressed bytes, `compressedLength`
    // long; no blocks stands for the empty-entry block. False on any
    // difference or doubt. Safe to call from several threads at once.
    bool match(const char* relativeName, const uint8_t* data, uint64_t size, std::vector<kob::BlockDescriptor>& blocks,
               uint8_t* compressed, size_t& compressedLength) const;
    // As match(), for a file known by its records to hold what the entry
    // holds: the entry's layout is checked against the archive and `size`,
    // its blocks are not decompressed. A plain entry's bytes are read into
    // `compressed` (room for `size` bytes), with no blocks.
    bool take(const char* relativeName, uint64_t size, std::vector<kob::BlockDescriptor>& blocks, uint8_t* compressed,
              size_t& compressedLength) const;
    // The open archive's stamp, as its records name it.
    FileStamp stamp() const;
    // True when the archive's index holds exactly the entries `names` (each
    // less its first `rootLength` bytes, under the entry prefix) with the
    // sizes of `stamps`, in that order and nothing else.
    bool holdsExactly(const NamePool& names, uint32_t rootLength, const std::vector<FileStamp>& stamps) const;

private:
    bool readAt(uint64_t offset, void* data, size_t length) const;

    std::string m_entryPrefix;
    uint32_t m_compress;
    ArchiveReader m_reader;
    const platform::File* m_file = nullptr; // the reader's file, read by any thread
    std::unordered_map<std::string_view, size_t> m_byName;
};
