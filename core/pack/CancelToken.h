#pragma once
// How a pack is asked to stop: the front end raises a flag it owns, the job
// and its threads look at it through this token at their own points.

#include <atomic>

namespace kob {

class CancelToken {
public:
    CancelToken() = default; // never cancelled
    explicit CancelToken(const std::atomic<int>& flag) : m_flag(&flag) {}
    bool cancelled() const { return m_flag && m_flag->load() != 0; }

private:
    const std::atomic<int>* m_flag = nullptr;
};

} // namespace kob
