#include "game/ArchivesFolder.h"

#include "platform/Folders.h"
#include "source/PathText.h"

bool IsArchivesFolder(const std::string& folder)
{
    return equalsNoCase(NameOf(platform::resolvedPath(folder)), "Archives");
}

std::string NotArchivesFolderText(const std::string& folder)
{
    return platform::resolvedPath(folder) + " is not a mod's Archives folder: the folders beside it would be packed into it";
}
