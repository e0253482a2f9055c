#pragma once
// Folders through the system: listing, making, the current one, the user's
// own, and what the volume under them is.

#include "platform/File.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// One entry of a folder as the system gives it (no "." or "..").
struct FolderEntry {
    std::string name;
    // Links followed; Kind::Missing for one that leads nowhere. Taken with
    // the listing, without opening the entry: size, times, kind, volume (but
    // see listFolder()) and index are those statPath() gives (`links` may be
    // left at 1).
    FileInfo info;
    // On Windows, a name that the ANSI code page cannot spell; `name` is then
    // only fit for messages.
    bool unrepresentable = false;
};

// Lists `folder` ("" is the current one) in the system's order. False with
// `error` when it cannot be listed or the listing broke off; its `code` is
// then the errno-style number (ENOENT for a missing folder) on every system.
// `seen`, when given, is the folder as its parent's listing or statPath()
// saw it. On Windows the entries' volume is asked only then (else 0), and
// taken from `seen` when its file index is the folder's: the volume is the
// one slow query, and a walk needs it once, not once per folder.
bool listFolder(const std::string& folder, std::vector<FolderEntry>& entries, Error& error,
                const FileInfo* seen = nullptr);

// True when `path` is a folder (links followed).
bool isFolder(const std::string& path);
// Makes the folder `path` (its parent must exist); false with `error` when
// it could not.
bool makeFolder(const std::string& path, Error& error);
// Makes the folder `path` and any of its parents that are missing; true when
// it is a folder afterwards, else false with `error`.
bool makeFolders(const std::string& path, Error& error);
// Makes the folder `path` for this user alone (its parent must exist).
bool makePrivateFolder(const std::string& path);
// "" when `folder` is fit for this user's private files: a folder owned by
// this user that nobody else may write to (then narrowed to this user
// alone); else why not. Windows: "" (the user's own profile).
std::string privateFolderProblem(const std::string& folder);

// The current folder, absolute; "" when it cannot be told.
std::string currentFolder();
// Makes `folder` the current one; false with `error`.
bool changeFolder(const std::string& folder, Error& error);
// `path` made absolute against the current folder, its "." and ".."
// resolved as text (links are not followed); `path` itself when it is
// absolute already or the current folder cannot be told.
std::string absolutePath(const std::string& path);

// `path` absolute with every link followed and every "." and ".." resolved;
// nothing with `error` when some part of it does not exist or cannot be
// examined.
std::optional<std::string> canonicalPath(const std::string& path, Error& error);

// `path` as canonicalPath() resolves it, or, where it does not exist, as
// absolutePath() spells it.
std::string resolvedPath(const std::string& path);

// Bytes free for this user on the volume of `folder`, or nullopt.
std::optional<uint64_t> freeSpace(const std::string& folder);

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

// This user's cache folder for the tool: $XDG_CACHE_HOME/kobpack (default
// ~/.cache/kobpack), on Windows %LOCALAPPDATA%\KobPack\cache. It need not
// exist yet; "" when the environment names no such place.
std::string cacheFolder();
// The user's home folder: $HOME on Linux, %USERPROFILE% on Windows; "" when
// it is not set (or the code page cannot spell it).
std::string homeFolder();
// True where file names follow the Windows rules (the names a Windows
// folder cannot hold are refused before they are written).
bool windowsNames();

} // namespace platform
