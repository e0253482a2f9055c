#pragma once
// One source file as packing reads it: opened only when it is a regular file,
// never so that the open could wait (a pipe without a writer), and read whole,
// with the problems that leave it out of the archive.

#include "platform/Platform.h"
#include "source/FileStamp.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

// Why a listed file was left out of the archive; each has its own
// standard-output line (inputProblemLine), in this order.
enum class InputProblem {
    NameTooLong,     // the relative name does not fit a record
    CannotOpen,
    NotRegular,      // a named pipe, socket or device, directly or through a link
    ReadFailed,      // size unknown, or an I/O error while reading
    Changed,         // the file grew, shrank or was written to while it was read
    TooLarge,        // 4 GiB or more
    TooLargeForMemory,
    Held,            // another program kept it open without sharing it (or locked) past the retries
};

// The "ERROR! inputFile..." line for `problem` with the file's full path.
std::string inputProblemLine(InputProblem problem, const char* path);
// What the user is told of a file left out for `problem`, in plain words.
std::string skipText(InputProblem problem, const std::string& path);
// What the user is told of a held file: the archive would lack it, so it is
// not replaced.
std::string heldFileText(const std::string& path);

// How source files are opened and read: the system's way unless a test
// gives its own (a file held by another program on any system, a file that
// comes up short as one that shrank while it was read, reads counted).
// Every packing path opens and reads source files through it, on any thread.
struct SourceAccess {
    // platform::File::openRead when empty.
    std::function<platform::File(const std::string& path, platform::Error& error)> open;
    // Up to `length` bytes: the count, 0 at the end, -1 on a failure;
    // platform::File::read when empty.
    std::function<int64_t(void* buffer, size_t length, platform::File& file)> read;
    // How long a held file is tried again, in steps of `heldStep`: an
    // editor's save of a large texture takes a second or two.
    std::chrono::milliseconds heldRetry{3000};
    std::chrono::milliseconds heldStep{100};
};

class SourceFile {
public:
    SourceFile() = default;
    ~SourceFile() { close(); }
    SourceFile(const SourceFile&) = delete;
    SourceFile& operator=(const SourceFile&) = delete;

    // Opens the file at `path` and takes its size, with every check in the
    // same order for every packing path; `sourceRootLength` bytes of the path
    // are not part of the stored name. A file that another program holds is
    // tried again for a while (a save ends). Returns the problem, or nothing
    // with the file open and size() set. `access` must outlive the read.
    // `listed`, the file as the folder's listing saw it, gives the stamp the
    // volume an open does not learn cheaply (Windows), when it is that file.
    std::optional<InputProblem> open(const char* path, uint32_t sourceRootLength, const SourceAccess& access,
                                     const FileStamp* listed = nullptr);
    uint64_t size() const { return m_opened.size; }
    // The file as it was opened; readAll() holds the bytes to it.
    const FileStamp& stamp() const { return m_opened; }
    // Reads the file's size() bytes into `buffer` and closes it. Nothing when
    // exactly that many were there and no more and the file's size and times
    // are still those it was opened with, else why the bytes must not be
    // stored. Large files are read in pieces, and once `stop` is set the
    // rest is not read (the result is then ReadFailed, to be dropped).
    std::optional<InputProblem> readAll(uint8_t* buffer, const std::atomic<bool>* stop = nullptr);
    void close();

private:
    bool unchangedSinceOpen() const;

    platform::File m_file;
    const SourceAccess* m_access = nullptr;
    FileStamp m_opened; // its times tell a rewrite of the same size
};
