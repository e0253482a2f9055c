#pragma once
// The few operating-system calls of the core and the command line, behind one
// interface: PosixPlatform.cpp on Linux, Win32Platform.cpp on Windows. No
// other file includes a system header.
//
// Paths are narrow strings: bytes on Linux, the system's ANSI code page on
// Windows (the game reads its archive names in that code page), where "\" and
// "/" both separate, and drive letters and UNC paths work. Results say what
// went wrong in `error`, a text without the path; the caller names the file.

#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace platform {

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
    std::string error; // why it could not be examined; empty when it exists or is missing
    bool exists() const { return kind != Kind::Missing; }
    bool sameFile(const FileInfo& other) const
    {
        return exists() && other.exists() && (volume | index) != 0 && volume == other.volume && index == other.index;
    }
};

// Examines `path`, following links unless `followLinks` is false (then a link
// is Kind::Link).
FileInfo statPath(const std::string& path, bool followLinks = true);

// True when `path` is a regular file that this user may execute (on Windows
// every regular file: the loader decides).
bool isExecutable(const std::string& path);

// How an open ended when it gave no file. Held: another program has the file
// open without sharing it, or locked (Windows; a save in progress).
enum class OpenProblem { None, Missing, NotRegular, Exists, Failed, Held };

// An open file; closed when destroyed. Reads and writes are binary, 64-bit
// sized, and resumed when a signal interrupts them.
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
    // Writes all of `data`; false on a failure.
    bool write(const void* data, size_t length);
    // Hands the file to a stdio stream opened with `mode` ("rb", "wb"); the
    // File is closed afterwards either way. nullptr on a failure.
    std::FILE* toStream(const char* mode);
    // A second File on the same open file (its lock or sharing included).
    File duplicate() const;
    // Closes now; false when the system reports a failure (a late write error).
    bool close();

    // The last failure's text.
    const std::string& error() const { return m_error; }

    // Opens a regular file for reading without waiting: a named pipe, a device
    // or a folder in its place (also one swapped in after a check) is
    // refused with NotRegular, and never opened where opening has effects.
    // `opened`, when given, receives info() as the open found it.
    static File openRead(const std::string& path, OpenProblem& problem, std::string& error,
                         FileInfo* opened = nullptr);
    // Creates or truncates a regular file for writing, without waiting on a
    // pipe in its place (NotRegular).
    static File openWrite(const std::string& path, OpenProblem& problem, std::string& error);
    // Creates a new file that nobody else has (Exists when the name is
    // taken) and holds it so that removeIfUnheld() of another process spares
    // it for as long as this File or a duplicate lives.
    static File createHeld(const std::string& path, OpenProblem& problem, std::string& error);

private:
    friend struct FileAccess;
    friend bool copyMode(const FileInfo& from, File& to);
    friend bool makePrivate(File& file);
    friend bool copyRange(File& from, uint64_t offset, uint64_t length, std::FILE* to, std::string& error);
    intptr_t m_handle = -1;
    mutable std::string m_error;
};

// `path` with every symbolic link of its last component followed; the target
// need not exist. Nothing when the links go round (40 hops). Windows: `path`.
std::optional<std::string> followLinks(const std::string& path);

// Gives `to` the permission bits of `from` (no set-id bits). Windows: nothing
// to give, true.
bool copyMode(const FileInfo& from, File& to);

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
// is a failure with `missing` set.
bool removeFile(const std::string& path, std::string& error, bool* missing = nullptr);

// The outcome of renameOver().
enum class RenameResult { Done, TargetBusy, Failed };

// Renames `from` over `to` and makes both lasting on disk (the folder is
// synced, or the move written through). TargetBusy: another program holds
// `to` open, which Windows does not let be replaced; `to` is then unchanged.
// `held`, the File of createHeld() on `from`, is kept for as long as the
// system allows (on Windows it is closed first). Every other file of `from`
// or `to` this process has open must be closed before.
RenameResult renameOver(const std::string& from, const std::string& to, std::string& error,
                        File* held = nullptr);

// Flushes `stream` and forces its bytes to the disk. False with `error`.
bool flushAndSync(std::FILE* stream, std::string& error);

// A seam for tests of the replacement order: called with "sync" once a
// file's bytes are on the disk (flushAndSync), "rename" just before `from` of
// renameOver() replaces its target (its held file still held) and "folder
// sync" once the rename is lasting (the folder of the target). nullptr, the
// default, calls nothing.
using DurabilityTrace = void (*)(const char* step, const std::string& path);
void SetDurabilityTrace(DurabilityTrace trace);
// Calls the installed trace; for the implementations.
void TraceDurability(const char* step, const std::string& path);

// Reads exactly `length` bytes at `offset` of the file under `stream`; safe
// from several threads at once. The stream's own position is not to be relied
// on afterwards (Windows moves it). False on a failure or a short file.
bool readAt(std::FILE* stream, uint64_t offset, void* data, size_t length);

// Appends the `length` bytes at `offset` of `from` to the stream `to`, which
// must be at its end and stays there; on Linux the system copies them without passing
// them through this process where it can. `from`'s own position is not to be
// relied on afterwards. False with `error` on a failure or a short file.
bool copyRange(File& from, uint64_t offset, uint64_t length, std::FILE* to, std::string& error);

// Moves `stream` to `offset` from its start; false on a failure.
bool seekTo(std::FILE* stream, uint64_t offset);
// The size of the file under `stream`, or nullopt.
std::optional<uint64_t> sizeOf(std::FILE* stream);
// What the file under `stream` is now; Kind::Missing with `error` on a failure.
FileInfo streamInfo(std::FILE* stream);

// One entry of a folder as the system gives it (no "." or "..").
struct FolderEntry {
    std::string name;
    // Links followed; Kind::Missing for one that leads nowhere. Taken with
    // the listing, without opening the entry: size, times, kind, volume and
    // index are those statPath() gives (`links` may be left at 1).
    FileInfo info;
    // On Windows, a name that the ANSI code page cannot spell; `name` is then
    // only fit for messages.
    bool unrepresentable = false;
};

// Lists `folder` ("" is the current one) in the system's order. False with
// `error` when it cannot be listed or the listing broke off; `code` is then
// the errno-style number (ENOENT for a missing folder).
bool listFolder(const std::string& folder, std::vector<FolderEntry>& entries, std::string& error, int& code);

// Bytes free for this user on the volume of `folder`, or nullopt.
std::optional<uint64_t> freeSpace(const std::string& folder);

// Makes the folder `path` (its parent must exist); false when it could not.
bool makeFolder(const std::string& path);

// The file system that holds `folder`, and whether a file's stamp there
// tells every change of it: the change time moves on every write and a
// file's identity stays with it (Linux: ext2/3/4, xfs, btrfs, f2fs, tmpfs,
// zfs and overlay; Windows: NTFS and ReFS on a local drive). FAT, exFAT, any
// FUSE or network file system vouches for nothing.
struct FileSystemKind {
    std::string name; // for messages; "unknown" when it could not be asked
    bool vouches = false;
};
FileSystemKind fileSystemKind(const std::string& folder);

// Makes the folder `path` for this user alone (its parent must exist).
bool makePrivateFolder(const std::string& path);
// "" when `folder` is fit for this user's private files: a folder owned by
// this user that nobody else may write to (then narrowed to this user
// alone); else why not. Windows: "" (the user's own profile).
std::string privateFolderProblem(const std::string& folder);
// Lets only the file's owner read and write it. Windows: nothing to do, true.
bool makePrivate(File& file);

// This user's cache folder for the tool: $XDG_CACHE_HOME/kobpack (default
// ~/.cache/kobpack), on Windows %LOCALAPPDATA%\KobPack\cache. It need not
// exist yet; "" when the environment names no such place.
std::string cacheFolder();

// Makes `folder` the current one; false with `error`.
bool changeFolder(const std::string& folder, std::string& error);
// The user's home folder: $HOME on Linux, %USERPROFILE% on Windows; "" when
// it is not set (or the code page cannot spell it).
std::string homeFolder();

// Calls `onInterrupt` when the user interrupts the process: Ctrl-C or SIGTERM,
// and on Windows also Ctrl-Break and closing the console window, which
// then waits (up to the system's limit) until interruptHandled() is called
// so that the batch can stop as Cancel stops it. `onInterrupt` must be
// async-signal-safe (a lock-free atomic store).
void installInterruptHandler(void (*onInterrupt)());
// Tells a waiting console-close that the process is done with its clean-up.
void interruptHandled();
// A write to a pipe whose reader went away fails instead of ending the
// process (no such signal on Windows).
void ignoreBrokenPipe();

// True when standard error is a console or terminal (the progress line is
// drawn only there); its width in columns, or 0 when unknown.
bool stderrIsConsole();
int consoleColumns();
// Lets the console of standard error act on escape sequences ("\033[K");
// true when it does (a terminal always does; a Windows console only once
// its virtual-terminal mode is on, which older ones lack).
bool enableConsoleEscapes();

// Why the path component `name` cannot be a file name on Windows: "" when it
// can. Refused: ":", "<>\"|?*", control characters, a trailing dot or space,
// and the device names CON, PRN, AUX, NUL, COM1-9, LPT1-9 with any extension.
std::string windowsNameProblem(const std::string& name);
// windowsNameProblem() on Windows; "" elsewhere, where any byte but "/" and
// NUL can be held.
std::string localNameProblem(const std::string& name);

// The errno-style text of `code`.
std::string errorText(int code);

#ifdef _WIN32
// Narrow text (the ANSI code page, in which the game reads names) as UTF-16
// and back; `exact` is false when the code page cannot spell `wide`.
std::wstring toWide(const std::string& text);
std::string toNarrow(const std::wstring& wide, bool& exact);
#endif

} // namespace platform
