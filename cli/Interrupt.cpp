#include "cli/Interrupt.h"

#include "pack/PackJob.h"
#include "platform/Platform.h"

namespace {

// Atomic rather than sig_atomic_t: with packing threads the signal may land
// on any thread. A lock-free atomic store is safe inside a signal handler.
std::atomic<int> g_interrupted{0};
static_assert(std::atomic<int>::is_always_lock_free);

void onInterrupt()
{
    g_interrupted.store(1);
    g_cancelPack.store(1);
}

} // namespace

void InstallInterruptHandlers()
{
    platform::installInterruptHandler(onInterrupt);
}

bool Interrupted()
{
    return g_interrupted.load() != 0;
}
