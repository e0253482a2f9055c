// kobpack-gui: the window tool. Start it in the mod's Archives folder.

#include "gui/KobPackApp.h"

#include <QApplication>

CKobPackApp theApp;

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kobpack-gui"));
    return theApp.InitInstance() ? QApplication::exec() : 0;
}
