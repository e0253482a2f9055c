// The batch behind both windows' progress dialogs: the worker closes the
// dialog as its last act, and a dialog closed while its batch runs cancels
// and serves the worker. Enter and Cancel are pressed through each window.

#include "app/BatchReport.h"
#include "app/BatchWorker.h"
#include "pack/PackJob.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace kobtest;

namespace {

// The close requests: how many, and whether one came from the window's thread.
struct CloseRequests {
    std::atomic<int> count{0};
    std::atomic<bool> fromWindowThread{false};
    std::function<void()> request()
    {
        const std::thread::id window = std::this_thread::get_id();
        return [this, window] { fromWindowThread = std::this_thread::get_id() == window, ++count; };
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
    kob::BatchReport report;
    worker.Start({}, false, report);
    EXPECT_EQ(std::tuple(closed.count.load(), closed.fromWindowThread.load(), worker.running(), controls.calls.size()),
              std::tuple(1, true, false, 0u));

    worker.OnCancel(); // left over from an earlier batch: Start clears it
    worker.Start({"a", "b"}, true, report);
    while (worker.running())
        std::this_thread::yield();
    worker.Finish();
    EXPECT_EQ(std::tuple(closed.count.load(), closed.fromWindowThread.load(), worker.result(), report.failureText(),
                         fs::exists("a.kob") && fs::exists("b.kob")),
              std::tuple(2, false, kob::BatchEnd::Finished, "", true));
}

// A window applies each display update on its own thread and the worker
// waits for it: closing the dialog mid-batch must keep serving those updates
// (the pump) while the cancel takes effect, or the two would wait on each other.
TEST(BatchWorker, FinishWhileRunningCancelsAndServesTheWindow)
{
    ModTree mod;
    mod.files({"a/1", "a/2", "a/3", "b/1"});
    struct WindowThreadControls : NullPackControls {
        std::atomic<int> waiting{0}, served{0};
        void setPosition(uint32_t) override // returns once the "window" has applied it
        {
            const int mine = ++waiting;
            while (served < mine)
                std::this_thread::yield();
        }
    } controls;
    CloseRequests closed;
    BatchWorker worker(controls, closed.request());
    kob::BatchReport report;
    worker.Start({"a", "b"}, false, report);
    while (controls.waiting == 0) // the first update is waiting
        std::this_thread::yield();
    worker.Finish([&] { controls.served = controls.waiting.load(); });
    EXPECT_EQ(std::tuple(worker.running(), worker.result(), closed.count.load(), fs::exists("a.kob"), fs::exists("b.kob")),
              std::tuple(false, kob::BatchEnd::Cancelled, 1, false, false));
}
