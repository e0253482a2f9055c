#pragma once
// The threads that read and compress ahead of a pack job's writer. A batch
// makes one pool and lends it to each of its jobs in turn; every thread owns
// its LZO work memory for the pool's whole life.

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// Bytes of source and compressed data that a job may hold ahead of its
// writer (a single larger file is still packed, but alone).
constexpr size_t kDefaultReadAheadBytes = size_t(32) << 20;

// The number of threads "every core" means: the hardware threads, at least 1.
unsigned HardwareThreadCount();

class CompressionPool {
public:
    // Starts `threads` threads (0: HardwareThreadCount()). A thread the
    // system refuses is left out; threadCount() tells how many run.
    explicit CompressionPool(unsigned threads, size_t readAheadBytes = kDefaultReadAheadBytes);
    // Waits for work in progress, then stops and joins every thread.
    ~CompressionPool();
    CompressionPool(const CompressionPool&) = delete;
    CompressionPool& operator=(const CompressionPool&) = delete;

    unsigned threadCount() const { return static_cast<unsigned>(m_threads.size()); }
    size_t readAheadBytes() const { return m_readAheadBytes; }

    // Runs `work` once on every thread, each passing its own work memory
    // (kLzoWorkMemorySize bytes), and returns at once. `work` must return
    // when its owner asks it to, and must not throw. One work at a time:
    // call end() before the next begin().
    void begin(std::function<void(uint8_t* workMemory)> work);
    // Waits until every thread has returned from the work given to begin().
    void end();

private:
    void threadMain();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::function<void(uint8_t*)> m_work;
    uint64_t m_generation = 0;
    unsigned m_running = 0;
    bool m_shutdown = false;
    size_t m_readAheadBytes;
    std::vector<std::thread> m_threads;
};
