#pragma once
// The batch behind a progress dialog, shared by both windows: it runs
// kob::PackBatch on its own thread and tells the dialog when it is done; the
// dialog only draws, and forwards its keys and its close box here.
//
// The dialog's rules, whatever draws it:
// - when it is first shown: the bar's range is kProgressLower..kProgressUpper
//   at position 0, then Start(); with no names there is no worker and `done`
//   is called at once, so the dialog closes straight away;
// - Enter (OK) does nothing: OnOK();
// - Cancel, Esc and the close box only raise the worker's cancel flag: OnCancel(); the
//   dialog stays until `done` closes it;
// - the dialog closed by anyone else while the batch runs: Finish() with the
//   window's event pump, which cancels and serves the worker's last display
//   updates until it has ended.
// `done` runs on the worker's thread as its last act; the window turns it
// into its own close message (a queued call, a posted message) and touches
// nothing else from there.

#include "app/PackBatch.h"
#include "pack/PackControls.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

inline constexpr uint32_t kProgressLower = 0;
inline constexpr uint32_t kProgressUpper = 100;

class BatchWorker {
public:
    // `controls` (applied on the window's thread) must outlive the worker.
    BatchWorker(PackControls& controls, std::function<void()> done);
    // Finish() without a pump: for a worker whose display updates need no
    // window thread (or that has ended).
    ~BatchWorker();
    BatchWorker(const BatchWorker&) = delete;
    BatchWorker& operator=(const BatchWorker&) = delete;

    // Packs `names` in order, compressed or not, on every hardware thread;
    // `report` (which must outlive the batch) hears the problems and
    // outcomes, and each job gets `context`. Does nothing while a batch
    // runs: that worker closes the dialog. A thread that cannot start is a
    // problem of the batch, and `done` is called at once.
    void Start(const std::vector<std::string>& names, bool compress, kob::PackObserver& report,
               const kob::PackContext& context = {});
    void OnOK() {}
    // Raises this worker's cancel flag, nothing more.
    void OnCancel();
    // Cancels a running batch, calls `pump` until the worker has ended, and
    // joins it.
    void Finish(const std::function<void()>& pump = {});

    bool running() const { return !m_done.load(); }
    // How the last batch ended; nothing before it ends or with no batch.
    std::optional<kob::BatchEnd> result() const;

private:
    void run(std::vector<std::string> names, bool compress, kob::PackObserver& report, kob::PackContext context);

    PackControls& m_controls;
    std::function<void()> m_notifyDone;
    std::thread m_thread;
    std::atomic<int> m_cancelPack{0};
    std::atomic<bool> m_done{true};
    std::optional<kob::BatchEnd> m_end;
};
