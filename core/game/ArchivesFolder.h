#pragma once
// Whether a folder is fit to work in. Both front ends pack "../NAME" into
// NAME.kob beside them, so a folder that is not a mod's Archives folder
// (the home folder, /tmp, the mod root itself) would receive archives of
// whatever folders sit beside it.

#include <string>

// True when `folder` is named "Archives" in any letter case. "." and paths
// ending in "/" or ".." are judged by the folder they lead to; a folder
// that cannot be resolved is not an Archives folder.
bool IsArchivesFolder(const std::string& folder);

// "FOLDER is not a mod's Archives folder: the folders beside it would be
// packed into it", with FOLDER made absolute; each front end adds its own
// question or way out.
std::string NotArchivesFolderText(const std::string& folder);
