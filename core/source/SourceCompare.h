#pragma once
// Compares the files below a source folder with the entry names of an
// archive packed from it, so that a check against the source can tell a file
// that the archive lacks.

#include <string>
#include <vector>

// The folder below `root` (the mod root) that the archive at `archivePath`
// was packed from, as its entries name it. The candidates are the archive's
// path without ".kob" and the same less its leading folders ("."/".." and
// what precedes them dropped): ostrel/levels/L.kob gives ostrel/levels/L,
// levels/L and L. The longest candidate that, followed by "/", begins every
// entry name (ASCII case ignored) wins; for an archive without entries, the
// longest that is a folder below `root`. Returns "" when none fits.
std::string PackFolderOf(const std::string& archivePath, const std::vector<std::string>& entryNames,
                         const std::string& root);

// Walks `root`/`packFolder` with the packer's own scan and returns, in walk
// order, the entry name "packFolder/<path below it>" of every file that has
// no entry of that name in `entryNames` (ASCII case ignored). The file
// `exclude` (the archive itself, when it lies there) is passed over. What the
// scan leaves out (a folder that cannot be listed, a name past the limits)
// adds its text to `problems`.
std::vector<std::string> FilesWithoutEntry(const std::string& root, const std::string& packFolder,
                                           const std::vector<std::string>& entryNames, const std::string& exclude,
                                           std::vector<std::string>& problems);
