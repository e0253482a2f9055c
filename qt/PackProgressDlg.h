#pragma once
// The modal dialog that stands over the main window while a batch packs: its
// caption names the archive being created, two lines and a bar show the
// running job, and Cancel asks that job to stop. The dialog starts the
// batch's worker when it is shown, and the worker closes it as its last act.

#include "qt/QtPackControls.h"

#include <QDialog>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace kob {
class BatchReport;
}
class QLabel;
class QProgressBar;
class QPushButton;

class CPackProgressDlg : public QDialog {
    Q_OBJECT

public:
    explicit CPackProgressDlg(QWidget* parent = nullptr);
    // Joins the worker. Should the modal run have been ended by someone else
    // while the batch still runs, it first raises the cancel flag and serves
    // the worker's last display updates, so the two cannot deadlock.
    ~CPackProgressDlg() override;

    // The batch result; 0 until the batch ends. Atomic: a modal run ended by
    // someone else may read it while the worker still runs.
    std::atomic<int> m_result{0};
    std::vector<std::string> m_names; // names to pack, in order
    int m_compress = 0;               // compress switch of the whole batch
    kob::BatchReport* m_report = nullptr; // hears the batch's problems and outcomes; none: the message sink does
    QPushButton* m_cancel;            // item 2
    QProgressBar* m_progress;         // item 1017
    QLabel* m_status2;                // item 1018, the packing mode
    QLabel* m_status;                 // item 1016, the file being packed

public slots:
    // Enter: does nothing.
    void accept() override;
    // Cancel, Esc and the close box: only raise the cancel flag; the dialog
    // stays until the worker closes it.
    void reject() override;

protected:
    // Sets the bar to 0 .. 100 and starts the worker; with no names to pack
    // it closes the dialog at once instead.
    virtual bool OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();

    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void StartPackThread();
    void RunBatch();
    // Ends the modal run from the event loop, as the worker's close request.
    void PostClose();

    QtPackControls m_controls;
    std::thread m_worker;
    std::atomic<bool> m_workerDone{true};
    bool m_initPending = true;
};
