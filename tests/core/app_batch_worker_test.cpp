// The batch behind both windows' progress dialogs: the worker closes the
// dialog as its last act, Enter does nothing, Cancel only raises the flag,
// and a dialog closed while its batch runs cancels and serves the worker.

#include "app/BatchReport.h"
#include "app/BatchWorker.h"
#include "pack/PackJob.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

using namespace kobtest;

namespace {

// Counts the worker's close requests and lets a test wait for one.
struct CloseRequests {
    std::mutex mutex;
    std::condition_variable changed;
    int count = 0;
    std::thread::id from;
    std::function<void()> request()
    {
        return [this] {
            std::lock_guard lock(mutex);
            ++count;
            from = std::this_thread::get_id();
            changed.notify_all();
        };
    }
    void wait()
    {
        std::unique_lock lock(mutex);
        changed.wait(lock, [this] { return count > 0; });
    }
};

} // namespace

TEST(BatchWorker, EmptyListClosesAtOnceAndABatchClosesFromItsThread)
{
    ModTree mod;
    mod.files({"a/1", "b/1"});
    RecordingControls controls;
    CloseRequests closed;
    BatchWorker worker(controls, closed.request());
    worker.Start({}, 0, nullptr);
    EXPECT_EQ(std::tuple(closed.count, closed.from == std::this_thread::get_id(), worker.running(), controls.calls.size()),
              std::tuple(1, true, false, 0u));

    closed.count = 0;
    g_cancelPack.store(1); // left over from an earlier batch: Start clears it
    kob::BatchReport report;
    worker.Start({"a", "b"}, 1, &report);
    closed.wait();
    worker.Finish();
    EXPECT_EQ(std::tuple(closed.count, closed.from != std::this_thread::get_id(), worker.result(), report.failureText(),
                         fs::exists("a.kob") && fs::exists("b.kob")),
              std::tuple(1, true, 1, "", true));
}

// Pressed while the second of three archives is packed: OK does nothing,
// Cancel stops the batch; the dialog closes either way by the worker.
TEST(BatchWorker, OkDoesNothingCancelOnlyRaisesTheFlag)
{
    for (const bool cancel : {false, true}) {
        SCOPED_TRACE(cancel ? "Cancel" : "OK");
        ModTree mod;
        mod.files({"a/1", "b/1", "b/2", "c/1"});
        RecordingControls controls;
        CloseRequests closed;
        BatchWorker worker(controls, closed.request());
        controls.onCall = [&](const std::string& call) {
            if (call == "caption:Creating (2 of 3): b.kob") {
                cancel ? worker.OnCancel() : worker.OnOK();
                EXPECT_EQ(std::pair(g_cancelPack.load(), closed.count), std::pair(cancel ? 1 : 0, 0));
            }
        };
        worker.Start({"a", "b", "c"}, 0, nullptr);
        closed.wait();
        worker.Finish();
        EXPECT_EQ(std::tuple(worker.result(), fs::exists("a.kob"), fs::exists("b.kob"), fs::exists("c.kob")),
                  std::tuple(cancel ? -1 : 1, true, !cancel, !cancel));
    }
}

// A window applies each display update on its own thread and the worker
// waits for it: closing the dialog mid-batch must keep serving those updates
// (the pump) while the cancel takes effect, or the two would wait on each other.
TEST(BatchWorker, FinishWhileRunningCancelsAndServesTheWindow)
{
    ModTree mod;
    mod.files({"a/1", "a/2", "a/3", "b/1"});
    struct WindowThreadControls : NullPackControls {
        std::mutex mutex;
        std::condition_variable changed;
        int pending = 0, served = 0;
        void setPosition(uint32_t) override // waits until the "window" has applied it
        {
            std::unique_lock lock(mutex);
            const int mine = ++pending;
            changed.notify_all();
            changed.wait(lock, [&] { return served >= mine; });
        }
        void serve()
        {
            std::unique_lock lock(mutex);
            changed.wait_for(lock, std::chrono::milliseconds(10), [&] { return served < pending; });
            served = pending;
            changed.notify_all();
        }
    } controls;
    CloseRequests closed;
    BatchWorker worker(controls, closed.request());
    worker.Start({"a", "b"}, 0, nullptr);
    {
        std::unique_lock lock(controls.mutex); // the first update is waiting
        controls.changed.wait(lock, [&] { return controls.pending > 0; });
    }
    worker.Finish([&] { controls.serve(); });
    EXPECT_EQ(std::tuple(worker.running(), worker.result(), closed.count, fs::exists("a.kob"), fs::exists("b.kob")),
              std::tuple(false, -1, 1, false, false));
}
