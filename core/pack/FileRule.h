#pragma once
// The rule every producer follows for each file, whichever thread runs it:
// a file that the records show unchanged since the previous archive took it
// in is taken over from that archive without being opened (when its entry
// does not hold up, it is opened after all); any other file is opened with
// the same checks, read whole, and its previous entry taken over when it
// holds exactly those bytes; only then is it compressed.

#include "pack/FileProducer.h"
#include "pack/PreviousArchive.h"
#include "source/NamePool.h"

#include <optional>

class FileRule {
public:
    // `listed` holds each file's stamp as the scan's listing saw it;
    // `previous` and `unread` (with `previous` only) may be null; all are borrowed.
    FileRule(const NamePool& names, const std::vector<FileStamp>& listed, uint32_t sourceRootLength,
             uint32_t compression, const PreviousArchive* previous, const UnreadFiles* unread,
             const SourceAccess& access);

    uint32_t compression() const { return m_compression; }

    const char* path(uint32_t index) const { return m_names.nameAt(index); }
    // The stamp of file `index` when it is to be taken over unread.
    const FileStamp* unread(uint32_t index) const;
    // Opens file `index`; the problem that leaves it out, or nothing.
    std::optional<InputProblem> open(uint32_t index, SourceFile& source) const;
    // The room a file of `size` bytes needs for what is stored of it.
    size_t storedBound(uint64_t size) const;
    // Takes the entry of the unread file `index` over into `area` (room for
    // storedBound()); false when it does not hold up and the file is to be read.
    bool takeUnread(uint32_t index, uint64_t size, std::vector<kob::BlockDescriptor>& blocks, uint8_t* area,
                    size_t& length) const;
    // Takes the previous entry of file `index` over into `area` when it holds
    // exactly the `size` bytes at `data`.
    bool takePrevious(uint32_t index, const uint8_t* data, uint64_t size, std::vector<kob::BlockDescriptor>& blocks,
                      uint8_t* area, size_t& length) const;

private:
    const NamePool& m_names;
    const std::vector<FileStamp>& m_listed;
    const uint32_t m_sourceRootLength;
    const uint32_t m_compression;
    const PreviousArchive* const m_previous;
    const UnreadFiles* const m_unread;
    const SourceAccess& m_access;
};
