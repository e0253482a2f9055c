// Which game a mod belongs to, its levels and its packable folders.

#include "game/Discovery.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace kobtest;

namespace {

std::vector<std::string> sorted(std::vector<std::string> names)
{
    SortNoCase(names);
    return names;
}

} // namespace

TEST(Discovery, GameChoice)
{
    {
        ModTree mod;
        EXPECT_EQ(DetectGame(), kGameNone);
        EXPECT_EQ(GameIdentifier(kGameNone), "ostrel");
        EXPECT_TRUE(ListLevels(kGameNone).empty());
    }
    {
        ModTree mod;
        mod.folder("ostrel");
        EXPECT_EQ(DetectGame(), kGameOstrel) << "\"../Ostrel\" found in any case";
        EXPECT_EQ(GameIdentifier(kGameOstrel), "ostrel");
    }
    {
        ModTree mod;
        mod.folder("Ostrel");
        mod.folder("kelvane");
        EXPECT_EQ(DetectGame(), kGameKelVane) << "the second game wins";
        EXPECT_EQ(GameIdentifier(kGameKelVane), "kelvane");
    }
    {
        ModTree mod;
        mod.file("KelVane", "a file, not a folder");
        EXPECT_EQ(DetectGame(), kGameNone);
    }
}

TEST(Discovery, FolderListRules)
{
    ModTree mod;
    for (const char* folder : {"Objects", "Menu", "Movies", "Music", "Logs", "lightmaps", "_backup", ".svn", "kelVane"})
        mod.folder(folder);
    mod.file("readme.txt", "files are never listed");
    const std::vector<std::string> expected = {"kelVane/game", "lightmaps", "Menu", "Objects"};
    EXPECT_EQ(sorted(ListFolders(kGameKelVane)), expected);
}

TEST(Discovery, GameFoldersUnderEachChoice)
{
    ModTree mod;
    for (const char* folder : {"ostrel", "KELVANE_old", "kelVane", "arena", "mods", "mudflats", "Architecture"})
        mod.folder(folder);
    const std::vector<std::string> kelVane = {"kelVane/game", "kelVane/game"};
    EXPECT_EQ(sorted(ListFolders(kGameKelVane)), kelVane) << "ostrel is never offered under game 2";
    EXPECT_EQ(ListFolders(kGameOstrel), std::vector<std::string>{"ostrel/game"});
    EXPECT_TRUE(ListFolders(kGameNone).empty()) << "neither game folder without a game";
}

TEST(Discovery, LevelList)
{
    ModTree mod;
    mod.folder("KelVane/Levels/Lowlands");
    mod.folder("KelVane/Levels/Alpine");
    mod.folder("KelVane/Levels/.hidden");
    mod.file("KelVane/Levels/notes.txt", "n");
    const std::vector<std::string> expected = {"Alpine", "Lowlands"};
    EXPECT_EQ(sorted(ListLevels(kGameKelVane)), expected);
    EXPECT_TRUE(ListLevels(kGameOstrel).empty()) << "no ostrel levels folder";
}

TEST(Discovery, PackNamesAndDirectories)
{
    EXPECT_EQ(LevelPackName(kGameKelVane, "Alpine"), "kelVane/levels/Alpine");
    EXPECT_EQ(LevelPackName(kGameOstrel, "Alpine"), "ostrel/levels/Alpine");
    EXPECT_EQ(LevelPackName(kGameNone, "Alpine"), "Alpine");
    const std::vector<std::string> ostrelLevels = {"ostrel", "ostrel/levels"};
    EXPECT_EQ(LevelDirectories(kGameOstrel), ostrelLevels);
    EXPECT_EQ(FolderDirectories(kGameKelVane), std::vector<std::string>{"kelVane"});
    EXPECT_TRUE(FolderDirectories(kGameNone).empty());
}

TEST(Discovery, MakeDirectoriesUsesAnExistingOneInAnyCase)
{
    ModTree mod;
    fs::create_directory("KELVANE");
    MakeDirectories({"kelVane", "kelVane/levels"});
    EXPECT_TRUE(fs::is_directory("KELVANE/levels"));
    EXPECT_FALSE(fs::exists("kelVane"));
    MakeDirectories({"ostrel", "ostrel/levels"});
    EXPECT_TRUE(fs::is_directory("ostrel/levels"));
}
