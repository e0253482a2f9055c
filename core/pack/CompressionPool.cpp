#include "pack/CompressionPool.h"

#include "format/ArchiveFormat.h"

#include <system_error>

unsigned HardwareThreadCount()
{
    const unsigned n = std::thread::hardware_concurrency();
    return n == 0 ? 1 : n;
}

CompressionPool::CompressionPool(unsigned threads, size_t readAheadBytes)
    : m_readAheadBytes(readAheadBytes)
{
    if (threads == 0)
        threads = HardwareThreadCount();
    m_threads.reserve(threads);
    for (unsigned i = 0; i < threads; ++i) {
        try {
            m_threads.emplace_back(&CompressionPool::threadMain, this);
        } catch (const std::system_error&) {
            break; // fewer threads still pack; none makes the job run on its own thread
        }
    }
}

CompressionPool::~CompressionPool()
{
    end();
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_shutdown = true;
    }
    m_wake.notify_all();
    for (std::thread& thread : m_threads)
        thread.join();
}

void CompressionPool::begin(std::function<void(uint8_t*)> work)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_work = std::move(work);
        m_running = threadCount();
        ++m_generation;
    }
    m_wake.notify_all();
}

void CompressionPool::end()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_idle.wait(lock, [this] { return m_running == 0; });
    m_work = nullptr;
}

void CompressionPool::threadMain()
{
    // Zero-filled like the packer's, so both paths start from the same state.
    const std::unique_ptr<uint8_t[]> workMemory(new uint8_t[kob::kLzoWorkMemorySize]());
    uint64_t seen = 0;
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [&] { return m_shutdown || m_generation != seen; });
        if (m_shutdown)
            return;
        seen = m_generation;
        const std::function<void(uint8_t*)>* work = &m_work; // unchanged until every thread is back
        lock.unlock();
        (*work)(workMemory.get());
        lock.lock();
        if (--m_running == 0)
            m_idle.notify_all();
    }
}
