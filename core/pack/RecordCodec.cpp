#include "pack/RecordCodec.h"

#include "format/ArchiveFormat.h"

#include <string_view>

namespace {

constexpr char kMagic[4] = {'K', 'O', 'B', 'R'};
constexpr size_t kStampBytes = 5 * 8;
constexpr size_t kMaxPathBytes = 32768;

void putWord32(std::string& out, uint32_t value)
{
    uint8_t word[4];
    kob::putWord(word, value);
    out.append(reinterpret_cast<const char*>(word), 4);
}

void putWord64(std::string& out, uint64_t value)
{
    putWord32(out, static_cast<uint32_t>(value));
    putWord32(out, static_cast<uint32_t>(value >> 32));
}

void putText(std::string& out, std::string_view text)
{
    putWord32(out, static_cast<uint32_t>(text.size()));
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

} // namespace

uint64_t records::checksum(const uint8_t* data, size_t size)
{
    uint64_t hash = 0xcbf29ce484222325ull;
    for (size_t i = 0; i < size; ++i)
        hash = (hash ^ data[i]) * 0x100000001b3ull;
    return hash;
}

std::string records::encode(const SourceRecords& records)
{
    std::string out(kMagic, sizeof kMagic);
    putWord32(out, kVersion);
    putText(out, records.archivePath());
    putStamp(out, records.archive());
    putWord64(out, static_cast<uint64_t>(records.takenAt()));
    putWord32(out, static_cast<uint32_t>(records.count()));
    for (const auto& [name, stamp] : records.entries()) {
        putText(out, name);
        putStamp(out, stamp);
    }
    putWord64(out, checksum(reinterpret_cast<const uint8_t*>(out.data()), out.size()));
    return out;
}

std::optional<SourceRecords> records::decode(const uint8_t* data, size_t size)
{
    if (size < sizeof kMagic + 8 || std::string_view(reinterpret_cast<const char*>(data), 4) != std::string_view(kMagic, 4))
        return std::nullopt;
    uint64_t sum = 0;
    for (int i = 7; i >= 0; --i)
        sum = sum << 8 | data[size - 8 + i];
    if (sum != checksum(data, size - 8))
        return std::nullopt;

    Cursor cursor(data + sizeof kMagic, size - sizeof kMagic - 8);
    std::string archivePath;
    FileStamp archive;
    uint32_t version = 0, count = 0;
    uint64_t takenAt = 0;
    if (!cursor.word(version) || version != kVersion || !cursor.text(archivePath, kMaxPathBytes)
        || !cursor.stamp(archive) || !cursor.word64(takenAt) || !cursor.word(count)
        || count > cursor.left() / (4 + kStampBytes))
        return std::nullopt;
    SourceRecords read(std::move(archivePath), static_cast<int64_t>(takenAt));
    read.setArchive(archive);
    for (uint32_t i = 0; i < count; ++i) {
        std::string name;
        FileStamp stamp;
        if (!cursor.text(name, kob::kMaxRelativeName) || !cursor.stamp(stamp))
            return std::nullopt;
        read.add(std::move(name), stamp);
    }
    if (cursor.left() != 0)
        return std::nullopt;
    return read;
}
