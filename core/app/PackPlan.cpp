#include "app/PackPlan.h"

#include "game/Discovery.h"
#include "source/PathText.h"

std::vector<std::string> PackPlan::names() const
{
    std::vector<std::string> names;
    for (const PlannedArchive& planned : archives)
        names.push_back(planned.name);
    return names;
}

PackPlan PlanPack(Game game, const PackChoice& choice)
{
    const GameInfo* info = FindGame(game);
    const std::string prefix = info ? std::string(info->levelPrefix) : "";
    PackPlan plan;
    bool levelFolder = !choice.levels.empty();
    for (const std::string& folder : choice.folders) {
        plan.archives.push_back({folder, "../" + folder, folder + ".kob"});
        levelFolder = levelFolder || (info && startsWithNoCase(forwardSlashes(folder), prefix));
    }
    for (const std::string& level : choice.levels)
        plan.archives.push_back({prefix + level, "../" + prefix + level, prefix + level + ".kob"});
    if (info && !plan.archives.empty())
        plan.folders.emplace_back(info->directory);
    if (info && levelFolder)
        plan.folders.emplace_back(info->levelsDirectory);
    return plan;
}

PackChoice AllFolders(Game game)
{
    PackChoice choice{ListFolders(game), {}};
    SortNoCase(choice.folders);
    return choice;
}

PackChoice AllLevels(Game game)
{
    PackChoice choice{{}, ListLevels(game)};
    SortNoCase(choice.levels);
    return choice;
}
