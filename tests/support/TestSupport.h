#pragma once
// Helpers shared by the tests: temporary mod trees, recording doubles, file bytes.

#include "game/Launcher.h"
#include "pack/PackControls.h"
#include "pack/PackJob.h"

#include <atomic>
#include <cstdint>
#include <optional>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace kobtest {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

void writeFile(const fs::path& path, const std::string& content);

// A fresh temporary folder, removed with all it holds when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir() { fs::remove_all(m_path, m_error); }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const fs::path& path() const { return m_path; }

private:
    fs::path m_path;
    std::error_code m_error;
};

// Points the cache folder that packs keep their records in at `folder` for
// the object's lifetime (children started meanwhile inherit it). Every test
// program starts with one in a temporary folder of its own.
class CacheFolder {
public:
    explicit CacheFolder(const fs::path& folder);
    ~CacheFolder();
    CacheFolder(const CacheFolder&) = delete;
    CacheFolder& operator=(const CacheFolder&) = delete;

private:
    std::string m_previous;
    bool m_wasSet = false;
};

// A file-system clock 10 s ahead: every file a pack looks at counts as
// settled (its times older than a record's by more than the 2 s the records
// allow).
std::optional<int64_t> settledClock(const std::string& archivePath);

// The context every pack of packFolder() gets; a test sets what it needs
// and restores it (resetContext()).
kob::PackContext& testContext();
void resetContext();

// The Cancel that packFolder() watches; cleared before and after each pack.
extern std::atomic<int> testCancel;

// A file at `path` that is listed but cannot be opened, even by root: a link
// that leads nowhere, or on Windows (where MinGW makes no links, and a file
// held by another program is waited for instead) a file whose opening for
// packing fails through testContext(), for as long as this object lives (one
// at a time).
class UnopenableFile {
public:
    explicit UnopenableFile(const fs::path& path);
    ~UnopenableFile();
    UnopenableFile(const UnopenableFile&) = delete;
    UnopenableFile& operator=(const UnopenableFile&) = delete;

private:
    fs::path m_path;
};

// A mod at top()/`modPath` (top() stands for the game root) whose Archives
// folder is the current directory for the object's lifetime.
class ModTree {
public:
    explicit ModTree(const std::string& modPath = "mod");
    ~ModTree() { fs::current_path(m_previous, m_error); }
    fs::path top() const { return m_dir.path(); }
    std::string canonicalTop() const { return fs::canonical(top()).string(); }
    fs::path root() const { return top() / m_modPath; }
    fs::path archives() const { return root() / "Archives"; }
    void file(const std::string& rel, const std::string& content = "") const { writeFile(root() / rel, content); }
    void folder(const std::string& relative) const { fs::create_directories(root() / relative); }
    void files(const Strings& rels, const std::string& content = "x") const { for (auto& r : rels) file(r, content); }

private:
    TempDir m_dir;
    CacheFolder m_cache{m_dir.path() / "cache"};
    std::string m_modPath;
    fs::path m_previous;
    std::error_code m_error;
};

// Records each start as "program|parameters|in directory" and the program alone.
struct RecordingLauncher : Launcher {
    Strings starts, programs;
    LaunchResult Start(const std::string& program, const std::string& parameters, const std::string& directory) override;
};

std::string readFile(const fs::path& path);
// `size` compressible text-like bytes, or noise LZO cannot shrink; the same for the same seed.
std::string textBytes(size_t size, uint32_t seed = 1);
std::string noiseBytes(size_t size, uint32_t seed = 1);
uint32_t wordAt(const std::string& bytes, size_t offset);
// The four little-endian bytes of `value`.
std::string word(uint32_t value);
// An archive laid out as the writer lays one out, its names taken as they
// are, however unsafe; `stored` is the data area of an entry of `size` bytes.
struct StoredEntry {
    std::string name, stored;
    size_t size = SIZE_MAX; // the stored size when left out
};
std::string archiveOf(const std::vector<StoredEntry>& entries, uint32_t compression = 0);

// Records every call of the progress display as one line, in order:
// "caption:TEXT", "upper:TEXT", "lower:TEXT", "range:LO-HI", "pos:N".
class RecordingControls : public PackControls {
public:
    std::vector<std::string> calls;
    // Runs after each recorded call, e.g. to press Cancel at a chosen moment.
    std::function<void(const std::string&)> onCall;

    void setCaption(const std::string& text) override { record("caption:" + text); }
    void setUpperLine(const std::string& text) override { record("upper:" + text); }
    void setLowerLine(const std::string& text) override { record("lower:" + text); }
    void setRange(uint32_t lo, uint32_t hi) override { record("range:" + std::to_string(lo) + "-" + std::to_string(hi)); }
    void setPosition(uint32_t position) override { record("pos:" + std::to_string(position)); }

private:
    void record(const std::string& call);
};

// Keeps what a pack says: problems, notes, trace lines and each archive's result.
class RecordingObserver : public kob::PackObserver {
public:
    void problem(const std::string& text) override { texts.push_back(text); }
    void note(const std::string& text) override { notes.push_back(text); }
    void trace(const std::string& line) override { out.push_back(line); }
    void archiveDone(const std::string&, const kob::PackResult& result) override { results.push_back(result); }
    std::vector<std::string> texts, notes, out;
    std::vector<kob::PackResult> results;
};

// Pretends the disk has `megabytes` free to the packs of testContext() for
// its lifetime; records the directories asked about.
class FakeFreeSpace {
public:
    explicit FakeFreeSpace(uint32_t mb)
    {
        testContext().freeSpace = [this, mb](const std::string& dir) {
            asked.push_back(dir);
            return std::optional<uint64_t>(uint64_t(mb) << 20);
        };
    }
    ~FakeFreeSpace() { testContext().freeSpace = {}; }
    std::vector<std::string> asked;
};

// Everything one pack job showed and left behind.
struct PackRun {
    uint32_t entries = 0;
    PackOutcome outcome = PackOutcome::Written;
    std::string bytes; // the archive afterwards; empty when none remains
    Strings calls, out, texts, notes; // progress calls, trace lines, problems and notes
    ReuseCounts reused;
    bool operator==(const PackRun&) const = default;
};

// Packs `source` into `archive` with testContext(), watching testCancel;
// `onCall` sees every progress call (e.g. to cancel at a chosen moment).
PackRun packFolder(const std::string& source, const std::string& folder, const std::string& archive,
                   bool compress, CompressionPool* pool = nullptr,
                   std::function<void(const std::string&)> onCall = {}, bool reuse = true);
// Packs ../objects into objects.kob.
PackRun packObjects(bool compress = false, CompressionPool* pool = nullptr,
                    std::function<void(const std::string&)> onCall = {}, bool reuse = true);
// The lines of `all` that begin with `prefix`.
Strings starting(const Strings& all, const std::string& prefix);

// The names in `folder` that hold ".tmp-", the mark of a pack's temporary
// files, sorted.
Strings temporaryFiles(const fs::path& folder = ".");

// The entry names of `archive`, in index order.
Strings entryNames(const fs::path& archive);

// Linux only: Windows has no per-process file size limit.
#ifndef _WIN32
// Makes this process's writes past `limit` bytes fail as on a full disk
// (SIGXFSZ ignored; the limit can be lifted again). False when it cannot.
bool limitFileSize(uint64_t limit);
#endif

} // namespace kobtest
