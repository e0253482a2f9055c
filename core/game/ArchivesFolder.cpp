#include "game/ArchivesFolder.h"

#include "source/DirListing.h"

#include <system_error>

namespace fs = std::filesystem;

namespace {

fs::path resolved(const fs::path& folder)
{
    std::error_code error;
    const fs::path path = fs::weakly_canonical(fs::absolute(folder, error), error);
    return error ? fs::path() : path;
}

} // namespace

bool IsArchivesFolder(const fs::path& folder)
{
    return equalsNoCase(resolved(folder).filename().string(), "Archives");
}

std::string NotArchivesFolderText(const fs::path& folder)
{
    const fs::path path = resolved(folder);
    return (path.empty() ? folder : path).string()
        + " is not a mod's Archives folder: the folders beside it would be packed into it";
}
