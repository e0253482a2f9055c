#include "pack/ReadAhead.h"

#include "format/BlockArea.h"

#include <algorithm>
#include <new>

using namespace kob;

namespace {

// Bookkeeping charged to every file held, so thousands of empty files count too.
constexpr size_t kSlotCost = 1024;
// Files held at once; more would not keep the threads any busier.
constexpr size_t kMaxFilesAhead = 1024;
constexpr size_t kBlockSlot = lzoWorstCase(kBlockLength);

enum class Stage {
    Sizing,      // claimed; its thread opens it and takes its size
    Sized,       // waiting for its share of memory
    Admitted,    // memory granted; waiting to be read
    Reading,
    Compressing, // blocks queued or in work
    Ready,       // for the writer
};

} // namespace

struct ReadAhead::Slot {
    uint32_t index = 0;
    Stage stage = Stage::Sizing;
    std::optional<InputProblem> problem;
    SourceFile source; // open from sizing until read
    uint64_t size = 0;
    size_t cost = 0;
    bool reserved = false;
    std::unique_ptr<uint8_t[]> input;
    std::unique_ptr<uint8_t[]> output; // block b at b * kBlockSlot
    std::vector<BlockDescriptor> blocks;
    uint32_t blocksLeft = 0;
    bool rejected = false;
    bool reused = false;        // `output` holds the previous archive's blocks, back to back
    size_t reusedLength = 0;
    const FileStamp* unread = nullptr; // taken over without opening, unless the entry does not hold up
    FileStamp stamp;
};

ReadAhead::ReadAhead(CompressionPool& pool, const FileRule& rule, uint32_t count, CancelToken cancel)
    : m_pool(pool)
    , m_rule(rule)
    , m_count(count)
    , m_cancel(cancel)
    , m_bound(std::max<size_t>(pool.readAheadBytes(), 1))
{
    m_pool.begin([this](uint8_t* workMemory) { work(workMemory); });
}

ReadAhead::~ReadAhead()
{
    stop();
}

void ReadAhead::stop()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_stopped)
            return;
        m_stopped = true;
        m_stopping = true;
    }
    m_workReady.notify_all();
    m_pool.end();
    // No thread touches the slots any more.
    m_toRead.clear();
    m_blocks.clear();
    m_slots.clear();
}

size_t ReadAhead::heldBytes() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_reserved;
}

uint32_t ReadAhead::heldFiles() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_heldFiles;
}

bool ReadAhead::eligible(uint32_t index) const
{
    return index == m_wanted || !m_cancel.cancelled();
}

bool ReadAhead::fits(size_t cost) const
{
    return m_reserved == 0 || m_reserved + cost <= m_bound;
}

ReadAhead::Slot& ReadAhead::slotAt(uint32_t index) const
{
    return *m_slots[index - m_firstIndex];
}

ProducedFile& ReadAhead::take(uint32_t index)
{
    Lock lock(m_mutex);
    m_wanted = index;
    // After a cancel the threads wait for exactly this file to be named.
    if (m_cancel.cancelled())
        m_workReady.notify_all();
    m_fileReady.wait(lock, [&] { return index < m_nextClaim && slotAt(index).stage == Stage::Ready; });
    Slot& slot = slotAt(index);

    m_taken = ProducedFile{};
    m_taken.problem = slot.problem;
    m_taken.size = slot.size;
    m_taken.stamp = slot.stamp;
    if (slot.problem || slot.rejected)
        return m_taken;
    m_taken.reused = slot.reused;
    if (slot.reused) {
        m_taken.pieces.push_back({slot.output.get(), slot.reusedLength});
    } else {
        m_taken.pieces.reserve(slot.blocks.size());
        for (size_t b = 0; b < slot.blocks.size(); ++b)
            m_taken.pieces.push_back({slot.output.get() + b * kBlockSlot, slot.blocks[b].compressedSize});
    }
    m_taken.blocks = std::move(slot.blocks); // no thread touches a ready slot
    return m_taken;
}

void ReadAhead::release(uint32_t index)
{
    std::unique_ptr<Slot> done;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_slots.empty() || index != m_firstIndex || m_slots.front()->stage != Stage::Ready)
            return;
        done = std::move(m_slots.front());
        m_slots.pop_front();
        ++m_firstIndex;
        if (done->reserved) {
            m_reserved -= done->cost;
            --m_heldFiles;
        }
        admit();
    }
    m_workReady.notify_all();
    m_taken = ProducedFile{};
    // `done` frees its buffers here, outside the lock.
}

void ReadAhead::work(uint8_t* workMemory)
{
    Lock lock(m_mutex);
    while (!m_stopping) {
        if (compressOneBlock(lock, workMemory) || readOneFile(lock, workMemory) || sizeNextFile(lock))
            continue;
        m_workReady.wait(lock);
    }
}

void ReadAhead::finish(Slot& slot)
{
    slot.stage = Stage::Ready;
    if (slot.problem) {
        slot.input.reset();
        slot.output.reset();
    }
    m_fileReady.notify_one();
}

bool ReadAhead::compressOneBlock(Lock& lock, uint8_t* workMemory)
{
    auto it = m_blocks.begin();
    while (it != m_blocks.end() && !eligible(it->first->index))
        ++it;
    if (it == m_blocks.end())
        return false;
    Slot& slot = *it->first;
    const uint32_t block = it->second;
    m_blocks.erase(it);

    if (!slot.rejected) {
        // The slot stays put while a block of it is in work: stop() waits for
        // this thread, and the writer takes it only once every block is back.
        lock.unlock();
        const uint32_t length = blockLengthAt(slot.size, block);
        uint32_t compressedSize = 0;
        const bool ok = compressBlock(slot.input.get() + uint64_t(block) * kBlockLength, length,
                                      slot.output.get() + size_t(block) * kBlockSlot, compressedSize, workMemory);
        lock.lock();
        if (ok)
            slot.blocks[block].compressedSize = compressedSize;
        else
            slot.rejected = true; // the whole entry becomes the empty-entry block
    }
    if (--slot.blocksLeft == 0)
        finish(slot);
    return true;
}

bool ReadAhead::readOneFile(Lock& lock, uint8_t* workMemory)
{
    auto it = m_toRead.begin();
    while (it != m_toRead.end() && !eligible((*it)->index))
        ++it;
    if (it == m_toRead.end())
        return false;
    Slot& slot = **it;
    m_toRead.erase(it);
    slot.stage = Stage::Reading;
    lock.unlock();

    if (slot.unread && !m_stopping)
        takeUnread(slot);
    const uint64_t size = slot.size;
    const uint32_t blockCount = blockCountOf(size);
    if (size != 0 && !slot.reused && !slot.problem) {
        slot.input.reset(new (std::nothrow) uint8_t[size]);
        slot.output.reset(new (std::nothrow) uint8_t[compressedAreaBound(size)]);
        if (!slot.input || !slot.output)
            slot.problem = InputProblem::TooLargeForMemory;
    }
    if (!slot.problem && !slot.reused) {
        const auto problem = slot.source.readAll(slot.input.get(), &m_stopping);
        if (!m_stopping)
            slot.problem = problem;
    }
    slot.source.close();

    // Compared here, on this thread: decompressing is fast next to
    // compressing, and a mismatch leaves the file read for compressing.
    if (!slot.problem && !m_stopping && !slot.reused)
        slot.reused = m_rule.takePrevious(slot.index, slot.input.get(), size, slot.blocks, slot.output.get(),
                                          slot.reusedLength);
    bool compressed = slot.reused;
    if (!slot.problem && !compressed && blockCount != 0) {
        slot.blocks.resize(blockCount);
        for (uint32_t b = 0; b < blockCount; ++b)
            slot.blocks[b] = {0, blockLengthAt(size, b), 0};
        if (blockCount == 1 && !m_stopping) {
            // A small file's one block: no reason to queue it.
            uint32_t compressedSize = 0;
            if (compressBlock(slot.input.get(), static_cast<uint32_t>(size), slot.output.get(), compressedSize,
                              workMemory))
                slot.blocks[0].compressedSize = compressedSize;
            else
                slot.rejected = true;
            compressed = true;
        }
    }

    lock.lock();
    if (m_stopping)
        return true;
    if (!slot.problem && blockCount > 1 && !compressed) {
        slot.stage = Stage::Compressing;
        slot.blocksLeft = blockCount;
        for (uint32_t b = 0; b < blockCount; ++b)
            m_blocks.emplace_back(&slot, b);
        m_workReady.notify_all();
    } else {
        finish(slot);
    }
    return true;
}

void ReadAhead::takeUnread(Slot& slot)
{
    // Its memory was granted for reading it, so the fallback fits too.
    const uint64_t size = slot.size;
    slot.output.reset(new (std::nothrow) uint8_t[m_rule.storedBound(size)]);
    if (slot.output && m_rule.takeUnread(slot.index, size, slot.blocks, slot.output.get(), slot.reusedLength)) {
        slot.reused = true;
        return;
    }
    // The entry does not hold up: the file is read after all, as it is now.
    slot.output.reset();
    slot.problem = m_rule.open(slot.index, slot.source);
    slot.size = slot.source.size();
    slot.stamp = slot.source.stamp();
}

bool ReadAhead::sizeNextFile(Lock& lock)
{
    if (m_nextClaim >= m_count || m_reserved >= m_bound || m_slots.size() >= kMaxFilesAhead
        || !eligible(m_nextClaim))
        return false;
    // Files still waiting for memory are enough to be getting on with.
    const uint32_t nextReserve = std::max(m_nextReserve, m_firstIndex);
    if (nextReserve < m_nextClaim && slotAt(nextReserve).stage == Stage::Sized)
        return false;
    auto owned = std::make_unique<Slot>();
    Slot& slot = *owned;
    slot.index = m_nextClaim++;
    m_slots.push_back(std::move(owned));
    lock.unlock();

    // A file unchanged since the previous archive is not opened.
    if ((slot.unread = m_rule.unread(slot.index))) {
        slot.stamp = *slot.unread;
        slot.size = slot.stamp.size;
    } else {
        slot.problem = m_rule.open(slot.index, slot.source);
        slot.size = slot.source.size();
        slot.stamp = slot.source.stamp();
    }
    slot.cost = kSlotCost + static_cast<size_t>(slot.size) + compressedAreaBound(slot.size);

    lock.lock();
    if (m_stopping)
        return true;
    if (slot.problem)
        finish(slot);
    else
        slot.stage = Stage::Sized;
    admit();
    return true;
}

void ReadAhead::admit()
{
    bool granted = false;
    m_nextReserve = std::max(m_nextReserve, m_firstIndex);
    while (m_nextReserve < m_nextClaim) {
        Slot& slot = slotAt(m_nextReserve);
        if (slot.stage == Stage::Sizing)
            break;
        if (slot.stage == Stage::Sized) {
            if (!fits(slot.cost))
                break;
            m_reserved += slot.cost;
            ++m_heldFiles;
            slot.reserved = true;
            slot.stage = Stage::Admitted;
            m_toRead.push_back(&slot);
            granted = true;
        }
        ++m_nextReserve;
    }
    if (granted)
        m_workReady.notify_all();
}
