#include "qt/PackProgressDlg.h"

#include "app/BatchReport.h"
#include "qt/DialogUnits.h"
#include "qt/ElidedLabel.h"
#include "pack/MessageSink.h"
#include "pack/PackBatch.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <system_error>

namespace {

QLabel* makeLine(QWidget* parent, const QString& text)
{
    auto* label = new ElidedLabel(text, parent);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

} // namespace

CPackProgressDlg::CPackProgressDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowCloseButtonHint)
    , m_cancel(new QPushButton(QStringLiteral("Cancel"), this))
    , m_progress(new QProgressBar(this))
    , m_status2(makeLine(this, QStringLiteral("Status: 2")))
    , m_status(makeLine(this, QStringLiteral("Status:")))
    , m_controls(this, m_status, m_status2, m_progress)
{
    const DialogUnits units(font());
    setFixedSize(units.toPixelsX(265), units.toPixelsY(54));

    PlaceControl(m_status, 1016, units, 7, 7, 251, 8);
    PlaceControl(m_progress, 1017, units, 7, 22, 251, 6);
    PlaceControl(m_status2, 1018, units, 7, 35, 149, 8);
    PlaceControl(m_cancel, 2, units, 208, 33, 50, 14);

    m_progress->setTextVisible(false);
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    // Enter must not press Cancel through the default-button rule.
    m_cancel->setAutoDefault(false);
    m_cancel->setDefault(false);
    connect(m_cancel, &QPushButton::clicked, this, &CPackProgressDlg::reject);
}

CPackProgressDlg::~CPackProgressDlg()
{
    if (!m_worker.joinable())
        return;
    if (!m_workerDone.load()) {
        g_cancelPack.store(1);
        while (!m_workerDone.load())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents | QEventLoop::ExcludeUserInputEvents);
    }
    m_worker.join();
}

void CPackProgressDlg::accept()
{
    OnOK();
}

void CPackProgressDlg::reject()
{
    OnCancel();
}

void CPackProgressDlg::OnOK()
{
}

void CPackProgressDlg::OnCancel()
{
    g_cancelPack.store(1);
}

void CPackProgressDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_initPending && !event->spontaneous()) {
        m_initPending = false;
        OnInitDialog();
    }
}

void CPackProgressDlg::hideEvent(QHideEvent* event)
{
    QDialog::hideEvent(event);
    // The next modal run is a new batch and initialises again.
    if (!event->spontaneous())
        m_initPending = true;
}

void CPackProgressDlg::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        OnOK();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool CPackProgressDlg::OnInitDialog()
{
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    if (m_names.empty())
        PostClose(); // no worker would ever close it
    else
        StartPackThread();
    return true;
}

void CPackProgressDlg::StartPackThread()
{
    if (!m_workerDone.load())
        return; // shown again while its batch still runs: that worker closes it
    if (m_worker.joinable())
        m_worker.join(); // the worker of an earlier run, already finished
    m_result = 0;
    g_cancelPack.store(0);
    m_workerDone.store(false);
    try {
        m_worker = std::thread([this] { RunBatch(); });
    } catch (const std::system_error& error) {
        m_workerDone.store(true);
        const std::string text = std::string("Error! Could not start the packing thread: ") + error.what();
        if (m_report)
            m_report->problem(text);
        else
            ReportMessage(text);
        PostClose();
    }
}

void CPackProgressDlg::RunBatch()
{
    // Every hardware thread compresses; the archives are the same as on one.
    kob::SinkObserver toSink;
    kob::PackObserver& observer = m_report ? static_cast<kob::PackObserver&>(*m_report) : toSink;
    m_result = kob::packBatch(m_names, {static_cast<uint32_t>(m_compress), 0, true}, m_controls, observer,
                              kob::CancelToken(g_cancelPack));
    m_workerDone.store(true);
    PostClose(); // the worker's last act: it touches nothing of the dialog after this
}

void CPackProgressDlg::PostClose()
{
    // The base class's close, not reject(): that only raises the cancel flag.
    QMetaObject::invokeMethod(this, [this] { QDialog::done(QDialog::Rejected); }, Qt::QueuedConnection);
}
