#include "platform/Platform.h"
#include "platform/WideText.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <windows.h>
#include <winternl.h>

namespace platform {

std::wstring toWide(const std::string& text)
{
    if (text.empty())
        return {};
    const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring wide(size_t(n > 0 ? n : 0), L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), wide.data(), n);
    return wide;
}

std::string toNarrow(const std::wstring& wide, bool& exact)
{
    exact = true;
    if (wide.empty())
        return {};
    BOOL usedDefault = FALSE;
    const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), int(wide.size()), nullptr, 0,
                                      nullptr, &usedDefault);
    std::string text(size_t(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), int(wide.size()), text.data(), n, nullptr,
                            &usedDefault);
    exact = n > 0 && !usedDefault;
    return text;
}

namespace {

// File times count 100-nanosecond steps from 1601; as nanoseconds from 1601
// they would not fit 64 bits. Nanoseconds from 1970, as on Linux, do, and
// compare with the system clock.
int64_t unixNanoseconds(int64_t fileTime)
{
    return (fileTime - 116444736000000000LL) * 100;
}

// A wide path for the API. A long one is made absolute and given the "\\?\"
// prefix, which lifts the 260-character limit where the system allows it.
std::wstring apiPath(const std::string& path)
{
    std::wstring wide = toWide(path.empty() ? "." : path);
    if (wide.size() < MAX_PATH - 12 || wide.rfind(L"\\\\?\\", 0) == 0)
        return wide;
    const DWORD n = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (n == 0)
        return wide;
    std::wstring full(n, L'\0');
    full.resize(GetFullPathNameW(wide.c_str(), n, full.data(), nullptr));
    if (full.rfind(L"\\\\", 0) == 0)
        return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

std::string systemText(DWORD code)
{
    char* buffer = nullptr;
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM
                                       | FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text = n && buffer ? std::string(buffer, n) : "system error " + std::to_string(code);
    LocalFree(buffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == '.' || text.back() == ' '))
        text.pop_back();
    return text;
}

bool isMissingError(DWORD code)
{
    return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND || code == ERROR_INVALID_NAME
           || code == ERROR_BAD_NETPATH || code == ERROR_BAD_NET_NAME;
}

Error failure(DWORD code, OpenProblem problem = OpenProblem::Failed)
{
    return {problem, int(code), systemText(code)};
}

Error lastFailure()
{
    return failure(GetLastError());
}

// An error of the C runtime, whose codes are errno's.
Error runtimeFailure(int code)
{
    return {OpenProblem::Failed, code, errorText(code)};
}

Error notRegular()
{
    return {OpenProblem::NotRegular, 0, "not a regular file"};
}

HANDLE handleOf(intptr_t handle)
{
    return reinterpret_cast<HANDLE>(handle);
}

// FileInternalInformation's record, which winternl.h leaves out: the file
// index that the folder listing gives as FileId.
struct InternalInformation {
    LARGE_INTEGER IndexNumber;
};
constexpr auto kFileInternalInformation = FILE_INFORMATION_CLASS(6);

// What can change while a file is open, from two cheap queries: kind (a
// folder or not), size, links, attributes and times. False when the handle
// has no such record (a console, a pipe, a device).
bool stateOfHandle(HANDLE h, bool linkItself, FileInfo& info)
{
    FILE_STANDARD_INFO standard{};
    FILE_BASIC_INFO basic{};
    if (!GetFileInformationByHandleEx(h, FileStandardInfo, &standard, sizeof standard)
        || !GetFileInformationByHandleEx(h, FileBasicInfo, &basic, sizeof basic))
        return false;
    if (linkItself && (basic.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        info.kind = Kind::Link;
    else
        info.kind = standard.Directory ? Kind::Directory : Kind::Regular;
    if (info.kind == Kind::Regular)
        info.size = uint64_t(standard.EndOfFile.QuadPart);
    info.links = standard.NumberOfLinks;
    info.mode = basic.FileAttributes;
    info.modified = unixNanoseconds(basic.LastWriteTime.QuadPart);
    if (basic.ChangeTime.QuadPart != 0)
        info.changed = unixNanoseconds(basic.ChangeTime.QuadPart);
    return true;
}

// The file index: the same number the folder listing gives, at the cost of
// its state, not of the volume's.
uint64_t indexOfHandle(HANDLE h)
{
    IO_STATUS_BLOCK io{};
    InternalInformation internal{};
    if (NtQueryInformationFile(h, &io, &internal, sizeof internal, kFileInternalInformation) < 0)
        return 0;
    return uint64_t(internal.IndexNumber.QuadPart);
}

// The volume's serial number. The one query that asks the volume: under Wine
// it costs as much as a few opens, so it is made once per file examined by
// name, never per file read or per entry listed.
uint64_t volumeOfHandle(HANDLE h)
{
    BY_HANDLE_FILE_INFORMATION data{};
    return GetFileInformationByHandle(h, &data) ? data.dwVolumeSerialNumber : 0;
}

// What the handle's file is; its volume only when `withVolume` (0 else).
FileInfo infoOfHandle(HANDLE h, bool linkItself, bool withVolume)
{
    FileInfo info;
    if (!stateOfHandle(h, linkItself, info) || (info.kind == Kind::Regular && GetFileType(h) != FILE_TYPE_DISK)) {
        info = {};
        info.kind = Kind::Other;
        return info;
    }
    // MinGW's st_ino is always 0: the volume serial and file index are the
    // file's identity.
    info.index = indexOfHandle(h);
    if (withVolume)
        info.volume = volumeOfHandle(h);
    return info;
}

FileInfo statWide(const std::wstring& path, bool followLinks, bool withVolume = true)
{
    const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (followLinks ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
    const HANDLE h = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, flags, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        FileInfo info;
        if (isMissingError(code))
            return info;
        // Some files (the page file) cannot be opened at all; their
        // attributes still tell what they are.
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
            info.error = failure(code);
            return info;
        }
        info.kind = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? Kind::Directory : Kind::Regular;
        if (info.kind == Kind::Regular)
            info.size = (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        return info;
    }
    FileInfo info = infoOfHandle(h, !followLinks, withVolume);
    CloseHandle(h);
    return info;
}

} // namespace

// The only way to give a File its handle from outside the class.
struct FileAccess {
    static File wrap(HANDLE h)
    {
        File file;
        file.m_handle = reinterpret_cast<intptr_t>(h);
        return file;
    }
};

namespace {

// What a name is, told without opening it where its attributes suffice: a
// folder, or a plain file. A reparse point (a link, a mount point, a socket)
// is followed by opening it. Missing also when the attributes cannot be read.
Kind kindOfWide(const std::wstring& path, bool followLinks)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return Kind::Missing;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return followLinks ? statWide(path, true, false).kind : Kind::Link;
    return attributes & FILE_ATTRIBUTE_DIRECTORY ? Kind::Directory : Kind::Regular;
}

File openRegular(const std::string& path, DWORD access, DWORD share, DWORD disposition, Error& error,
                 FileInfo* opened = nullptr)
{
    error = {};
    const std::wstring wide = apiPath(path);
    // Checked before the open too: opening some devices already has effects.
    const Kind before = kindOfWide(wide, true); // the open tells why when it cannot be read
    if (before != Kind::Missing && before != Kind::Regular) {
        error = notRegular();
        return {};
    }
    const HANDLE h = CreateFileW(wide.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        error = failure(code, code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS        ? OpenProblem::Exists
                              : isMissingError(code)                                          ? OpenProblem::Missing
                              : code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION ? OpenProblem::Held
                                                                                              : OpenProblem::Failed);
        return {};
    }
    File file = FileAccess::wrap(h);
    const FileInfo info = infoOfHandle(h, false, false);
    if (info.kind != Kind::Regular) {
        error = notRegular();
        return {};
    }
    if (opened)
        *opened = info;
    return file;
}

} // namespace

FileInfo statPath(const std::string& path, bool followLinks)
{
    return statWide(apiPath(path), followLinks);
}

Kind kindOf(const std::string& path, bool followLinks)
{
    const std::wstring wide = apiPath(path);
    const Kind kind = kindOfWide(wide, followLinks);
    // Some files (the page file) show no attributes: the slow way tells.
    return kind != Kind::Missing || isMissingError(GetLastError()) ? kind : statWide(wide, followLinks, false).kind;
}

bool isExecutable(const std::string& path)
{
    return kindOf(path) == Kind::Regular;
}

bool File::isOpen() const
{
    return handleOf(m_handle) != INVALID_HANDLE_VALUE;
}

FileInfo File::info() const
{
    return infoOfHandle(handleOf(m_handle), false, true);
}

FileInfo File::state() const
{
    FileInfo info;
    if (!stateOfHandle(handleOf(m_handle), false, info))
        info.error = m_error = lastFailure();
    return info;
}

int64_t File::read(void* data, size_t length)
{
    DWORD got = 0;
    const DWORD ask = length > 0x40000000 ? 0x40000000 : DWORD(length);
    if (!ReadFile(handleOf(m_handle), data, ask, &got, nullptr)) {
        m_error = lastFailure();
        return -1;
    }
    return got;
}

bool File::readAt(uint64_t offset, void* data, size_t length) const
{
    auto* out = static_cast<char*>(data);
    while (length > 0) {
        OVERLAPPED at{};
        at.Offset = DWORD(offset);
        at.OffsetHigh = DWORD(offset >> 32);
        DWORD got = 0;
        const DWORD ask = length > 0x40000000 ? 0x40000000 : DWORD(length);
        if (!ReadFile(handleOf(m_handle), out, ask, &got, &at) || got == 0)
            return false;
        out += got;
        offset += got;
        length -= got;
    }
    return true;
}

bool File::write(const void* data, size_t length)
{
    const auto* bytes = static_cast<const char*>(data);
    while (length > 0) {
        DWORD done = 0;
        const DWORD ask = length > 0x40000000 ? 0x40000000 : DWORD(length);
        if (!WriteFile(handleOf(m_handle), bytes, ask, &done, nullptr) || done == 0) {
            m_error = done == 0 ? Error{OpenProblem::Failed, 0, "nothing written"} : lastFailure();
            return false;
        }
        bytes += done;
        length -= done;
    }
    return true;
}

bool File::seek(uint64_t offset)
{
    LARGE_INTEGER to{};
    to.QuadPart = static_cast<LONGLONG>(offset);
    if (SetFilePointerEx(handleOf(m_handle), to, nullptr, FILE_BEGIN))
        return true;
    m_error = lastFailure();
    return false;
}

bool File::sync()
{
    if (FlushFileBuffers(handleOf(m_handle)))
        return true;
    m_error = lastFailure();
    return false;
}

File File::duplicate() const
{
    HANDLE copy = INVALID_HANDLE_VALUE;
    if (!DuplicateHandle(GetCurrentProcess(), handleOf(m_handle), GetCurrentProcess(), &copy, 0, FALSE,
                         DUPLICATE_SAME_ACCESS)) {
        m_error = lastFailure();
        return {};
    }
    return FileAccess::wrap(copy);
}

bool File::close()
{
    if (!isOpen())
        return true;
    const bool ok = CloseHandle(handleOf(m_handle)) != 0;
    m_handle = -1;
    if (!ok)
        m_error = lastFailure();
    return ok;
}

File File::openRead(const std::string& path, Error& error, FileInfo* opened)
{
    return openRegular(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING,
                       error, opened);
}

File File::openWrite(const std::string& path, Error& error)
{
    return openRegular(path, GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS, error);
}

File File::createHeld(const std::string& path, Error& error)
{
    // Without FILE_SHARE_DELETE nobody can remove or rename the file while
    // it is open: the system itself keeps it from another pack's clean-up.
    return openRegular(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, CREATE_NEW, error);
}

StaleResult removeIfUnheld(const std::string& path, const std::function<bool(File&, const FileInfo&)>& isOurs)
{
    const std::wstring wide = apiPath(path);
    const FileInfo info = statWide(wide, false);
    if (!info.exists() && !info.error)
        return StaleResult::Removed; // gone: another pack tidied up
    if (info.kind != Kind::Regular) // a link is left be
        return StaleResult::Kept;
    if (isOurs) {
        Error error;
        File file = File::openRead(path, error);
        if (error.problem == OpenProblem::Missing)
            return StaleResult::Removed;
        if (!file.isOpen() || !isOurs(file, file.info()))
            return StaleResult::Kept;
    }
    // A held file refuses the delete (sharing violation).
    if (DeleteFileW(wide.c_str()))
        return StaleResult::Removed;
    const DWORD code = GetLastError();
    if (isMissingError(code))
        return StaleResult::Removed;
    return code == ERROR_SHARING_VIOLATION || code == ERROR_ACCESS_DENIED ? StaleResult::Held : StaleResult::Kept;
}

std::optional<std::string> followLinks(const std::string& path)
{
    return path;
}

bool copyMode(const FileInfo&, File&)
{
    return true;
}

bool removeFile(const std::string& path, Error& error)
{
    if (DeleteFileW(apiPath(path).c_str()))
        return true;
    const DWORD code = GetLastError();
    error = failure(code, isMissingError(code) ? OpenProblem::Missing : OpenProblem::Failed);
    return false;
}

RenameResult renameOver(const std::string& from, const std::string& to, Error& error, File* held, bool* folderSynced)
{
    if (folderSynced)
        *folderSynced = false;
    // A held file does not share deletion, which a move needs.
    if (held)
        held->close();
    const std::wstring target = apiPath(to);
    // Windows replaces no read-only file: the mark comes off for the move and
    // goes onto the new file, or back onto the old one when the move fails.
    const DWORD attributes = GetFileAttributesW(target.c_str());
    const bool readOnly = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
    if (readOnly && !SetFileAttributesW(target.c_str(), attributes & ~DWORD(FILE_ATTRIBUTE_READONLY))) {
        error = lastFailure();
        error.text = "it is read-only, and the mark cannot be taken off: " + error.text;
        return RenameResult::Failed;
    }
    const DWORD lasting = folderSynced ? MOVEFILE_WRITE_THROUGH : 0;
    if (MoveFileExW(apiPath(from).c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | lasting)) {
        if (readOnly) {
            const DWORD now = GetFileAttributesW(target.c_str());
            SetFileAttributesW(target.c_str(), (now == INVALID_FILE_ATTRIBUTES ? 0 : now) | FILE_ATTRIBUTE_READONLY);
        }
        if (folderSynced)
            *folderSynced = true; // written through: the move is on the disk
        return RenameResult::Done;
    }
    const DWORD code = GetLastError();
    error = failure(code);
    if (readOnly)
        SetFileAttributesW(target.c_str(), attributes);
    if (code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION)
        return RenameResult::TargetBusy;
    if (code == ERROR_ACCESS_DENIED) {
        // Denied is also what a read-only file gives; only a sharing
        // violation on a delete-access open says that someone holds it.
        const HANDLE h = CreateFileW(target.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, 0, nullptr);
        const bool busy = h == INVALID_HANDLE_VALUE && GetLastError() == ERROR_SHARING_VIOLATION;
        if (h != INVALID_HANDLE_VALUE)
            CloseHandle(h);
        if (busy)
            return RenameResult::TargetBusy;
    }
    return RenameResult::Failed;
}

bool copyRange(File& from, uint64_t offset, uint64_t length, File& to, Error& error)
{
    std::vector<char> buffer(static_cast<size_t>(std::min<uint64_t>(length, 1 << 20)));
    while (length > 0) {
        OVERLAPPED at{};
        at.Offset = DWORD(offset);
        at.OffsetHigh = DWORD(offset >> 32);
        DWORD got = 0;
        if (!ReadFile(handleOf(from.m_handle), buffer.data(), DWORD(std::min<uint64_t>(length, buffer.size())), &got,
                      &at)) {
            error = lastFailure();
            return false;
        }
        if (got == 0) {
            error = {OpenProblem::Failed, 0, "the file ends early"};
            return false;
        }
        if (!to.write(buffer.data(), got)) {
            error = to.error();
            return false;
        }
        offset += got;
        length -= got;
    }
    return true;
}

namespace {

// A listing's failure carries the errno-style code on every system, with the
// system's own text.
Error listingFailure(DWORD code)
{
    const bool missing = isMissingError(code);
    return {missing ? OpenProblem::Missing : OpenProblem::Failed,
            missing ? ENOENT : code == ERROR_ACCESS_DENIED ? EACCES : EIO, systemText(code)};
}

// One entry of a folder's listing as statWide() would give it: the folder's
// record holds size, times, attributes and file id, the folder its volume.
FileInfo infoOfEntry(const FILE_ID_BOTH_DIR_INFO& data, uint64_t volume)
{
    FileInfo info;
    info.kind = (data.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? Kind::Directory : Kind::Regular;
    if (info.kind == Kind::Regular)
        info.size = uint64_t(data.EndOfFile.QuadPart);
    info.volume = volume;
    info.index = uint64_t(data.FileId.QuadPart);
    info.mode = data.FileAttributes;
    info.modified = unixNanoseconds(data.LastWriteTime.QuadPart);
    if (data.ChangeTime.QuadPart != 0)
        info.changed = unixNanoseconds(data.ChangeTime.QuadPart);
    return info;
}

} // namespace

bool listFolder(const std::string& folder, std::vector<FolderEntry>& entries, Error& error, const FileInfo* seen)
{
    entries.clear();
    const std::wstring path = apiPath(folder);
    std::wstring prefix = path;
    if (!prefix.empty() && prefix.back() != L'\\' && prefix.back() != L'/')
        prefix += L'\\';
    // The folder is opened once and read in batches through its own handle;
    // no entry is opened, except a reparse point, which is followed (links
    // followed, as statPath() does).
    const HANDLE dir = CreateFileW(path.c_str(), FILE_LIST_DIRECTORY,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (dir == INVALID_HANDLE_VALUE) {
        error = listingFailure(GetLastError());
        return false;
    }
    FileInfo self;
    if (!stateOfHandle(dir, false, self) || self.kind != Kind::Directory) {
        CloseHandle(dir);
        error = runtimeFailure(ENOTDIR);
        return false;
    }
    // Every entry that is no reparse point lies on the folder's own volume,
    // which the parent's listing knew already when this is that folder.
    uint64_t volume = 0;
    if (seen)
        volume = seen->volume != 0 && seen->index != 0 && seen->index == indexOfHandle(dir) ? seen->volume
                                                                                           : volumeOfHandle(dir);
    std::vector<uint64_t> buffer(64 * 1024 / sizeof(uint64_t)); // the records are 8-byte aligned
    while (GetFileInformationByHandleEx(dir, FileIdBothDirectoryInfo, buffer.data(),
                                        DWORD(buffer.size() * sizeof(uint64_t)))) {
        const auto* at = reinterpret_cast<const char*>(buffer.data());
        for (;;) {
            const auto& data = *reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(at);
            const std::wstring name(data.FileName, data.FileNameLength / sizeof(wchar_t));
            if (name != L"." && name != L"..") {
                FolderEntry entry;
                bool exact = true;
                entry.name = toNarrow(name, exact);
                entry.unrepresentable = !exact;
                // A file system without file ids in its listing gives 0:
                // such an entry is examined the slow way, as a reparse point.
                entry.info = (data.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) || data.FileId.QuadPart == 0
                                 ? statWide(prefix + name, true, seen != nullptr)
                                 : infoOfEntry(data, volume);
                entries.push_back(std::move(entry));
            }
            if (data.NextEntryOffset == 0)
                break;
            at += data.NextEntryOffset;
        }
    }
    const DWORD last = GetLastError();
    CloseHandle(dir);
    // A drive's root may hold nothing at all, not even "." and "..".
    if (last != ERROR_NO_MORE_FILES && last != ERROR_FILE_NOT_FOUND) {
        error = listingFailure(last);
        return false;
    }
    return true;
}

std::optional<uint64_t> freeSpace(const std::string& folder)
{
    std::wstring wide = apiPath(folder);
    // A UNC share is named with its trailing separator.
    if (wide.back() != L'\\' && wide.back() != L'/')
        wide += L'\\';
    ULARGE_INTEGER available{};
    if (!GetDiskFreeSpaceExW(wide.c_str(), &available, nullptr, nullptr))
        return std::nullopt;
    return static_cast<uint64_t>(available.QuadPart);
}

bool makeFolder(const std::string& path, Error& error)
{
    if (CreateDirectoryW(apiPath(path).c_str(), nullptr))
        return true;
    const DWORD code = GetLastError();
    error = failure(code, code == ERROR_ALREADY_EXISTS ? OpenProblem::Exists : OpenProblem::Failed);
    return false;
}

FileSystemKind fileSystemKind(const std::string& folder)
{
    wchar_t root[MAX_PATH + 1];
    if (!GetVolumePathNameW(apiPath(folder.empty() ? "." : folder).c_str(), root, MAX_PATH + 1))
        return {"unknown (" + lastFailure().text + ")", false};
    wchar_t name[MAX_PATH + 1] = {};
    if (!GetVolumeInformationW(root, nullptr, 0, nullptr, nullptr, nullptr, name, MAX_PATH + 1))
        return {"unknown (" + lastFailure().text + ")", false};
    bool exact = false;
    const std::string text = toNarrow(name, exact);
    // A network drive's times are the server's, seen through a cache.
    const UINT drive = GetDriveTypeW(root);
    if (drive != DRIVE_FIXED)
        return {text + (drive == DRIVE_REMOTE ? " on a network drive" : " on a removable drive"), false};
    return {text, text == "NTFS" || text == "ReFS"};
}

bool makePrivateFolder(const std::string& path)
{
    Error ignored;
    return makeFolder(path, ignored);
}

std::string privateFolderProblem(const std::string&)
{
    return "";
}

bool makePrivate(File&)
{
    return true;
}

std::string cacheFolder()
{
    const wchar_t* local = _wgetenv(L"LOCALAPPDATA");
    bool exact = false;
    const std::string folder = local && *local ? toNarrow(local, exact) : std::string();
    return exact ? folder + "\\KobPack\\cache" : std::string();
}

bool changeFolder(const std::string& folder, Error& error)
{
    if (SetCurrentDirectoryW(toWide(folder).c_str()))
        return true;
    error = lastFailure();
    return false;
}

std::string currentFolder()
{
    const DWORD n = GetCurrentDirectoryW(0, nullptr);
    std::wstring wide(n, L'\0');
    if (n == 0 || GetCurrentDirectoryW(n, wide.data()) != n - 1)
        return {};
    wide.resize(n - 1);
    bool exact = false;
    const std::string text = toNarrow(wide, exact);
    return exact ? text : std::string();
}

std::string absolutePath(const std::string& path)
{
    const std::wstring wide = toWide(path.empty() ? "." : path);
    const DWORD n = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    std::wstring full(n, L'\0');
    if (n == 0 || GetFullPathNameW(wide.c_str(), n, full.data(), nullptr) != n - 1)
        return path;
    full.resize(n - 1);
    bool exact = false;
    const std::string text = toNarrow(full, exact);
    return exact ? text : path;
}

std::optional<std::string> canonicalPath(const std::string& path, Error& error)
{
    const HANDLE h = CreateFileW(apiPath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        error = failure(code, isMissingError(code) ? OpenProblem::Missing : OpenProblem::Failed);
        return std::nullopt;
    }
    const DWORD n = GetFinalPathNameByHandleW(h, nullptr, 0, FILE_NAME_NORMALIZED);
    std::wstring wide(n, L'\0');
    const bool got = n != 0 && GetFinalPathNameByHandleW(h, wide.data(), n, FILE_NAME_NORMALIZED) == n - 1;
    if (!got)
        error = lastFailure();
    CloseHandle(h);
    if (!got)
        return std::nullopt;
    wide.resize(n - 1);
    // The system's own prefix goes: "\\?\C:\x" is "C:\x", "\\?\UNC\s\x" is "\\s\x".
    if (wide.rfind(L"\\\\?\\UNC\\", 0) == 0)
        wide = L"\\" + wide.substr(7);
    else if (wide.rfind(L"\\\\?\\", 0) == 0)
        wide = wide.substr(4);
    bool exact = false;
    std::string text = toNarrow(wide, exact);
    if (!exact) {
        error = {OpenProblem::Failed, 0, "the code page cannot spell its name"};
        return std::nullopt;
    }
    return text;
}

bool isFolder(const std::string& path)
{
    return kindOf(path) == Kind::Directory;
}

namespace {

// The value of the environment variable `name`; nothing when it is not set
// or the code page cannot spell it.
std::optional<std::string> environment(const std::string& name)
{
    const std::wstring key = toWide(name);
    const DWORD n = GetEnvironmentVariableW(key.c_str(), nullptr, 0);
    std::wstring wide(n, L'\0');
    if (n == 0 || GetEnvironmentVariableW(key.c_str(), wide.data(), n) != n - 1)
        return std::nullopt;
    wide.resize(n - 1);
    bool exact = false;
    std::string text = toNarrow(wide, exact);
    return exact ? std::optional<std::string>(std::move(text)) : std::nullopt;
}

} // namespace

std::string homeFolder()
{
    return environment("USERPROFILE").value_or("");
}

bool windowsNames()
{
    return true;
}

namespace {

void (*g_onInterrupt)() = nullptr;
HANDLE g_handled = nullptr;

BOOL WINAPI onConsoleEvent(DWORD event)
{
    if (g_onInterrupt)
        g_onInterrupt();
    // The system ends the process as soon as this returns from a close,
    // log-off or shut-down: wait for the batch to stop as Cancel stops it
    // (the system gives some five seconds).
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT)
        WaitForSingleObject(g_handled, 4500);
    return TRUE;
}

} // namespace

void installInterruptHandler(void (*onInterrupt)())
{
    g_onInterrupt = onInterrupt;
    if (!g_handled)
        g_handled = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

void interruptHandled()
{
    if (g_handled)
        SetEvent(g_handled);
}

void ignoreBrokenPipe()
{
}

bool startsWindowsPrograms()
{
    return true;
}

bool stderrIsConsole()
{
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

#ifndef ENABLE_VIRTUAL_TERMINAL_PROCESSING
#define ENABLE_VIRTUAL_TERMINAL_PROCESSING 0x0004
#endif

bool enableConsoleEscapes()
{
    const HANDLE console = GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    if (!GetConsoleMode(console, &mode))
        return false;
    if (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING)
        return true;
    return SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

int consoleColumns()
{
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!GetConsoleScreenBufferInfo(GetStdHandle(STD_ERROR_HANDLE), &info))
        return 0;
    return info.srWindow.Right - info.srWindow.Left + 1;
}

} // namespace platform
