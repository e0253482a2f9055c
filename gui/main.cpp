// kobpack-gui [DIR]: the window tool. It works in the mod's Archives folder:
// DIR, else the folder it is started in, else the one the user picks.

#include "gui/KobPackApp.h"
#include "gui/WorkFolder.h"

#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>
#include <cstring>
#include <memory>

CKobPackApp theApp;

namespace {

// --help and --version are answered without a display.
bool asksForText(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        for (const char* option : {"-h", "-?", "--help", "--help-all", "-v", "--version"})
            if (std::strcmp(argv[i], option) == 0)
                return true;
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    std::unique_ptr<QCoreApplication> application;
    if (asksForText(argc, argv))
        application = std::make_unique<QCoreApplication>(argc, argv);
    else
        application = std::make_unique<QApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kobpack-gui"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KOBPACK_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Packs the folders of a game mod into .kob archives and starts the game with the mod.\n"
                       "Works in the mod's Archives folder: DIR, else the folder it is started in, else\n"
                       "the one it asks for."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("DIR"), QStringLiteral("The mod's Archives folder"),
                                 QStringLiteral("[DIR]"));
    parser.process(*application);
    const QStringList folders = parser.positionalArguments();
    if (folders.size() > 1) {
        std::fputs("kobpack-gui: give at most one DIR (see kobpack-gui --help)\n", stderr);
        return 2;
    }

    const WorkFolderResult start = EnterWorkFolder(folders.value(0), AskForArchivesFolder);
    if (start.outcome != WorkFolderOutcome::Entered)
        return ReportNoWorkFolder(start);
    return theApp.InitInstance() ? QApplication::exec() : 0;
}
