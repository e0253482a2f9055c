#include "qt/PackProgressDlg.h"

#include "app/BatchReport.h"
#include "app/ControlIds.h"

#include "qt/DialogUnits.h"
#include "qt/ElidedLabel.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>


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
    , m_worker(m_controls, [this] { PostClose(); })
{
    const DialogUnits units(font());
    setFixedSize(units.toPixelsX(265), units.toPixelsY(54));

    PlaceControl(m_status, IDC_PROGRESS_STATUS, units, 7, 7, 251, 8);
    PlaceControl(m_progress, IDC_PROGRESS_BAR, units, 7, 22, 251, 6);
    PlaceControl(m_status2, IDC_PROGRESS_STATUS2, units, 7, 35, 149, 8);
    PlaceControl(m_cancel, IDC_CANCEL_BUTTON, units, 208, 33, 50, 14);

    m_progress->setTextVisible(false);
    m_progress->setRange(kProgressLower, kProgressUpper);
    m_progress->setValue(0);
    // Enter must not press Cancel through the default-button rule.
    m_cancel->setAutoDefault(false);
    m_cancel->setDefault(false);
    connect(m_cancel, &QPushButton::clicked, this, &CPackProgressDlg::reject);
}

CPackProgressDlg::~CPackProgressDlg()
{
    m_worker.Finish([] {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents | QEventLoop::ExcludeUserInputEvents);
    });
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
    m_worker.OnOK();
}

void CPackProgressDlg::OnCancel()
{
    m_worker.OnCancel();
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
    m_progress->setRange(kProgressLower, kProgressUpper);
    m_progress->setValue(0);
    m_worker.Start(m_names, m_compress, m_report ? *m_report : m_ownReport, m_context);
    return true;
}

void CPackProgressDlg::PostClose()
{
    // The base class's close, not reject(): that only raises the cancel flag.
    QMetaObject::invokeMethod(this, [this] { QDialog::done(QDialog::Rejected); }, Qt::QueuedConnection);
}
