#include "cli/Interrupt.h"

#include "platform/Platform.h"

#include <atomic>

namespace {

// The process's one interrupt flag. Atomic rather than sig_atomic_t: with
// packing threads the signal may land on any thread, and a lock-free atomic
// store is safe inside a signal handler.
std::atomic<int> g_cancelPack{0};
static_assert(std::atomic<int>::is_always_lock_free);

void onInterrupt()
{
    g_cancelPack.store(1);
}

} // namespace

void InstallInterruptHandlers()
{
    platform::installInterruptHandler(onInterrupt);
}

kob::CancelToken InterruptToken()
{
    return kob::CancelToken(g_cancelPack);
}

bool Interrupted()
{
    return g_cancelPack.load() != 0;
}
