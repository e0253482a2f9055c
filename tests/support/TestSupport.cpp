#include "support/TestSupport.h"

#include "format/ArchiveFormat.h"
#include "format/ArchiveReader.h"
#include "pack/PackJob.h"
#include "pack/SourceFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace kobtest {

TempDir::TempDir()
{
    // A new folder of a random name (mkdtemp is not on every system).
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        m_path = fs::temp_directory_path() / ("kobpack-test-" + std::to_string(random()));
        if (fs::create_directory(m_path))
            return;
    }
    throw std::runtime_error("cannot make a temporary folder");
}

namespace {

#ifdef _WIN32
constexpr const char* kCacheVariable = "LOCALAPPDATA";
#else
constexpr const char* kCacheVariable = "XDG_CACHE_HOME";
#endif

void setVariable(const char* name, const std::string* value)
{
#ifdef _WIN32
    _putenv_s(name, value ? value->c_str() : "");
#else
    if (value)
        setenv(name, value->c_str(), 1);
    else
        unsetenv(name);
#endif
}

// No test program packs into the user's own cache, whatever a test forgets.
struct ProgramCache {
    TempDir folder;
    CacheFolder cache{folder.path()};
} g_programCache;

} // namespace

std::optional<int64_t> settledClock(const std::string&)
{
    using namespace std::chrono;
    return duration_cast<nanoseconds>((system_clock::now() + seconds(10)).time_since_epoch()).count();
}

std::atomic<int> testCancel{0};

kob::PackContext& testContext()
{
    static kob::PackContext context;
    return context;
}

void resetContext()
{
    testContext() = {};
}

CacheFolder::CacheFolder(const fs::path& folder)
{
    if (const char* previous = std::getenv(kCacheVariable)) {
        m_previous = previous;
        m_wasSet = true;
    }
    const std::string value = folder.string();
    setVariable(kCacheVariable, &value);
}

CacheFolder::~CacheFolder()
{
    setVariable(kCacheVariable, m_wasSet ? &m_previous : nullptr);
}

#ifdef _WIN32
namespace {
fs::path g_unopenable; // set before a pack starts; its threads only read it
}

UnopenableFile::UnopenableFile(const fs::path& path)
    : m_path(fs::absolute(path))
{
    writeFile(m_path, "cannot be opened");
    g_unopenable = m_path;
    testContext().source.open = [](const std::string& opened, platform::Error& error) {
        std::error_code ignored;
        if (!fs::equivalent(opened, g_unopenable, ignored))
            return platform::File::openRead(opened, error);
        error = {platform::OpenProblem::Failed, 5, "Access denied."};
        return platform::File();
    };
}

UnopenableFile::~UnopenableFile()
{
    g_unopenable.clear();
    testContext().source.open = {};
}
#else
UnopenableFile::UnopenableFile(const fs::path& path)
{
    fs::create_symlink("nowhere", path);
}

UnopenableFile::~UnopenableFile() = default;
#endif

ModTree::ModTree(const std::string& modPath)
    : m_modPath(modPath)
    , m_previous(fs::current_path())
{
    fs::create_directories(archives());
    fs::current_path(archives());
}

LaunchResult RecordingLauncher::Start(const std::string& program, const std::string& parameters,
                                      const std::string& directory)
{
    programs.push_back(program);
    starts.push_back(program + "|" + parameters + "|in " + directory);
    return {true, {}};
}

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void writeFile(const fs::path& path, const std::string& content)
{
    if (path.has_parent_path())
        fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

std::string textBytes(size_t size, uint32_t seed)
{
    static const char* const words[] = {"object.create ", "Mesh ", "0.250 ", "rem ", "ObjectTemplate.", "setPosition ",
                                        "\r\n", "1 ", "true ", "geometry ", "texture/grass.dds ", "    "};
    std::mt19937 rng(seed);
    std::string out;
    out.reserve(size + 32);
    while (out.size() < size)
        out += words[rng() % (sizeof words / sizeof words[0])];
    out.resize(size);
    return out;
}

std::string noiseBytes(size_t size, uint32_t seed)
{
    std::mt19937 rng(seed);
    std::string out(size, '\0');
    for (char& c : out)
        c = static_cast<char>(rng());
    return out;
}

uint32_t wordAt(const std::string& bytes, size_t offset)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + offset);
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

std::string word(uint32_t value)
{
    return {char(value), char(value >> 8), char(value >> 16), char(value >> 24)};
}

std::string archiveOf(const std::vector<StoredEntry>& entries, uint32_t compression)
{
    const std::string tail(reinterpret_cast<const char*>(kob::kRecordTail), sizeof kob::kRecordTail);
    std::string data, index = word(entries.size());
    for (const auto& [name, stored, size] : entries) {
        index += word(name.size()) + name + word(stored.size()) + word(size == SIZE_MAX ? stored.size() : size)
                 + word(kob::kHeaderSize + data.size()) + tail;
        data += stored;
    }
    const std::string header(reinterpret_cast<const char*>(kob::kHeaderBlock), kob::kHeaderBlockSize);
    return word(kob::kHeaderSize + data.size()) + word(compression) + header + data + index + word(0);
}

Strings starting(const Strings& all, const std::string& prefix)
{
    Strings out;
    for (const std::string& line : all)
        if (line.rfind(prefix, 0) == 0)
            out.push_back(line);
    return out;
}

void RecordingControls::record(const std::string& call)
{
    calls.push_back(call);
    if (onCall)
        onCall(call);
}

PackRun packFolder(const std::string& source, const std::string& folder, const std::string& archive,
                   bool compress, CompressionPool* pool, std::function<void(const std::string&)> onCall, bool reuse)
{
    testCancel = 0;
    RecordingControls controls;
    controls.onCall = std::move(onCall);
    RecordingObserver observer;
    const kob::PackResult result = kob::PackArchive({source, folder, archive}, {compress, 1, reuse}, controls, observer,
                                                    kob::CancelToken(testCancel), pool, testContext());
    testCancel = 0;
    PackRun run{result.entries, result.outcome, "", controls.calls, observer.out, observer.texts, observer.notes,
                result.reused};
    if (fs::is_regular_file(archive))
        run.bytes = readFile(archive);
    return run;
}

PackRun packObjects(bool compress, CompressionPool* pool, std::function<void(const std::string&)> onCall,
                    bool reuse)
{
    return packFolder("../objects", "objects", "objects.kob", compress, pool, std::move(onCall), reuse);
}

Strings temporaryFiles(const fs::path& folder)
{
    Strings names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        if (const std::string name = entry.path().filename().string(); name.find(".tmp-") != std::string::npos)
            names.push_back(name);
    std::sort(names.begin(), names.end());
    return names;
}

Strings entryNames(const fs::path& archive)
{
    ArchiveReader reader;
    EXPECT_TRUE(reader.open(archive.string())) << reader.error();
    Strings names;
    for (const ReaderEntry& entry : reader.entries())
        names.push_back(entry.name);
    return names;
}

#ifndef _WIN32
bool limitFileSize(uint64_t limit)
{
    const rlimit fileSize{limit, RLIM_INFINITY};
    return std::signal(SIGXFSZ, SIG_IGN) != SIG_ERR && setrlimit(RLIMIT_FSIZE, &fileSize) == 0;
}
#endif

} // namespace kobtest
