#include "app/BatchWorker.h"

#include "pack/MessageSink.h"
#include "pack/PackBatch.h"
#include "pack/PackObserver.h"

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

void BatchWorker::Start(const std::vector<std::string>& names, int compress, kob::PackObserver* report)
{
    if (running())
        return;
    if (m_thread.joinable())
        m_thread.join(); // the worker of an earlier run, already finished
    m_result = 0;
    if (names.empty()) {
        m_notifyDone(); // no worker would ever close the dialog
        return;
    }
    g_cancelPack.store(0);
    m_done.store(false);
    try {
        m_thread = std::thread([this, names, compress, report] { run(names, compress, report); });
    } catch (const std::system_error& error) {
        m_done.store(true);
        const std::string text = std::string("Error! Could not start the packing thread: ") + error.what();
        if (report)
            report->problem(text);
        else
            ReportMessage(text);
        m_notifyDone();
    }
}

void BatchWorker::OnCancel()
{
    g_cancelPack.store(1);
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

void BatchWorker::run(std::vector<std::string> names, int compress, kob::PackObserver* report)
{
    kob::SinkObserver toSink;
    kob::PackObserver& observer = report ? *report : toSink;
    // Every hardware thread compresses; the archives are the same as on one.
    m_result = kob::packBatch(names, {static_cast<uint32_t>(compress), 0, true}, m_controls, observer,
                              kob::CancelToken(g_cancelPack));
    m_done.store(true);
    m_notifyDone(); // the last act: nothing of the worker is touched after this
}
