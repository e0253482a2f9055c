// kobpack-gui [DIR]: the window tool. It works in the mod's Archives folder:
// DIR, else the folder it is started in, else the one the user picks.

#include "gui/KobPackApp.h"
#include "gui/WorkFolder.h"

#include <QApplication>

CKobPackApp theApp;

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kobpack-gui"));
    const WorkFolderResult start = EnterWorkFolder(QApplication::arguments().value(1), AskForArchivesFolder);
    if (start.outcome != WorkFolderOutcome::Entered)
        return ReportNoWorkFolder(start);
    return theApp.InitInstance() ? QApplication::exec() : 0;
}
