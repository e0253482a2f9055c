// Renders each dialog of the window tool to a PNG file, with no display, so
// its layout can be looked at:
//   cmake --build BUILD --target render-dialogs, into BUILD/dialogs
// (the offscreen platform with a desktop-sized screen, see CMakeLists.txt).
// Each dialog is drawn in the tool's own font, as the live window shows it;
// README's picture of the main window, docs/main-window.png, is one of them.
// The main window is opened on a small sample mod in a temporary folder. A
// caption strip is drawn above each dialog, as the offscreen platform draws
// no window frame.

#include "game/Launcher.h"
#include "qt/CQuickLaunchDlg.h"
#include "qt/DialogUnits.h"
#include "qt/KobPackDlg.h"
#include "qt/PackProgressDlg.h"
#include "qt/QtPackControls.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPainter>
#include <QTemporaryDir>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>

namespace {

std::unique_ptr<QWidget> mainWindow()
{
    auto window = std::make_unique<CKobPackDlg>();
    window->show(); // runs discovery on the sample mod
    // Active, as on the desktop, so Pack Level shows that it has the focus.
    window->activateWindow();
    QApplication::processEvents();
    return window;
}

std::unique_ptr<QWidget> progressDialog()
{
    auto dialog = std::make_unique<CPackProgressDlg>();
    // A batch halfway through its second archive; set on this thread, the
    // updates apply at once.
    QtPackControls controls(dialog.get(), dialog->m_status, dialog->m_status2, dialog->m_progress);
    controls.setCaption("Creating (2 of 3): kelVane/game.kob");
    controls.setLowerLine("Packing Archive (Compressed)");
    controls.setRange(0, 40);
    controls.setUpperLine("../kelVane/game/objects/vehicles/truck.con");
    controls.setPosition(17);
    return dialog;
}

std::unique_ptr<QWidget> helpBox()
{
    std::unique_ptr<QWidget> box = MakeHelpBox(nullptr);
    box->setAttribute(Qt::WA_DontShowOnScreen);
    box->show(); // a message box takes its size when shown
    return box;
}

// Starts nothing: the picture needs only the dialog's first-use state.
class NoLauncher : public Launcher {
public:
    LaunchResult Start(const std::string&, const std::string&, const std::string&) override
    {
        return {false, "not started while rendering"};
    }
};

std::unique_ptr<QWidget> quickLaunchDialog()
{
    static NoLauncher launcher;
    auto dialog = std::make_unique<CQuickLaunchDlg>(launcher);
    dialog->state().m_gameExe = "kelvane";
    dialog->state().m_MapList = {"Lowlands", "Alpine"};
    dialog->OnInitDialog();
    dialog->setAttribute(Qt::WA_DontShowOnScreen);
    dialog->show();
    return dialog;
}

struct Rendering {
    const char* file;
    std::function<std::unique_ptr<QWidget>()> make;
};

// One line per dialog.
const Rendering kRenderings[] = {
    {"main_window.png", mainWindow},
    {"progress_dialog.png", progressDialog},
    {"help_box.png", helpBox},
    {"quick_launch_dialog.png", quickLaunchDialog},
};

// The dialog's client area below a plain caption strip with a close box.
QImage withCaption(QWidget& widget)
{
    widget.ensurePolished();
    const QPixmap client = widget.grab();
    const int strip = 20;
    QImage image(client.width() + 2, client.height() + strip + 1, QImage::Format_RGB32);
    image.fill(QColor(64, 64, 64));
    QPainter painter(&image);
    painter.fillRect(1, 1, client.width(), strip - 1, QColor(10, 36, 106));
    QFont caption = DialogFont();
    caption.setBold(true);
    painter.setFont(caption);
    painter.setPen(Qt::white);
    painter.drawText(QRect(6, 1, client.width() - 30, strip - 1), Qt::AlignVCenter | Qt::AlignLeft,
                     widget.windowTitle().replace(QStringLiteral("[*][*]"), QStringLiteral("[*]")));
    const QRect closeBox(client.width() - 17, 4, 14, 12);
    painter.fillRect(closeBox, QColor(212, 208, 200));
    painter.setPen(Qt::black);
    painter.drawLine(closeBox.topLeft() + QPoint(4, 3), closeBox.bottomRight() - QPoint(4, 3));
    painter.drawLine(closeBox.bottomLeft() + QPoint(4, -3), closeBox.topRight() + QPoint(-4, 3));
    painter.drawPixmap(1, strip, client);
    return image;
}

void makeSampleMod(const QString& root)
{
    QDir dir(root);
    for (const char* folder : {"Archives", "Objects/vehicles", "Menu", "lightmaps", "Sound", "Music", "_backup",
                               "kelVane/game", "kelVane/levels/Alpine", "kelVane/levels/Harbour",
                               "kelVane/levels/Lowlands"})
        dir.mkpath(QString::fromLatin1(folder));
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    InstallDialogFont(); // as the window tool does at start-up
    if (argc != 2) {
        std::fprintf(stderr, "usage: kobpack-render-dialogs OUTPUT-FOLDER\n");
        return 2;
    }
    const QString outFolder = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(outFolder)) {
        std::fprintf(stderr, "kobpack-render-dialogs: cannot make %s\n", argv[1]);
        return 1;
    }
    QTemporaryDir sample;
    if (!sample.isValid()) {
        std::fprintf(stderr, "kobpack-render-dialogs: cannot make a temporary folder\n");
        return 1;
    }
    makeSampleMod(sample.path());
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(QFile::encodeName(sample.filePath(QStringLiteral("Archives"))).toStdString());

    int failures = 0;
    for (const Rendering& rendering : kRenderings) {
        const std::unique_ptr<QWidget> widget = rendering.make();
        QApplication::processEvents();
        const QString path = QDir(outFolder).filePath(QString::fromLatin1(rendering.file));
        if (withCaption(*widget).save(path, "PNG")) {
            std::printf("%s\n", qPrintable(path));
        } else {
            std::fprintf(stderr, "kobpack-render-dialogs: cannot write %s\n", qPrintable(path));
            ++failures;
        }
    }
    std::filesystem::current_path(previous);
    return failures == 0 ? 0 : 1;
}
