#include "app/BatchWorker.h"

#include <system_error>

BatchWorker::BatchWorker(PackControls& controls, std::function<void()> done)
    : m_controls(controls)
    , m_notifyDone(std::move(done))
{
}

BatchWorker::~BatchWorker()
{
    Finish();
}

void BatchWorker::Start(const std::vector<std::string>& names, bool compress, kob::PackObserver& report,
                        const kob::PackContext& context)
{
    if (running())
        return;
    if (m_thread.joinable())
        m_thread.join(); // the worker of an earlier run, already finished
    m_end.reset();
    if (names.empty()) {
        m_notifyDone(); // no worker would ever close the dialog
        return;
    }
    m_cancelPack.store(0);
    m_done.store(false);
    try {
        m_thread = std::thread([this, names, compress, &report, context] { run(names, compress, report, context); });
    } catch (const std::system_error& error) {
        m_done.store(true);
        report.problem(std::string("Error! Could not start the packing thread: ") + error.what());
        m_notifyDone();
    }
}

void BatchWorker::OnCancel()
{
    m_cancelPack.store(1);
}

void BatchWorker::Finish(const std::function<void()>& pump)
{
    if (running()) {
        OnCancel();
        while (running() && pump)
            pump();
    }
    if (m_thread.joinable())
        m_thread.join();
}

std::optional<kob::BatchEnd> BatchWorker::result() const
{
    // Written by the worker before it says it is done.
    return running() ? std::nullopt : m_end;
}

void BatchWorker::run(std::vector<std::string> names, bool compress, kob::PackObserver& report,
                      kob::PackContext context)
{
    // Every hardware thread compresses; the archives are the same as on one.
    m_end = kob::PackBatch(names, {compress, 0, true}, m_controls, report, kob::CancelToken(m_cancelPack), context);
    m_done.store(true);
    m_notifyDone(); // the last act: nothing of the worker is touched after this
}
