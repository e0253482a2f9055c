#include "app/WorkFolder.h"

#include "game/ArchivesFolder.h"
#include "game/Discovery.h"
#include "platform/Platform.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

bool nothingToPackHere()
{
    std::error_code error;
    const fs::path here = fs::current_path(error);
    if (error)
        return true;
    if (here == here.root_path())
        return true;
    const std::string home = platform::homeFolder();
    if (!home.empty() && here == fs::weakly_canonical(fs::path(home), error) && !error)
        return true;
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
    std::error_code ignored;
    const fs::path previous = fs::current_path(ignored);
    std::string error;
    if (!platform::changeFolder(folder, error))
        return {WorkFolderOutcome::Failed, "Unable to open the folder " + folder + ": " + error};
    if (wantedHere(useAnyway))
        return {WorkFolderOutcome::Entered, {}};
    fs::current_path(previous, ignored);
    return {WorkFolderOutcome::Cancelled, {}};
}

} // namespace

WorkFolderResult EnterWorkFolder(const std::string& folder, const FolderChooser& choose,
                                 const FolderQuestion& useAnyway)
{
    if (!folder.empty())
        return enter(folder, useAnyway);
    if (!nothingToPackHere())
        return {wantedHere(useAnyway) ? WorkFolderOutcome::Entered : WorkFolderOutcome::Cancelled, {}};
    for (;;) {
        const std::string chosen = choose();
        if (chosen.empty())
            return {WorkFolderOutcome::Cancelled, {}};
        const WorkFolderResult result = enter(chosen, useAnyway);
        if (result.outcome != WorkFolderOutcome::Cancelled)
            return result;
    }
}
