#include "pack/SourceRecords.h"

#include "format/ArchiveFormat.h"
#include "platform/Platform.h"
#include "source/WholeFile.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace {

constexpr char kMagic[4] = {'K', 'O', 'B', 'R'};
constexpr uint32_t kVersion = 1;
constexpr size_t kStampBytes = 5 * 8;
constexpr size_t kMaxPathBytes = 32768;

std::atomic<int64_t (*)()> g_clock{nullptr};

uint64_t fnv1a(const uint8_t* data, size_t size)
{
    uint64_t hash = 0xcbf29ce484222325ull;
    for (size_t i = 0; i < size; ++i)
        hash = (hash ^ data[i]) * 0x100000001b3ull;
    return hash;
}

void putWord64(std::string& out, uint64_t value)
{
    for (int i = 0; i < 8; ++i)
        out += static_cast<char>(value >> (8 * i));
}

void putText(std::string& out, std::string_view text)
{
    uint8_t length[4];
    kob::putWord(length, static_cast<uint32_t>(text.size()));
    out.append(reinterpret_cast<const char*>(length), 4);
    out += text;
}

void putStamp(std::string& out, const FileStamp& stamp)
{
    for (uint64_t word : {stamp.size, stamp.volume, stamp.index, uint64_t(stamp.modified), uint64_t(stamp.changed)})
        putWord64(out, word);
}

// Reads words and texts off a record, each checked against what is left.
class Cursor {
public:
    Cursor(const uint8_t* data, size_t size) : m_data(data), m_left(size) {}
    bool word(uint32_t& value)
    {
        if (m_left < 4)
            return false;
        value = kob::getWord(m_data);
        skip(4);
        return true;
    }
    bool word64(uint64_t& value)
    {
        uint32_t low = 0, high = 0;
        if (!word(low) || !word(high))
            return false;
        value = uint64_t(high) << 32 | low;
        return true;
    }
    bool text(std::string& out, size_t maxLength)
    {
        uint32_t length = 0;
        if (!word(length) || length > maxLength || length > m_left)
            return false;
        out.assign(reinterpret_cast<const char*>(m_data), length);
        skip(length);
        return true;
    }
    bool stamp(FileStamp& out)
    {
        uint64_t modified = 0, changed = 0;
        if (!word64(out.size) || !word64(out.volume) || !word64(out.index) || !word64(modified) || !word64(changed))
            return false;
        out.modified = static_cast<int64_t>(modified);
        out.changed = static_cast<int64_t>(changed);
        return true;
    }
    size_t left() const { return m_left; }

private:
    void skip(size_t n)
    {
        m_data += n;
        m_left -= n;
    }
    const uint8_t* m_data;
    size_t m_left;
};

std::string hexOf(uint64_t value)
{
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return text;
}

// Makes `folder` and the folders above it that are missing.
void makeFolders(const std::string& folder)
{
    for (size_t at = folder.find_first_of("/\\", 1); at != std::string::npos; at = folder.find_first_of("/\\", at + 1))
        platform::makeFolder(folder.substr(0, at));
    platform::makeFolder(folder);
}

} // namespace

SourceRecords::SourceRecords(std::string archivePath, int64_t takenAt)
    : m_archivePath(std::move(archivePath))
    , m_takenAt(takenAt)
{
}

void SourceRecords::add(std::string name, const FileStamp& stamp)
{
    m_entries.insert_or_assign(std::move(name), stamp);
}

bool SourceRecords::unchanged(std::string_view name, const FileStamp& now) const
{
    const auto found = m_entries.find(name);
    const int64_t settled = m_takenAt - kTimeGranularity;
    return found != m_entries.end() && found->second == now && now.telling() && now.modified < settled
           && now.changed < settled;
}

bool SourceRecords::covers(const SourceRecords& newer) const
{
    if (!(m_archive == newer.m_archive) || m_archivePath != newer.m_archivePath
        || m_entries.size() != newer.m_entries.size())
        return false;
    for (const auto& [name, stamp] : newer.m_entries)
        if (!unchanged(name, stamp))
            return false;
    return true;
}

std::string SourceRecords::encode() const
{
    std::string out(kMagic, sizeof kMagic);
    uint8_t word[4];
    kob::putWord(word, kVersion);
    out.append(reinterpret_cast<const char*>(word), 4);
    putText(out, m_archivePath);
    putStamp(out, m_archive);
    putWord64(out, static_cast<uint64_t>(m_takenAt));
    kob::putWord(word, static_cast<uint32_t>(m_entries.size()));
    out.append(reinterpret_cast<const char*>(word), 4);
    for (const auto& [name, stamp] : m_entries) {
        putText(out, name);
        putStamp(out, stamp);
    }
    putWord64(out, fnv1a(reinterpret_cast<const uint8_t*>(out.data()), out.size()));
    return out;
}

bool SourceRecords::decode(const uint8_t* data, size_t size)
{
    *this = SourceRecords();
    if (size < sizeof kMagic + 8 || std::string_view(reinterpret_cast<const char*>(data), 4) != std::string_view(kMagic, 4))
        return false;
    uint64_t sum = 0;
    for (int i = 7; i >= 0; --i)
        sum = sum << 8 | data[size - 8 + i];
    if (sum != fnv1a(data, size - 8))
        return false;

    Cursor cursor(data + sizeof kMagic, size - sizeof kMagic - 8);
    SourceRecords read;
    uint32_t version = 0, count = 0;
    uint64_t takenAt = 0;
    if (!cursor.word(version) || version != kVersion || !cursor.text(read.m_archivePath, kMaxPathBytes)
        || !cursor.stamp(read.m_archive) || !cursor.word64(takenAt) || !cursor.word(count)
        || count > cursor.left() / (4 + kStampBytes))
        return false;
    read.m_takenAt = static_cast<int64_t>(takenAt);
    for (uint32_t i = 0; i < count; ++i) {
        std::string name;
        FileStamp stamp;
        if (!cursor.text(name, kob::kMaxRelativeName) || !cursor.stamp(stamp))
            return false;
        read.m_entries.insert_or_assign(std::move(name), stamp);
    }
    if (cursor.left() != 0)
        return false;
    *this = std::move(read);
    return true;
}

bool SourceRecords::load(const std::string& archivePath)
{
    *this = SourceRecords();
    const std::string path = recordPath(archivePath);
    if (path.empty())
        return false;
    platform::OpenProblem problem;
    std::string reason;
    platform::File file = platform::File::openRead(path, problem, reason);
    const uint64_t size = file.isOpen() ? file.info().size : 0;
    if (size == 0 || size > kMaxRecordBytes)
        return false;
    std::string bytes(static_cast<size_t>(size), '\0');
    size_t done = 0;
    while (done < bytes.size()) {
        const int64_t got = file.read(bytes.data() + done, bytes.size() - done);
        if (got <= 0)
            return false;
        done += static_cast<size_t>(got);
    }
    // A record kept under this archive's name that belongs to another one
    // (the names' hashes met) is no record of it.
    if (!decode(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()) || m_archivePath != archivePath) {
        *this = SourceRecords();
        return false;
    }
    return true;
}

std::string SourceRecords::save() const
{
    const std::string path = recordPath(m_archivePath);
    if (path.empty())
        return "no cache folder in the environment";
    makeFolders(platform::cacheFolder());
    const std::string bytes = encode();
    const std::string reason = WriteWholeFile(path, bytes.data(), bytes.size());
    return reason.empty() ? "" : path + ": " + reason;
}

std::string SourceRecords::recordKey(const std::string& archivePath)
{
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(archivePath, error);
    return error ? archivePath : absolute.lexically_normal().string();
}

std::string SourceRecords::recordPath(const std::string& key)
{
    const std::string folder = platform::cacheFolder();
    if (folder.empty())
        return "";
    return folder + "/" + hexOf(fnv1a(reinterpret_cast<const uint8_t*>(key.data()), key.size())) + ".rec";
}

int64_t RecordClock()
{
    if (int64_t (*clock)() = g_clock.load())
        return clock();
    using namespace std::chrono;
    return duration_cast<nanoseconds>(system_clock::now().time_since_epoch()).count();
}

void SetRecordClock(int64_t (*clock)())
{
    g_clock.store(clock);
}
