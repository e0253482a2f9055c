#include "cli/Interrupt.h"

#include "pack/PackJob.h"

#include <csignal>

namespace {

// Atomic rather than sig_atomic_t: with packing threads the signal may land
// on any thread. A lock-free atomic store is safe inside a signal handler.
std::atomic<int> g_interrupted{0};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void onInterrupt(int)
{
    g_interrupted.store(1);
    g_cancelPack.store(1);
}

} // namespace

void InstallInterruptHandlers()
{
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    // SA_RESTART: a read or write in progress is resumed, so the file in
    // hand is finished as Cancel finishes it.
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool Interrupted()
{
    return g_interrupted.load() != 0;
}
