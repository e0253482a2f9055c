#include "app/PackPlan.h"

#include "game/Discovery.h"
#include "platform/Platform.h"
#include "source/FileNames.h"
#include "source/PathNoCase.h"
#include "source/PathText.h"

std::vector<std::string> PackPlan::names() const
{
    std::vector<std::string> names;
    for (const PlannedArchive& planned : archives)
        names.push_back(planned.name);
    return names;
}

namespace {

bool isSeparator(char c)
{
    return c == '/' || c == '\\';
}

// Why `name` (a "folder" or "level" name, as `what` says) is not packed, or
// "" when it is; it loses its trailing separators first. A name must lead to
// a folder below the mod root, so that its archive lands below the Archives
// folder and beside the same name's folder.
std::string refusal(std::string& name, const char* what)
{
    while (!name.empty() && isSeparator(name.back()))
        name.pop_back();
    if (name.find_first_not_of(" \t\r\n\v\f") == std::string::npos)
        return std::string("an empty or blank ") + what + " name; not packed";
    if (isSeparator(name.front()))
        return name + ": refused: the name is absolute";
    for (const std::string& part : splitPath(name)) {
        if (part == "..")
            return name + ": refused: the name holds a \"..\" component";
        if (part == ".") // "." packed the whole mod root into "..kob"
            return name + ": refused: the name holds a \".\" component";
    }
    return "";
}

} // namespace

PackPlan PlanPack(Game game, const PackChoice& choice)
{
    const GameInfo* info = FindGame(game);
    const std::string prefix = info ? std::string(info->levelPrefix) : "";
    PackPlan plan;
    bool levelFolder = false;
    for (std::string folder : choice.folders) {
        if (std::string why = refusal(folder, "folder"); !why.empty()) {
            plan.refused.push_back(std::move(why));
            continue;
        }
        plan.archives.push_back({folder, "../" + folder, folder + ".kob"});
        levelFolder = levelFolder || (info && startsWithNoCase(forwardSlashes(folder), prefix));
    }
    for (std::string level : choice.levels) {
        if (std::string why = refusal(level, "level"); !why.empty()) {
            plan.refused.push_back(std::move(why));
            continue;
        }
        plan.archives.push_back({prefix + level, "../" + prefix + level, prefix + level + ".kob"});
        levelFolder = true;
    }
    if (info && !plan.archives.empty())
        plan.folders.emplace_back(info->directory);
    if (info && levelFolder)
        plan.folders.emplace_back(info->levelsDirectory);
    return plan;
}

void RefuseMissingFolders(PackPlan& plan)
{
    std::vector<PlannedArchive> present;
    for (PlannedArchive& planned : plan.archives) {
        if (platform::isFolder(resolveNoCase(planned.source))) {
            present.push_back(std::move(planned));
            continue;
        }
        bool unspellable = false;
        for (const std::string& part : splitPath(planned.name))
            unspellable = unspellable || !localNameProblem(part).empty();
        plan.refused.push_back(unspellable ? planned.name + ": not packed: the folder's name has letters this "
                                                                "system's code page cannot write (shown as ?); "
                                                                "rename the folder"
                                           : planned.name + ": no folder " + planned.source + " to pack");
    }
    plan.archives = std::move(present);
    if (plan.archives.empty())
        plan.folders.clear();
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
