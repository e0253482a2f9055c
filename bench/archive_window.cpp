// kobpack-benchwindow BIG.kob SMALL.kob OUTDIR: times the Qt archive window
// (offscreen) opening and showing BIG.kob, scrolling to its end, and
// extracting every entry of SMALL.kob into OUTDIR behind its progress
// dialog; one line "NAME SECONDS" each, for bench/archive_window.sh.

#include "qt/ArchiveWnd.h"
#include "qt/DialogUnits.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>

#include <chrono>
#include <cstdio>

namespace {

double since(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: kobpack-benchwindow BIG.kob SMALL.kob OUTDIR\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    InstallDialogFont();

    auto start = std::chrono::steady_clock::now();
    CArchiveWnd big;
    if (!big.Open(argv[1]))
        return 1;
    big.show();
    big.repaint();
    QApplication::processEvents();
    std::printf("open-show %.3f\n", since(start));
    start = std::chrono::steady_clock::now();
    for (int step = 0; step < 100; ++step) { // a page at a time, drawn each time
        big.m_list->verticalScrollBar()->setValue(big.m_list->verticalScrollBar()->maximum() * step / 99);
        big.m_list->viewport()->repaint();
    }
    std::printf("scroll-100-pages %.3f\n", since(start));

    CArchiveWnd small;
    if (!small.Open(argv[2]))
        return 1;
    small.m_chooseFolder = [&](const QString&) { return QString::fromLocal8Bit(argv[3]); };
    QTimer closeBox; // the box at the end
    QObject::connect(&closeBox, &QTimer::timeout, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            box->done(0);
    });
    closeBox.start(5);
    start = std::chrono::steady_clock::now();
    small.m_extract->click();
    std::printf("extract %.3f\n", since(start));
    return 0;
}
