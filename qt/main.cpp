// kobpack-gui [DIR]: the window tool. It works in the mod's Archives folder:
// DIR, else the folder it is started in, else the one the user picks.
// kobpack-gui ARCHIVE.kob...: a window that looks into each archive.

#include "app/WindowStart.h"
#include "qt/ArchiveWnd.h"
#include "qt/ByteNames.h"
#include "qt/DialogUnits.h"
#include "qt/KobPackApp.h"
#include "qt/WorkFolder.h"

#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>
#include <cstring>
#include <memory>

CKobPackApp theApp;

namespace {

// --help and --version are answered without a display, and so is -v, which
// is refused: in kobpack it means --verbose, not --version.
bool asksForText(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        for (const char* option : {"-h", "--help", "--version", "-v"})
            if (std::strcmp(argv[i], option) == 0)
                return true;
    return false;
}

// One window for each archive that opens (a file that does not says why in
// a box of its own); the program ends when the last window closes. Returns
// the exit status.
int LookIntoArchives(const std::vector<std::string>& paths)
{
    InstallDialogFont();
    size_t opened = 0;
    for (const std::string& path : paths) {
        auto* window = new CArchiveWnd;
        window->setAttribute(Qt::WA_DeleteOnClose);
        if (window->Open(path)) {
            window->show();
            ++opened;
        } else {
            delete window;
        }
    }
    if (opened == 0)
        return 1;
    const int status = QApplication::exec();
    return opened == paths.size() ? status : 1;
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
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Print this help and exit"));
    const QCommandLineOption version(QStringLiteral("version"), QStringLiteral("Print the version and exit"));
    parser.addOptions({help, version});
    parser.addPositionalArgument(QStringLiteral("DIR"),
                                 QStringLiteral("The mod's Archives folder (another folder only after a question)"),
                                 QStringLiteral("[DIR]"));
    parser.addPositionalArgument(QStringLiteral("ARCHIVE.kob"),
                                 QStringLiteral("Instead of DIR: archives to look into, verify and extract from,\n"
                                                "each in a window of its own"),
                                 QStringLiteral("| ARCHIVE.kob..."));
    // Usage errors read like kobpack's, with the same exit status.
    const auto usageError = [](const std::string& text) {
        std::fprintf(stderr, "kobpack-gui: %s (see kobpack-gui --help)\n", text.c_str());
    };
    if (!parser.parse(QCoreApplication::arguments())) {
        usageError(ToLocalBytes(parser.errorText()));
        return kUsageErrorStatus;
    }
    if (parser.isSet(help)) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return 0;
    }
    if (parser.isSet(version)) {
        std::puts("kobpack-gui " KOBPACK_VERSION);
        return 0;
    }
    std::vector<std::string> arguments;
    for (const QString& argument : parser.positionalArguments())
        arguments.push_back(ToLocalBytes(argument));
    return RunWindowProgram(arguments, {LookIntoArchives, AskForArchivesFolder, AskUseFolderAnyway, ShowStartError,
                                        usageError, [] { theApp.InitInstance(); }});
}
