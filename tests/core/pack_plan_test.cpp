// What a choice packs and which folders it makes first, for the window's
// pack buttons and kobpack pack alike.

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
        {"folder_named_below_the_level_prefix_any_case_or_slash", Game::KelVane, {{"Menu", "KELVANE\\Levels/A"}, {}},
         {"Menu<../Menu>Menu.kob", "KELVANE\\Levels/A<../KELVANE\\Levels/A>KELVANE\\Levels/A.kob"},
         {"kelVane", "kelVane/levels"}},
        {"no_game_makes_nothing_bare_level_empty_text_is_the_root", Game::None, {{"ostrel/levels/X", ""}, {"L"}},
         {"ostrel/levels/X<../ostrel/levels/X>ostrel/levels/X.kob", "<../>.kob", "L<../L>L.kob"}, {}},
        {"nothing_chosen_makes_nothing", Game::KelVane, {}, {}, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const PackPlan plan = PlanPack(row.game, row.choice);
        Strings archives;
        for (const PlannedArchive& a : plan.archives)
            archives.push_back(a.name + "<" + a.source + ">" + a.archive);
        EXPECT_EQ(std::pair(archives, plan.folders), std::pair(row.archives, row.folders));
    }
}
