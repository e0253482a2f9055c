// What a choice packs and which folders it makes first, for the window's
// pack buttons and kobpack pack alike.

#include "app/PackPlan.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace kobtest;

TEST(PackPlan, ChoicesGiveArchivesSourcesAndFoldersToMake)
{
    // archives: "name<source>archive" each
    const struct { const char* name; Game game; PackChoice choice; Strings archives, folders, refused = {}; } rows[] = {
        {"folder_makes_the_game_folder_whatever_its_name", Game::KelVane, {{"Objects"}, {}},
         {"Objects<../Objects>Objects.kob"}, {"kelVane"}},
        {"level_below_the_prefix_and_its_folders", Game::Ostrel, {{}, {"Alpine"}},
         {"ostrel/levels/Alpine<../ostrel/levels/Alpine>ostrel/levels/Alpine.kob"}, {"ostrel", "ostrel/levels"}},
        {"folder_named_below_the_level_prefix_any_case_or_slash", Game::KelVane, {{"Menu", "KELVANE\\Levels/A"}, {}},
         {"Menu<../Menu>Menu.kob", "KELVANE\\Levels/A<../KELVANE\\Levels/A>KELVANE\\Levels/A.kob"},
         {"kelVane", "kelVane/levels"}},
        // Issue 20: an empty field packed the whole mod root into a hidden ".kob".
        {"no_game_makes_nothing_bare_level_trailing_slash_dropped_blank_refused", Game::None,
         {{"ostrel/levels/X", "", "objects\\/"}, {"L", " \t", "/"}},
         {"ostrel/levels/X<../ostrel/levels/X>ostrel/levels/X.kob", "objects<../objects>objects.kob", "L<../L>L.kob"}, {},
         {"an empty or blank folder name; not packed", "an empty or blank level name; not packed",
          "an empty or blank level name; not packed"}},
        // An absolute name or one with ".." wrote its archive outside the Archives folder.
        {"nothing_accepted_makes_no_folder", Game::KelVane, {{"/tmp/x", "a\\..\\b", "./"}, {" ", "../x"}}, {}, {},
         {"/tmp/x: refused: the name is absolute", "a\\..\\b: refused: the name holds a \"..\" component",
          ".: refused: the name holds a \".\" component",
          "an empty or blank level name; not packed", "../x: refused: the name holds a \"..\" component"}},
        {"nothing_chosen_makes_nothing", Game::KelVane, {}, {}, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const PackPlan plan = PlanPack(row.game, row.choice);
        Strings archives;
        for (const PlannedArchive& a : plan.archives)
            archives.push_back(a.name + "<" + a.source + ">" + a.archive);
        EXPECT_EQ(std::tuple(archives, plan.folders, plan.refused), std::tuple(row.archives, row.folders, row.refused));
    }
}
