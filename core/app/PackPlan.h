#pragma once
// What a press of a pack button, or a kobpack pack command, packs: the
// archives in order, the folder each is packed from, and the folders to make
// in the Archives folder (the current directory) first, so that an archive
// below a game's folder can be written.

#include "game/Game.h"

#include <string>
#include <vector>

// What the user chose. Folders are pack names as they are (a list entry, a
// typed text, a name on the command line, empty included); levels are level
// names, packed below the game's level prefix. Folders come first.
struct PackChoice {
    std::vector<std::string> folders;
    std::vector<std::string> levels;
};

struct PlannedArchive {
    std::string name;    // the pack name handed to the batch
    std::string source;  // "../NAME", the folder packed
    std::string archive; // "NAME.kob", the archive written
};

struct PackPlan {
    std::vector<PlannedArchive> archives;
    std::vector<std::string> folders; // to make first, each after its parent
    std::vector<std::string> refused; // why a chosen name is not packed, one text each

    std::vector<std::string> names() const;
};

// With a game found, any pack makes the game's folder first, and any level,
// or a folder named below the game's level prefix ("\" or "/", any case),
// its levels folder as well; without one no folder is made, and a level's
// name is its bare text. Trailing "/" and "\\" are dropped: "objects/" is the
// folder, never "objects/.kob". An empty or blank name is refused (it would
// pack the whole mod root, or the levels folder, into a hidden ".kob"), and
// so is an absolute one or one with a "." or ".." component (its archive
// would land outside the Archives folder, or not beside its folder); what else cannot
// be packed fails in the batch.
PackPlan PlanPack(Game game, const PackChoice& choice);

// Moves each planned archive whose folder is not there (in any case) to the
// refusals, with its name as the user gave it; a name Windows cannot hold
// (a "?" where the code page has no letter for one of the folder's) says so.
// A plan left with no archive makes no folder.
void RefuseMissingFolders(PackPlan& plan);

// Every folder and every level that discovery finds, each list sorted as the
// drop-downs show it; for the command line, which has no lists of its own.
PackChoice AllFolders(Game game);
PackChoice AllLevels(Game game);
