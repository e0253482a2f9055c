#include "qt/WorkFolder.h"

#include "game/ArchivesFolder.h"
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

// Keeps the current directory unless the user wants it although it is no
// Archives folder; the name is judged once entered, so that "." and
// "mod/Archives/" count as what they lead to.
bool wantedHere(const FolderQuestion& useAnyway)
{
    return IsArchivesFolder(".")
        || useAnyway(QFile::decodeName(NotArchivesFolderText(".").c_str()) + QStringLiteral(". Use it anyway?"));
}

WorkFolderResult enter(const QString& folder, const FolderQuestion& useAnyway)
{
    std::error_code error;
    const fs::path previous = fs::current_path(error);
    fs::current_path(toPath(folder), error);
    if (error)
        return {WorkFolderOutcome::Failed,
                QStringLiteral("Unable to open the folder %1: %2").arg(folder, QString::fromStdString(error.message()))};
    if (wantedHere(useAnyway))
        return {WorkFolderOutcome::Entered, {}};
    fs::current_path(previous, error);
    return {WorkFolderOutcome::Cancelled, {}};
}

} // namespace

WorkFolderResult EnterWorkFolder(const QString& folder, const FolderChooser& choose, const FolderQuestion& useAnyway)
{
    if (!folder.isEmpty())
        return enter(folder, useAnyway);
    if (!nothingToPackHere())
        return {wantedHere(useAnyway) ? WorkFolderOutcome::Entered : WorkFolderOutcome::Cancelled, {}};
    for (;;) {
        const QString chosen = choose();
        if (chosen.isEmpty())
            return {WorkFolderOutcome::Cancelled, {}};
        const WorkFolderResult result = enter(chosen, useAnyway);
        if (result.outcome != WorkFolderOutcome::Cancelled)
            return result;
    }
}

QString AskForArchivesFolder()
{
    return QFileDialog::getExistingDirectory(nullptr, QStringLiteral("Choose your mod's Archives folder"),
                                             QDir::homePath());
}

bool AskUseFolderAnyway(const QString& question)
{
    return QMessageBox::question(nullptr, QStringLiteral("Kob Mod Quick Pack 1.5"), question,
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        == QMessageBox::Yes;
}

int ReportNoWorkFolder(const WorkFolderResult& result)
{
    if (result.outcome != WorkFolderOutcome::Failed)
        return 0;
    std::fprintf(stderr, "kobpack-gui: %s\n", qPrintable(result.message));
    QMessageBox::critical(nullptr, QStringLiteral("ERROR!"), result.message, QMessageBox::Ok);
    return 1;
}
