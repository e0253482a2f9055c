#include "app/PackPlan.h"

#include "game/Discovery.h"
#include "source/PathText.h"

#include <optional>

std::vector<std::string> PackPlan::names() const
{
    std::vector<std::string> names;
    for (const PlannedArchive& planned : archives)
        names.push_back(planned.name);
    return names;
}

namespace {

// The name without trailing separators, or nullopt when nothing but blanks is left.
std::optional<std::string> usableName(std::string name)
{
    while (!name.empty() && (name.back() == '/' || name.back() == '\\'))
        name.pop_back();
    if (name.find_first_not_of(" \t\r\n\v\f") == std::string::npos)
        return std::nullopt;
    return name;
}

} // namespace

PackPlan PlanPack(Game game, const PackChoice& choice)
{
    const GameInfo* info = FindGame(game);
    const std::string prefix = info ? std::string(info->levelPrefix) : "";
    PackPlan plan;
    bool levelFolder = false;
    for (const std::string& chosen : choice.folders) {
        const std::optional<std::string> name = usableName(chosen);
        if (!name) {
            plan.refused.emplace_back("an empty or blank folder name; not packed");
            continue;
        }
        const std::string& folder = *name;
        plan.archives.push_back({folder, "../" + folder, folder + ".kob"});
        levelFolder = levelFolder || (info && startsWithNoCase(forwardSlashes(folder), prefix));
    }
    for (const std::string& chosen : choice.levels) {
        const std::optional<std::string> level = usableName(chosen);
        if (!level) {
            plan.refused.emplace_back("an empty or blank level name; not packed");
            continue;
        }
        plan.archives.push_back({prefix + *level, "../" + prefix + *level, prefix + *level + ".kob"});
        levelFolder = true;
    }
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
