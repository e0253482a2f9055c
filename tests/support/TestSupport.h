#pragma once
// Helpers shared by the tests: temporary mod trees, recording doubles of the
// progress display and the message sink, and file bytes.

#include "game/Launcher.h"
#include "pack/MessageSink.h"
#include "pack/PackControls.h"
#include "pack/PackJob.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace kobtest {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

void writeFile(const fs::path& path, const std::string& content);

// A fresh folder below the system's temporary folder, removed with all it
// holds when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const fs::path& path() const { return m_path; }

private:
    fs::path m_path;
};

// A mod root with its Archives folder, made the current directory for the
// object's lifetime (the tool always runs there). The mod lies at `modPath`
// below top(), which stands for the game root where a test needs one.
class ModTree {
public:
    explicit ModTree(const std::string& modPath = "mod");
    ~ModTree();
    fs::path top() const { return m_dir.path(); }
    std::string canonicalTop() const { return fs::canonical(top()).string(); }
    fs::path root() const { return top() / m_modPath; }
    fs::path archives() const { return root() / "Archives"; }
    // Writes `content` to root()/relative, making its folders.
    void file(const std::string& relative, const std::string& content = "") const
    {
        writeFile(root() / relative, content);
    }
    void folder(const std::string& relative) const { fs::create_directories(root() / relative); }
    // One file of `content` for each relative path.
    void files(const Strings& relatives, const std::string& content = "x") const;

private:
    TempDir m_dir;
    std::string m_modPath;
    fs::path m_previous;
};

// Records each start, as "program|argument|...|in directory" and as the
// program alone, and reports it started.
struct RecordingLauncher : Launcher {
    Strings starts, programs;
    LaunchResult Start(const std::string& program, const Strings& args, const std::string& directory) override;
};

std::string readFile(const fs::path& path);
// `size` bytes that look like text or config data (compressible), the same
// for the same seed.
std::string textBytes(size_t size, uint32_t seed = 1);
// `size` bytes of noise that LZO cannot shrink, the same for the same seed.
std::string noiseBytes(size_t size, uint32_t seed = 1);
uint32_t wordAt(const std::string& bytes, size_t offset);
// The four little-endian bytes of `value`.
std::string word(uint32_t value);

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
    void setRange(uint32_t lower, uint32_t upper) override
    {
        record("range:" + std::to_string(lower) + "-" + std::to_string(upper));
    }
    void setPosition(uint32_t position) override { record("pos:" + std::to_string(position)); }
    // The calls that begin with `prefix`.
    std::vector<std::string> only(const std::string& prefix) const;

private:
    void record(const std::string& call);
};

// Installs itself as the process's message sink for its lifetime.
class RecordingSink : public MessageSink {
public:
    RecordingSink() { InstallMessageSink(this); }
    ~RecordingSink() override { InstallMessageSink(nullptr); }
    void Report(const std::string& text) override { texts.push_back(text); }
    void Note(const std::string& text) override { notes.push_back(text); }
    std::vector<std::string> texts, notes;
};

// Pretends the disk has `megabytes` free for the object's lifetime, and
// records the directories asked about.
class FakeFreeSpace {
public:
    explicit FakeFreeSpace(uint32_t megabytes);
    ~FakeFreeSpace() { SetFreeSpaceQuery({}); }
    std::vector<std::string> asked;
};

// Splits standard-output text into lines.
std::vector<std::string> lines(const std::string& text);

// Everything one PackArchive call showed and left behind.
struct PackRun {
    int result = 0;
    PackOutcome outcome = PackOutcome::Written;
    std::string bytes; // the archive afterwards; empty when none remains
    Strings calls, out, texts, notes; // progress calls, standard-output lines, sink problems and notes
    ReuseCounts reused;
    bool operator==(const PackRun&) const = default;
};

// Packs `source` into `archive` as PackArchive(source, folder, archive, ...)
// does, with the cancel flag cleared before and after; `onCall` sees every
// progress call (e.g. to raise g_cancelPack at a chosen moment).
PackRun packFolder(const std::string& source, const std::string& folder, const std::string& archive,
                   uint32_t compress, CompressionPool* pool = nullptr,
                   std::function<void(const std::string&)> onCall = {}, bool reuse = true);
// Packs ../objects into objects.kob.
PackRun packObjects(uint32_t compress = 0, CompressionPool* pool = nullptr,
                    std::function<void(const std::string&)> onCall = {}, bool reuse = true);
// The lines of `all` that begin with `prefix`.
Strings starting(const Strings& all, const std::string& prefix);

// For its lifetime a source file of kShrinks bytes reads one byte short, as
// one that shrank after its size was taken, and one of kGrows bytes shows a
// byte more, as one that grew.
struct SizeChangingReads {
    static constexpr size_t kShrinks = 12345, kGrows = 12346;
    SizeChangingReads();
    ~SizeChangingReads();
};
// The entry names of `archive`, in index order.
Strings entryNames(const fs::path& archive);

// Runs `body` in a child process whose files may grow to `limit` bytes only,
// with SIGXFSZ ignored: writes past it fail as on a full disk (`body` may
// lift it again). True when
// `body` returned true; the limit and any threads stay in the child.
bool underFileSizeLimit(uint64_t limit, const std::function<bool()>& body);

} // namespace kobtest
