#include "gui/WorkFolder.h"

#include "game/Discovery.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

fs::path toPath(const QString& folder)
{
    return fs::path(QFile::encodeName(folder).toStdString());
}

bool nothingToPackHere()
{
    std::error_code error;
    const fs::path here = fs::current_path(error);
    if (error)
        return true;
    const fs::path home = fs::weakly_canonical(toPath(QDir::homePath()), error);
    if (here == here.root_path() || (!error && here == home))
        return true;
    const Game game = DetectGame();
    return ListLevels(game).empty() && ListFolders(game).empty();
}

WorkFolderResult enter(const QString& folder)
{
    std::error_code error;
    fs::current_path(toPath(folder), error);
    if (error)
        return {WorkFolderOutcome::Failed,
                QStringLiteral("Unable to open the folder %1: %2").arg(folder, QString::fromStdString(error.message()))};
    return {WorkFolderOutcome::Entered, {}};
}

} // namespace

WorkFolderResult EnterWorkFolder(const QString& folder, const FolderChooser& choose)
{
    if (!folder.isEmpty())
        return enter(folder);
    if (!nothingToPackHere())
        return {WorkFolderOutcome::Entered, {}};
    const QString chosen = choose();
    if (chosen.isEmpty())
        return {WorkFolderOutcome::Cancelled, {}};
    return enter(chosen);
}

QString AskForArchivesFolder()
{
    return QFileDialog::getExistingDirectory(nullptr, QStringLiteral("Choose your mod's Archives folder"),
                                             QDir::homePath());
}

int ReportNoWorkFolder(const WorkFolderResult& result)
{
    if (result.outcome != WorkFolderOutcome::Failed)
        return 0;
    std::fprintf(stderr, "kobpack-gui: %s\n", qPrintable(result.message));
    QMessageBox::critical(nullptr, QStringLiteral("ERROR!"), result.message, QMessageBox::Ok);
    return 1;
}
