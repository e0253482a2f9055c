#pragma once
// The modal dialog that stands over the main window while a batch packs: its
// caption names the archive being created, two lines and a bar show the
// running job, and Cancel asks that job to stop. It draws and forwards: the
// batch's worker and the rules of its keys are app/BatchWorker.h's.

#include "app/BatchReport.h"
#include "app/BatchWorker.h"
#include "qt/QtPackControls.h"

#include <QDialog>

#include <string>
#include <vector>

class QLabel;
class QProgressBar;
class QPushButton;

class CPackProgressDlg : public QDialog {
    Q_OBJECT

public:
    explicit CPackProgressDlg(QWidget* parent = nullptr);
    // Should the modal run have been ended by someone else while the batch
    // still runs, cancels and serves the worker's last display updates.
    ~CPackProgressDlg() override;

    // How the batch ended; nothing until it ends.
    std::optional<kob::BatchEnd> result() const { return m_worker.result(); }
    std::vector<std::string> m_names; // names to pack, in order
    bool m_compress = false;          // compress switch of the whole batch
    kob::BatchReport* m_report = nullptr; // hears the batch's problems and outcomes; none: the dialog's own
    kob::PackContext m_context;       // what the jobs ask of the world
    QPushButton* m_cancel;            // IDC_CANCEL_BUTTON
    QProgressBar* m_progress;         // IDC_PROGRESS_BAR
    QLabel* m_status2;                // IDC_PROGRESS_STATUS2: the packing mode
    QLabel* m_status;                 // IDC_PROGRESS_STATUS: the file being packed

public slots:
    // Enter: does nothing.
    void accept() override;
    // Cancel, Esc and the close box: BatchWorker::OnCancel.
    void reject() override;

protected:
    // Sets the bar's range and starts the worker.
    virtual bool OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();

    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Ends the modal run from the event loop, as the worker's close request.
    void PostClose();

    QtPackControls m_controls;
    kob::BatchReport m_ownReport;
    BatchWorker m_worker;
    bool m_initPending = true;
};
