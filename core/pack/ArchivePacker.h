#pragma once
// One archive while it is being written: the output file, the compression
// setting, the entries written so far, the names to pack and the buffers that
// reading and compressing need. The pack job sets the public fields directly.

#include "format/ArchiveFormat.h"
#include "source/NamePool.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class PreviousArchive;

// Why a listed file was left out of the archive; each has its own
// standard-output line (inputProblemLine).
enum class InputProblem {
    NameTooLong,     // the relative name does not fit a record
    CannotOpen,
    NotRegular,      // a named pipe, socket or device, directly or through a link
    ReadFailed,      // size unknown, or an I/O error while reading
    SizeChanged,     // the file grew or shrank while it was read
    TooLarge,        // 4 GiB or more
    TooLargeForMemory,
};

// The "ERROR! inputFile..." line for `problem` with the file's full path.
std::string inputProblemLine(InputProblem problem, const char* path);

// Opens the source file at `path` for reading and takes its size, with the
// checks every packing path makes, in the same order. Returns the problem,
// or nothing with `file` open (the caller closes it) and `size` set. Only a
// regular file is opened, and never so that the open could wait (a pipe
// without a writer), so a cancel is never held up here.
std::optional<InputProblem> openSourceFile(const char* path, uint32_t sourceRootLength, std::FILE*& file,
                                           uint64_t& size);

// After reading `got` of the `size` bytes that openSourceFile gave for
// `file`: nothing when exactly `size` bytes were there and no more, else why
// the bytes read must not be stored.
std::optional<InputProblem> readProblem(std::FILE* file, uint64_t size, uint64_t got);
// Reads up to `length` bytes of an open source file into `buffer` and returns
// how many arrived; std::fread unless a test replaced it. Every packing path
// reads source bytes through it, on any thread.
size_t ReadSourceBytes(void* buffer, size_t length, std::FILE* file);
// Replaces the read behind ReadSourceBytes (nullptr restores std::fread), e.g.
// to make a file come up short as one that shrank while it was read.
using SourceRead = size_t (*)(void* buffer, size_t length, std::FILE* file);
void SetSourceRead(SourceRead read);

// One piece of an entry's compressed bytes.
struct ByteRange {
    const uint8_t* data;
    size_t length;
};

// The record of one stored file.
struct ArchiveEntry {
    uint32_t nameLength = 0;      // without the entry prefix
    std::string name;             // relative name, at most kMaxRelativeName bytes
    uint32_t storedSize = 0;
    uint32_t uncompressedSize = 0;
    uint32_t dataOffset = 0;
};

class ArchivePacker {
public:
    static constexpr size_t kInitialInputCapacity = 4000000;

    ArchivePacker();
    ~ArchivePacker(); // closes the output file if one is set
    ArchivePacker(const ArchivePacker&) = delete;
    ArchivePacker& operator=(const ArchivePacker&) = delete;

    // Reads the file at `path` (a name of the pool) whole and stores it as the
    // next entry, taken over from m_previous when that holds the same bytes.
    // A file that cannot be opened, read in full, or represented (4 GiB or
    // more, a relative name over 259 bytes) is skipped with one
    // "ERROR! inputFile..." line on standard output; nothing of it is written.
    void AddInputFile(const char* path);
    // Appends the data area of the `size` bytes in the input buffer and the
    // entry's record. Called by AddInputFile.
    void StoreEntry(uint64_t size, const char* path);
    // Appends a compressed entry whose blocks are already at hand, exactly as
    // StoreEntry would write it: the blocks' compressed and uncompressed
    // sizes (their offsets are filled in here) and their compressed bytes,
    // back to back in `pieces`; no blocks gives the empty-entry block.
    void StoreBlocks(const char* path, uint64_t size, std::vector<kob::BlockDescriptor>& blocks,
                     const std::vector<ByteRange>& pieces);
    // Counts an entry of `size` bytes taken over from the previous archive.
    void NoteReused(uint64_t size)
    {
        ++m_reusedEntries;
        m_reusedBytes += size;
    }
    // Notes a listed file that was left out, as LeaveOut does.
    void SkipInput(InputProblem problem, const char* path);
    // Notes something left out of the archive: `line`, which names it and
    // why, on standard output and to the message sink, and one more skip.
    void LeaveOut(const std::string& line);
    // Writes the entry count and every record at the current output position.
    void WriteIndex();

    // Output primitives: each notes the first failure in writeError() and
    // writes nothing more after one.
    bool WriteBytes(const void* data, size_t length);
    bool WriteWord(uint32_t value);
    // Writes the final index offset and compression flag at offset 0.
    bool PatchHeader();
    // Flushes, syncs and closes the output file; false (with writeError())
    // when the data did not reach the disk.
    bool CloseOutput();
    // Adopts `file` as the output file, positioned at its start.
    void SetOutput(std::FILE* file);

    bool failed() const { return !m_writeError.empty(); }
    const std::string& writeError() const { return m_writeError; }
    uint64_t outputPosition() const { return m_outputPosition; }

    // Fields, in the order the archive writer knows them.
    uint32_t m_compression = 0;            // 0 plain, 1 LZO1X-999
    std::vector<ArchiveEntry> m_entries;
    uint32_t m_entryCount = 0;
    uint64_t m_totalSourceBytes = 0;       // 64-bit: a 32-bit sum wraps past 4 GiB
    uint32_t m_indexOffset = 0;
    std::FILE* m_output = nullptr;         // owned
    std::unique_ptr<uint8_t[]> m_inputBuffer;
    size_t m_inputCapacity = 0;
    uint64_t m_inputSize = 0;
    std::unique_ptr<NamePool> m_namePool;
    uint32_t m_sourceRootLength = 0;
    uint32_t m_entryPrefixLength = 0;
    const char* m_entryPrefix = "";        // borrowed from the pack job's caller
    std::unique_ptr<uint8_t[]> m_workMemory;
    std::unique_ptr<uint8_t[]> m_compressedArea;
    size_t m_compressedCapacity = 0;

    // A file the scanner must leave out: the archive being written, when it
    // already exists inside the folder being packed.
    uint64_t m_excludeDevice = 0;
    uint64_t m_excludeInode = 0;
    bool m_hasExclude = false;
    // Files and folders left out (LeaveOut): by the scan, or by AddInputFile.
    uint32_t m_skippedFiles = 0;
    // The archive being replaced, when its unchanged entries are taken over
    // instead of compressed again (compressed packs only); borrowed.
    const PreviousArchive* m_previous = nullptr;
    // Entries taken over from it, and their files' bytes.
    uint32_t m_reusedEntries = 0;
    uint64_t m_reusedBytes = 0;

private:
    void Fail(const std::string& reason);
    // Compresses the input buffer's `size` bytes block by block into the
    // compressed output area. Returns false when a block was rejected.
    bool CompressBlocks(uint64_t size, std::vector<kob::BlockDescriptor>& blocks, size_t& outputLength);
    // Grows the compressed output area to at least `needed` bytes, discarding
    // its contents; false when the memory cannot be had.
    bool ReserveCompressedArea(size_t needed);
    // The record of an entry about to be written at the current position.
    ArchiveEntry NewEntry(const char* path, uint64_t size) const;
    // Writes a compressed data area; false when the archive would pass 4 GiB.
    bool WriteCompressedArea(uint64_t start, const std::vector<kob::BlockDescriptor>& blocks,
                             const std::vector<ByteRange>& pieces);
    void AppendEntry(ArchiveEntry entry, uint64_t start);

    uint64_t m_outputPosition = 0;
    std::string m_writeError;
};

// The packer of the running pack job, or nullptr. Used on the job's thread only.
ArchivePacker* CurrentPacker();
void SetCurrentPacker(std::unique_ptr<ArchivePacker> packer);
void DestroyCurrentPacker();
