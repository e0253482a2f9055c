// kobpack-floor: the benchmark's floor. It packs the same folders into the
// same archives as `kobpack pack` with the fewest system calls the job
// allows, so that kobpack's time can be read against it: one walk of each
// folder (readdir and one fstatat per entry; FindFirstFileExW on Windows), one
// open, read and close per file, LZO1X-999 over 32 KiB blocks on N threads,
// and each archive written to a temporary file, synced and renamed over the
// old one. It knows only what the sample mod needs (no links, no skips, no
// names the code page cannot spell), and its archives must be byte for byte
// kobpack's, or it measures another job.
//
//   kobpack-floor [-c] [-j N] [--stat] -C ARCHIVES NAME...
//   kobpack-floor --changed FILE -C ARCHIVES NAME...
//   kobpack-floor --list|--verify -C ARCHIVES NAME...
//     -c         compress (the folders sound and music stay plain, as in a batch)
//     --stat     walk and examine every file only: the floor of a repack that
//                finds nothing changed
//     --changed  the floor of a plain repack after FILE (NAME/..., rewritten at
//                its size) changed: walk and examine every file, read FILE,
//                and write its archive once: the old one with FILE's bytes put
//                in, synced and renamed over it
//     --list     read each archive's index and print kobpack's table of it
//     --verify   read each archive whole and decompress every block
#include "format/ArchiveFormat.h"

#include <lzo/lzo1x.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

struct Source {
    std::string path; // as opened
    std::string name; // below the packed folder, "/"-separated
    uint64_t size = 0;
};

struct Listed {
    std::string name;
    bool folder = false;
    uint64_t size = 0;
};

[[noreturn]] void fail(const std::string& what)
{
    std::fprintf(stderr, "kobpack-floor: %s\n", what.c_str());
    std::exit(1);
}

// Byte order with ASCII letters folded to upper case, ties by the bytes.
bool listingLess(const std::string& a, const std::string& b)
{
    const auto fold = [](unsigned char c) { return c >= 'a' && c <= 'z' ? c - 32 : c; };
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i)
        if (fold(a[i]) != fold(b[i]))
            return fold(a[i]) < fold(b[i]);
    return a.size() != b.size() ? a.size() < b.size() : a < b;
}

#ifdef _WIN32
std::wstring wide(const std::string& text)
{
    std::wstring out(text.size(), L'\0');
    out.resize(MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), out.data(), int(out.size())));
    return out;
}

std::string narrow(const wchar_t* text)
{
    const int n = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(size_t(n > 0 ? n - 1 : 0), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, -1, out.data(), n, nullptr, nullptr);
    return out;
}

std::vector<Listed> list(const std::string& folder)
{
    std::vector<Listed> found;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileExW(wide(folder + "\\*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                   nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE)
        fail("cannot list " + folder);
    do {
        if (!std::wcscmp(data.cFileName, L".") || !std::wcscmp(data.cFileName, L".."))
            continue;
        found.push_back({narrow(data.cFileName), (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                         (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow});
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return found;
}

void readWhole(const Source& source, uint8_t* into)
{
    HANDLE file = CreateFileW(wide(source.path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        fail("cannot open " + source.path);
    uint64_t done = 0;
    while (done < source.size) {
        DWORD got = 0;
        const DWORD want = DWORD(std::min<uint64_t>(source.size - done, 1u << 30));
        if (!ReadFile(file, into + done, want, &got, nullptr) || got == 0)
            fail("cannot read " + source.path);
        done += got;
    }
    CloseHandle(file);
}

void writeAndRename(const std::string& archive, const std::vector<uint8_t>& bytes)
{
    const std::string temporary = archive + ".floor-tmp";
    HANDLE file = CreateFileW(wide(temporary).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD wrote = 0;
    if (file == INVALID_HANDLE_VALUE || !WriteFile(file, bytes.data(), DWORD(bytes.size()), &wrote, nullptr)
        || wrote != bytes.size() || !FlushFileBuffers(file) || !CloseHandle(file))
        fail("cannot write " + temporary);
    if (!MoveFileExW(wide(temporary).c_str(), wide(archive).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        fail("cannot rename " + temporary);
}
#else
std::vector<Listed> list(const std::string& folder)
{
    std::vector<Listed> found;
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        fail("cannot list " + folder);
    while (const dirent* entry = readdir(dir)) {
        if (!std::strcmp(entry->d_name, ".") || !std::strcmp(entry->d_name, ".."))
            continue;
        struct stat st;
        if (fstatat(dirfd(dir), entry->d_name, &st, 0) != 0)
            fail("cannot examine " + folder + "/" + entry->d_name);
        found.push_back({entry->d_name, S_ISDIR(st.st_mode), uint64_t(st.st_size)});
    }
    closedir(dir);
    return found;
}

void readWhole(const Source& source, uint8_t* into)
{
    const int fd = open(source.path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        fail("cannot open " + source.path);
    uint64_t done = 0;
    while (done < source.size) {
        const ssize_t got = read(fd, into + done, source.size - done);
        if (got <= 0)
            fail("cannot read " + source.path);
        done += uint64_t(got);
    }
    close(fd);
}

void writeAndRename(const std::string& archive, const std::vector<uint8_t>& bytes)
{
    const std::string temporary = archive + ".floor-tmp";
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0 || write(fd, bytes.data(), bytes.size()) != ssize_t(bytes.size()) || fsync(fd) != 0 || close(fd) != 0)
        fail("cannot write " + temporary);
    if (rename(temporary.c_str(), archive.c_str()) != 0)
        fail("cannot rename " + temporary);
    const size_t slash = archive.find_last_of('/');
    const int folder = open(slash == std::string::npos ? "." : archive.substr(0, slash).c_str(), O_RDONLY | O_DIRECTORY);
    if (folder >= 0)
        fsync(folder), close(folder);
}
#endif

// The files of `folder`, then each subfolder's, each in listing order: the
// packer's order.
void walk(const std::string& folder, const std::string& below, std::vector<Source>& files)
{
    std::vector<Listed> entries = list(folder);
    std::sort(entries.begin(), entries.end(), [](const Listed& a, const Listed& b) { return listingLess(a.name, b.name); });
    for (const Listed& entry : entries)
        if (!entry.folder)
            files.push_back({folder + "/" + entry.name, below + entry.name, entry.size});
    for (const Listed& entry : entries)
        if (entry.folder)
            walk(folder + "/" + entry.name, below + entry.name + "/", files);
}

std::vector<uint8_t> readArchive(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file || std::fseek(file, 0, SEEK_END) != 0)
        fail("cannot open " + path);
    std::vector<uint8_t> bytes(size_t(std::ftell(file)));
    std::rewind(file);
    if (std::fread(bytes.data(), 1, bytes.size(), file) != bytes.size())
        fail("cannot read " + path);
    std::fclose(file);
    return bytes;
}

uint32_t word(const std::vector<uint8_t>& bytes, size_t at)
{
    if (at + 4 > bytes.size())
        fail("archive cut short");
    return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16
           | uint32_t(bytes[at + 3]) << 24;
}

struct Entry {
    std::string name;
    uint32_t stored, size, offset;
};

std::vector<Entry> entriesOf(const std::vector<uint8_t>& bytes, size_t index)
{
    std::vector<Entry> entries(word(bytes, index));
    size_t at = index + 4;
    for (Entry& entry : entries) {
        const uint32_t length = word(bytes, at);
        if (at + 4 + length > bytes.size())
            fail("archive cut short");
        entry.name.assign(reinterpret_cast<const char*>(bytes.data()) + at + 4, length);
        at += 4 + length;
        entry.stored = word(bytes, at), entry.size = word(bytes, at + 4), entry.offset = word(bytes, at + 8);
        at += 12 + sizeof kob::kRecordTail;
    }
    return entries;
}

// Only the header and the index are read, and the same table as `kobpack
// list` printed.
void listArchive(const std::string& path, bool first)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    uint8_t head[8];
    if (!file || std::fread(head, 1, 8, file) != 8)
        fail("cannot read " + path);
    const std::vector<uint8_t> header(head, head + 8);
    std::vector<uint8_t> bytes, chunk(1 << 16);
    if (std::fseek(file, long(word(header, 0)), SEEK_SET) != 0)
        fail("cannot read " + path);
    for (size_t got; (got = std::fread(chunk.data(), 1, chunk.size(), file)) > 0;)
        bytes.insert(bytes.end(), chunk.begin(), chunk.begin() + long(got));
    std::fclose(file);
    if (!first)
        std::printf("\n");
    std::printf("%s: %s\n", path.c_str(), word(header, 4) == 1 ? "compressed" : "plain");
    std::printf("%10s %10s %10s  %s\n", "stored", "size", "offset", "name");
    uint64_t stored = 0, size = 0;
    const std::vector<Entry> entries = entriesOf(bytes, 0);
    for (const Entry& entry : entries) {
        std::printf("%10u %10u %10u  %s\n", entry.stored, entry.size, entry.offset, entry.name.c_str());
        stored += entry.stored, size += entry.size;
    }
    std::printf("%10llu %10llu %10s  total, %zu entries\n", static_cast<unsigned long long>(stored),
                static_cast<unsigned long long>(size), "", entries.size());
}

void verifyArchive(const std::string& path)
{
    const std::vector<uint8_t> bytes = readArchive(path);
    if (word(bytes, 4) != 1)
        return; // plain: reading it was the work
    std::vector<uint8_t> block(kob::kBlockLength);
    for (const Entry& entry : entriesOf(bytes, word(bytes, 0))) {
        if (entry.size == 0)
            continue;
        const uint32_t count = word(bytes, entry.offset);
        const size_t data = entry.offset + 4 + 12 * size_t(count);
        for (uint32_t b = 0; b < count; ++b) {
            const size_t at = entry.offset + 4 + 12 * size_t(b);
            const uint32_t packed = word(bytes, at), length = word(bytes, at + 4), from = word(bytes, at + 8);
            lzo_uint out = block.size();
            if (data + from + packed > bytes.size()
                || lzo1x_decompress_safe(bytes.data() + data + from, packed, block.data(), &out, nullptr) != LZO_E_OK
                || out != length)
                fail("bad block in " + path);
        }
    }
}

void repackChanged(const std::string& archives, const std::string& name, const std::string& changed)
{
    const std::string archive = archives + "/" + name + ".kob";
    std::vector<uint8_t> bytes = readArchive(archive);
    if (word(bytes, 4) != 0)
        fail("--changed takes a plain archive");
    for (const Entry& entry : entriesOf(bytes, word(bytes, 0)))
        if (entry.name == changed) {
            readWhole({archives + "/../" + changed, changed, entry.size}, bytes.data() + entry.offset);
            writeAndRename(archive, bytes);
            return;
        }
    fail("no entry " + changed);
}

void put(std::vector<uint8_t>& out, uint32_t word)
{
    const uint8_t bytes[4] = {uint8_t(word), uint8_t(word >> 8), uint8_t(word >> 16), uint8_t(word >> 24)};
    out.insert(out.end(), bytes, bytes + 4);
}

struct Block {
    uint32_t file, offset, length;
    std::vector<uint8_t> packed;
};

void pack(const std::string& archives, const std::string& name, bool compress, unsigned threads)
{
    std::vector<Source> files;
    walk(archives + "/../" + name, "", files);
    std::vector<std::unique_ptr<uint8_t[]>> contents;
    for (const Source& source : files) {
        contents.emplace_back(new uint8_t[source.size + 1]);
        readWhole(source, contents.back().get());
    }

    std::vector<Block> blocks;
    std::vector<size_t> firstBlock;
    for (uint32_t f = 0; f < files.size(); ++f) {
        firstBlock.push_back(blocks.size());
        for (uint64_t at = 0; compress && at < files[f].size; at += kob::kBlockLength)
            blocks.push_back({f, uint32_t(at), uint32_t(std::min<uint64_t>(kob::kBlockLength, files[f].size - at)), {}});
    }
    firstBlock.push_back(blocks.size());
    std::atomic<size_t> next{0};
    const auto work = [&] {
        std::vector<uint8_t> memory(LZO1X_999_MEM_COMPRESS);
        for (size_t b; (b = next++) < blocks.size();) {
            Block& block = blocks[b];
            block.packed.resize(block.length + block.length / 16 + 64 + 3);
            lzo_uint length = 0;
            lzo1x_999_compress(contents[block.file].get() + block.offset, block.length, block.packed.data(), &length,
                               memory.data());
            block.packed.resize(length);
        }
    };
    std::vector<std::thread> pool;
    for (unsigned t = 1; t < threads; ++t)
        pool.emplace_back(work);
    work();
    for (std::thread& thread : pool)
        thread.join();

    std::vector<uint8_t> out(8);
    out.insert(out.end(), kob::kHeaderBlock, kob::kHeaderBlock + kob::kHeaderBlockSize);
    std::vector<uint32_t> offsets, stored;
    for (uint32_t f = 0; f < files.size(); ++f) {
        offsets.push_back(uint32_t(out.size()));
        const uint8_t* data = contents[f].get();
        if (!compress)
            out.insert(out.end(), data, data + files[f].size);
        else if (files[f].size == 0)
            out.insert(out.end(), kob::kEmptyEntryBlock, kob::kEmptyEntryBlock + sizeof kob::kEmptyEntryBlock);
        else {
            put(out, uint32_t(firstBlock[f + 1] - firstBlock[f]));
            uint32_t at = 0;
            for (size_t b = firstBlock[f]; b < firstBlock[f + 1]; at += uint32_t(blocks[b++].packed.size()))
                put(out, uint32_t(blocks[b].packed.size())), put(out, blocks[b].length), put(out, at);
            for (size_t b = firstBlock[f]; b < firstBlock[f + 1]; ++b)
                out.insert(out.end(), blocks[b].packed.begin(), blocks[b].packed.end());
        }
        stored.push_back(uint32_t(out.size()) - offsets.back());
    }
    const uint32_t index = uint32_t(out.size());
    put(out, uint32_t(files.size()));
    for (uint32_t f = 0; f < files.size(); ++f) {
        const std::string entry = name + "/" + files[f].name;
        put(out, uint32_t(entry.size()));
        out.insert(out.end(), entry.begin(), entry.end());
        put(out, stored[f]), put(out, uint32_t(files[f].size)), put(out, offsets[f]);
        out.insert(out.end(), kob::kRecordTail, kob::kRecordTail + sizeof kob::kRecordTail);
    }
    put(out, 0);
    std::vector<uint8_t> words;
    put(words, index), put(words, compress ? 1 : 0);
    std::copy(words.begin(), words.end(), out.begin());
    writeAndRename(archives + "/" + name + ".kob", out);
}

} // namespace

int main(int argc, char** argv)
{
    bool compress = false, statOnly = false, listOnly = false, verify = false;
    std::string changed;
    unsigned threads = std::max(1u, std::thread::hardware_concurrency());
    std::string archives;
    std::vector<std::string> names;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-c")
            compress = true;
        else if (arg == "--stat")
            statOnly = true;
        else if (arg == "--list")
            listOnly = true;
        else if (arg == "--verify")
            verify = true;
        else if (arg == "--changed" && i + 1 < argc)
            changed = argv[++i];
        else if (arg == "-j" && i + 1 < argc)
            threads = unsigned(std::max(1, std::atoi(argv[++i])));
        else if (arg == "-C" && i + 1 < argc)
            archives = argv[++i];
        else
            names.push_back(arg);
    }
    if (archives.empty() || names.empty() || lzo_init() != LZO_E_OK)
        fail("usage: kobpack-floor [-c] [-j N] [--stat | --changed FILE | --list | --verify] -C ARCHIVES NAME...");
    // Output in large writes, as kobpack's listing.
    std::setvbuf(stdout, nullptr, _IOFBF, size_t(1) << 16);
    for (const std::string& name : names) {
        if (listOnly) {
            listArchive(archives + "/" + name + ".kob", &name == &names.front());
            continue;
        }
        if (verify) {
            verifyArchive(archives + "/" + name + ".kob");
            continue;
        }
        if (statOnly || !changed.empty()) {
            std::vector<Source> files;
            walk(archives + "/../" + name, "", files);
            continue;
        }
        std::string lower = name;
        for (char& c : lower)
            c = char(std::tolower(static_cast<unsigned char>(c)));
        pack(archives, name, compress && lower != "sound" && lower != "music", threads);
    }
    for (const std::string& name : names)
        if (!changed.empty() && changed.rfind(name + "/", 0) == 0)
            repackChanged(archives, name, changed);
    return 0;
}
