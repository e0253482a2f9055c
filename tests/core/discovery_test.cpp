// Which game a mod belongs to, its levels and its packable folders.

#include "game/Discovery.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace kobtest;

namespace {

Strings sorted(Strings names)
{
    SortNoCase(names);
    return names;
}

} // namespace

TEST(Discovery, GameChoice)
{
    const struct { const char* name; Strings folders; Game game; } rows[] = {
        {"no game folder; a file named KelVane is none", {}, Game::None},
        {"../Ostrel found in any case", {"ostrel"}, Game::Ostrel},
        {"the second game wins", {"Ostrel", "kelvane"}, Game::KelVane},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ModTree mod;
        for (const std::string& folder : row.folders)
            mod.folder(folder);
        if (row.folders.empty())
            mod.file("KelVane", "a file, not a folder");
        EXPECT_EQ(DetectGame(), row.game);
    }
    // The drop-downs' order folds to lower case: "_" comes before the letters
    // (the listing order puts it after them).
    EXPECT_EQ(sorted({"b", "_x", "B", "a"}), (Strings{"_x", "a", "b", "B"}));
}

TEST(Discovery, FolderAndLevelLists)
{
    ModTree mod;
    for (const char* folder : {"Objects", "Menu", "Movies", "Music", "Logs", "lightmaps", "_backup", ".svn", "kelVane",
                               "ostrel", "KELVANE_old", "arena", "mods", "mudflats", "Architecture"})
        mod.folder(folder);
    mod.file("readme.txt", "files are never listed");
    EXPECT_EQ(sorted(ListFolders(Game::KelVane)), (Strings{"kelVane/game", "kelVane/game", "lightmaps", "Menu", "Objects"}))
        << "ostrel is never offered under game 2";
    EXPECT_EQ(sorted(ListFolders(Game::Ostrel)), (Strings{"lightmaps", "Menu", "Objects", "ostrel/game"}));
    EXPECT_EQ(sorted(ListFolders(Game::None)), (Strings{"lightmaps", "Menu", "Objects"}))
        << "neither game folder without a game";

    mod.folder("kelVane/Levels/Lowlands");
    mod.folder("kelVane/Levels/Alpine");
    mod.folder("kelVane/Levels/.hidden");
    mod.file("kelVane/Levels/notes.txt", "n");
    EXPECT_EQ(sorted(ListLevels(Game::KelVane)), (Strings{"Alpine", "Lowlands"}));
    EXPECT_TRUE(ListLevels(Game::Ostrel).empty()) << "no ostrel levels folder";
    EXPECT_TRUE(ListLevels(Game::None).empty());
}

TEST(Discovery, MakeDirectoriesUsesAnExistingOneInAnyCase)
{
#ifdef _WIN32
    GTEST_SKIP() << "needs a file system that tells names apart by case";
#endif
    ModTree mod;
    fs::create_directory("KELVANE");
    MakeDirectories({"kelVane", "kelVane/levels"});
    EXPECT_EQ(std::pair(fs::is_directory("KELVANE/levels"), fs::exists("kelVane")), std::pair(true, false));
}
