// What a choice of folders and levels packs, and which folders are made in
// the Archives folder first: the one decision behind the window's four pack
// buttons and kobpack pack.

#include "app/PackPlan.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace kobtest;

TEST(PackPlan, ChoicesGiveArchivesSourcesAndFoldersToMake)
{
    // archives: "name<source>archive" each
    const struct { const char* name; Game game; PackChoice choice; Strings archives, folders; } rows[] = {
        {"folder_makes_the_game_folder_whatever_its_name", Game::KelVane, {{"Objects"}, {}},
         {"Objects<../Objects>Objects.kob"}, {"kelVane"}},
        {"level_below_the_prefix_and_its_folders", Game::Ostrel, {{}, {"Alpine"}},
         {"ostrel/levels/Alpine<../ostrel/levels/Alpine>ostrel/levels/Alpine.kob"}, {"ostrel", "ostrel/levels"}},
        {"folders_before_levels", Game::KelVane, {{"kelVane/game"}, {"Bay"}},
         {"kelVane/game<../kelVane/game>kelVane/game.kob", "kelVane/levels/Bay<../kelVane/levels/Bay>kelVane/levels/Bay.kob"},
         {"kelVane", "kelVane/levels"}},
        {"folder_named_below_the_level_prefix_in_any_case", Game::KelVane, {{"Menu", "KELVANE/Levels/Alpine"}, {}},
         {"Menu<../Menu>Menu.kob", "KELVANE/Levels/Alpine<../KELVANE/Levels/Alpine>KELVANE/Levels/Alpine.kob"},
         {"kelVane", "kelVane/levels"}},
        {"no_game_bare_level_text_nothing_made", Game::None, {{"ostrel/levels/X"}, {"Alpine"}},
         {"ostrel/levels/X<../ostrel/levels/X>ostrel/levels/X.kob", "Alpine<../Alpine>Alpine.kob"}, {}},
        {"empty_text_packs_the_mod_root", Game::None, {{""}, {}}, {"<../>.kob"}, {}},
        {"nothing_chosen_makes_nothing", Game::KelVane, {}, {}, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const PackPlan plan = PlanPack(row.game, row.choice);
        Strings archives;
        for (const PlannedArchive& a : plan.archives)
            archives.push_back(a.name + "<" + a.source + ">" + a.archive);
        EXPECT_EQ(archives, row.archives);
        EXPECT_EQ(plan.folders, row.folders);
    }
}
