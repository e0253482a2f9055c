#pragma once
// Reads and compresses the files of one compressed pack job ahead of its
// writer, on the threads of a CompressionPool: across files, and across the
// 32 KiB blocks of a large file. A file that the previous archive holds
// unchanged is compared there instead and its stored blocks taken over. The
// writer takes the files back strictly in list order.
//
// Memory: the files read ahead (source bytes plus the compressed worst case)
// stay within the pool's readAheadBytes(). A file larger than that is read
// only when nothing else is held, and then alone.
//
// Cancel: once the job's token is cancelled, the threads work only on the
// file the writer waits for; everything else is dropped by stop().

#include "pack/CancelToken.h"
#include "pack/CompressionPool.h"
#include "pack/FileProducer.h"
#include "pack/FileRule.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

class ReadAhead : public FileProducer {
public:
    // Starts working through the first `count` files of `rule` (a compressed
    // job's) on `pool`'s threads. What `rule` borrows must outlive stop().
    // The pool must not be lent to anything else until stop().
    ReadAhead(CompressionPool& pool, const FileRule& rule, uint32_t count, kob::CancelToken cancel);
    ~ReadAhead() override; // stop()
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // Waits until file `index` has been read and compressed and returns it.
    ProducedFile& take(uint32_t index) override;
    void release(uint32_t index) override;
    // Safe to call twice.
    void stop() override;

    // The bytes granted to files read ahead and not yet released, and how
    // many files hold them; for tests and diagnostics.
    size_t heldBytes() const;
    uint32_t heldFiles() const;

private:
    struct Slot;
    using Lock = std::unique_lock<std::mutex>;

    void work(uint8_t* workMemory);
    bool eligible(uint32_t index) const;
    bool fits(size_t cost) const;
    Slot& slotAt(uint32_t index) const;
    bool compressOneBlock(Lock& lock, uint8_t* workMemory);
    bool readOneFile(Lock& lock, uint8_t* workMemory);
    void takeUnread(Slot& slot);
    bool sizeNextFile(Lock& lock);
    void admit();
    void finish(Slot& slot);

    CompressionPool& m_pool;
    const FileRule m_rule;
    const uint32_t m_count;
    const kob::CancelToken m_cancel;
    const size_t m_bound;

    mutable std::mutex m_mutex;
    std::condition_variable m_workReady; // pool threads wait here
    std::condition_variable m_fileReady; // the writer waits here
    std::deque<std::unique_ptr<Slot>> m_slots; // files m_firstIndex .. m_nextClaim - 1
    uint32_t m_firstIndex = 0;
    uint32_t m_nextClaim = 0;
    uint32_t m_nextReserve = 0; // memory is granted in list order, so the writer's file always gets it
    size_t m_reserved = 0;
    uint32_t m_heldFiles = 0;
    std::deque<Slot*> m_toRead;
    std::deque<std::pair<Slot*, uint32_t>> m_blocks;
    uint32_t m_wanted = 0;
    std::atomic<bool> m_stopping{false};
    bool m_stopped = false;
    ProducedFile m_taken;
};
