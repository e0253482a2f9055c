#include "app/WorkFolder.h"

#include "game/ArchivesFolder.h"
#include "game/Discovery.h"
#include "platform/Platform.h"

namespace {

// An Archives folder with nothing beside it to pack (an empty one, or one in
// a folder of its own) is no mod's.
bool nothingToPackHere()
{
    const Game game = DetectGame();
    return ListLevels(game).empty() && ListFolders(game).empty();
}

// Keeps the current directory unless the user wants it although it is no
// Archives folder; the name is judged once entered, so that "." and
// "mod/Archives/" count as what they lead to.
bool wantedHere(const FolderQuestion& useAnyway)
{
    return IsArchivesFolder(".") || useAnyway(NotArchivesFolderText(".") + ". Use it anyway?");
}

WorkFolderResult enter(const std::string& folder, const FolderQuestion& useAnyway)
{
    const std::string previous = platform::currentFolder();
    platform::Error error;
    if (!platform::changeFolder(folder, error))
        return {WorkFolderOutcome::Failed, "Unable to open the folder " + folder + ": " + error.text};
    if (wantedHere(useAnyway))
        return {WorkFolderOutcome::Entered, {}};
    if (!previous.empty())
        platform::changeFolder(previous, error);
    return {WorkFolderOutcome::Cancelled, {}};
}

// The line the chooser shows when the window was started in the current
// folder: not an Archives folder, or one with nothing to pack.
std::string chooserReason(bool archivesFolder)
{
    return "KobPack was started in " + platform::currentFolder()
         + (archivesFolder ? ", where there is nothing to pack" : ", which is not a mod's Archives folder")
         + ": choose your mod's Archives folder.";
}

} // namespace

WorkFolderResult EnterWorkFolder(const std::string& folder, const FolderChooser& choose,
                                 const FolderQuestion& useAnyway)
{
    if (!folder.empty())
        return enter(folder, useAnyway);
    const bool archives = IsArchivesFolder(".");
    if (archives && !nothingToPackHere())
        return {WorkFolderOutcome::Entered, {}};
    const std::string why = chooserReason(archives);
    for (;;) {
        const std::string chosen = choose(why);
        if (chosen.empty())
            return {WorkFolderOutcome::Cancelled, {}};
        const WorkFolderResult result = enter(chosen, useAnyway);
        if (result.outcome != WorkFolderOutcome::Cancelled)
            return result;
    }
}
