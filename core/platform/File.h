#pragma once
// Files through the system: one handle type, one error type. PosixPlatform.cpp
// on Linux, Win32Platform.cpp on Windows.
//
// Paths are narrow strings: bytes on Linux, the system's ANSI code page on
// Windows (the game reads its archive names in that code page), where "\" and
// "/" both separate, and drive letters and UNC paths work. An Error says what
// went wrong without the path; the caller names the file.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace platform {

// How a call ended when it did not do what was asked. Held: another program
// has the file open without sharing it, or locked (Windows; a save in
// progress).
enum class OpenProblem { None, Missing, NotRegular, Exists, Failed, Held };

// What went wrong: its kind, the system's own code (errno on Linux, the
// system error code on Windows; 0 when the system reported none) and the
// system's text for it. Empty when nothing did.
struct Error {
    OpenProblem problem = OpenProblem::None;
    int code = 0;
    std::string text;

    explicit operator bool() const { return problem != OpenProblem::None; }
};

// The errno-style text of `code`.
std::string errorText(int code);

enum class Kind { Missing, Regular, Directory, Link, Other };

// What a file is. `volume` and `index` identify it (device and inode, or the
// volume serial and file index): equal pairs are the same file; 0/0 unknown.
struct FileInfo {
    Kind kind = Kind::Missing;
    uint64_t size = 0;
    uint64_t volume = 0;
    uint64_t index = 0;
    uint64_t links = 1;    // hard links to it (Windows: the link count of its record)
    uint32_t mode = 0;     // permission bits & 0777 (Windows: its attributes)
    int64_t modified = 0;  // last write, nanoseconds
    int64_t changed = 0;   // last status change, nanoseconds (Windows: ChangeTime)
    Error error; // why it could not be examined; empty when it exists or is missing
    bool exists() const { return kind != Kind::Missing; }
    bool sameFile(const FileInfo& other) const
    {
        return exists() && other.exists() && (volume | index) != 0 && volume == other.volume && index == other.index;
    }
};

// Examines `path`, following links unless `followLinks` is false (then a link
// is Kind::Link).
FileInfo statPath(const std::string& path, bool followLinks = true);

// What `path` is, as statPath() tells it, where nothing else is needed: on
// Windows from its attributes, without opening it or asking its volume.
Kind kindOf(const std::string& path, bool followLinks = true);

// True when `path` is a regular file that this user may execute (on Windows
// every regular file: the loader decides).
bool isExecutable(const std::string& path);

// An open file; closed when destroyed. Reads and writes are binary, 64-bit
// sized, unbuffered, and resumed when a signal interrupts them.
class File {
public:
    File() = default;
    ~File();
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    bool isOpen() const;
    FileInfo info() const;
    // What can change while the file is open: kind, size, times, attributes;
    // without its identity (volume and index 0), which on Windows costs a
    // slow query of its own.
    FileInfo state() const;
    // Reads up to `length` bytes at the current position; the count, 0 at the
    // end, -1 on a failure.
    int64_t read(void* data, size_t length);
    // Reads up to `length` bytes, fewer only at the end; the count, -1 on a
    // failure.
    int64_t readFully(void* data, size_t length);
    // Reads exactly `length` bytes at `offset`; safe from several threads at
    // once, so it leaves error() alone. The position is not to be relied on
    // afterwards (Windows moves it). False on a failure or a short file.
    bool readAt(uint64_t offset, void* data, size_t length) const;
    // Writes all of `data` at the current position; false on a failure.
    bool write(const void* data, size_t length);
    // Moves the position to `offset` from the start; false on a failure.
    bool seek(uint64_t offset);
    // Forces the file's bytes to the disk; false on a failure.
    bool sync();
    // A second File on the same open file (its lock or sharing included).
    File duplicate() const;
    // Closes now; false when the system reports a failure (a late write error).
    bool close();

    // The last failure.
    const Error& error() const { return m_error; }

    // Opens a regular file for reading without waiting: a named pipe, a device
    // or a folder in its place (also one swapped in after a check) is
    // refused with NotRegular, and never opened where opening has effects.
    // `opened`, when given, receives info() as the open found it, but
    // without the volume on Windows (0 there: the one slow query, which the
    // folder's listing answers once for all its files).
    static File openRead(const std::string& path, Error& error, FileInfo* opened = nullptr);
    // Creates or truncates a regular file for writing, without waiting on a
    // pipe in its place (NotRegular).
    static File openWrite(const std::string& path, Error& error);
    // Creates a new file that nobody else has (Exists when the name is
    // taken) and holds it so that removeIfUnheld() of another process spares
    // it for as long as this File or a duplicate lives.
    static File createHeld(const std::string& path, Error& error);

private:
    friend struct FileAccess;
    friend bool copyMode(const FileInfo& from, File& to);
    friend bool makePrivate(File& file);
    friend bool copyRange(File& from, uint64_t offset, uint64_t length, File& to, Error& error);
    intptr_t m_handle = -1;
    mutable Error m_error;
};

// `path` with every symbolic link of its last component followed; the target
// need not exist. Nothing when the links go round (40 hops). Windows: `path`.
std::optional<std::string> followLinks(const std::string& path);

// Gives `to` the permission bits of `from` (no set-id bits). Windows: nothing
// to give, true.
bool copyMode(const FileInfo& from, File& to);
// Lets only the file's owner read and write it. Windows: nothing to do, true.
bool makePrivate(File& file);

// Appends the `length` bytes at `offset` of `from` to `to` at its position,
// which moves on past them; on Linux the system copies them without passing
// them through this process where it can. `from`'s own position is not to be
// relied on afterwards. False with `error` on a failure or a short file.
bool copyRange(File& from, uint64_t offset, uint64_t length, File& to, Error& error);

// What removeIfUnheld() did.
enum class StaleResult { Removed, Held, Kept };

// Removes `path` when it is a regular file that no File of createHeld() holds
// (left by a process that was killed) and `isOurs`, given the file opened for
// reading at its start and its info, accepts it. Held: a running pack has it;
// Kept: it is no such file (or could not be examined). A file that is gone
// already counts as Removed.
StaleResult removeIfUnheld(const std::string& path,
                           const std::function<bool(File&, const FileInfo&)>& isOurs = {});

// Removes the file `path`. False with `error` set on a failure; a missing file
// is a failure of kind Missing.
bool removeFile(const std::string& path, Error& error);

// The outcome of renameOver().
enum class RenameResult { Done, TargetBusy, Failed };

// Renames `from` over `to`. With `folderSynced` given, the rename is also made
// lasting on disk where it can be (the folder is synced, or the move written
// through), and `folderSynced` tells whether it was. TargetBusy: another
// program holds `to` open, which Windows does not let be replaced; `to` is
// then unchanged. `held`, the File of createHeld() on `from`, is kept for as
// long as the system allows (on Windows it is closed first). Every other file
// of `from` or `to` this process has open must be closed before.
RenameResult renameOver(const std::string& from, const std::string& to, Error& error, File* held = nullptr,
                        bool* folderSynced = nullptr);

} // namespace platform
