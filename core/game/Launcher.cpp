#include "game/Launcher.h"

#include "platform/Platform.h"
#include "source/PathText.h"

namespace {

[[maybe_unused]] bool hasExeSuffix(const std::string& path)
{
    return path.size() >= 4 && equalsNoCase(path.substr(path.size() - 4), ".exe");
}

} // namespace

StartPlan PlanStart(const std::string& path, const std::vector<std::string>& arguments, const std::string& winePath)
{
    StartPlan plan;
    const platform::FileInfo info = platform::statPath(path);
    if (!info.exists()) {
        plan.reason = info.error.empty() ? "the file does not exist" : info.error;
        return plan;
    }
    if (info.kind != platform::Kind::Regular) {
        plan.reason = "it is not a file";
        return plan;
    }
    if (!platform::isExecutable(path)) {
#ifdef __linux__
        if (hasExeSuffix(path)) {
            if (winePath.empty()) {
                plan.reason = "it is not executable, and wine, which would start it, is not on the PATH";
                return plan;
            }
            plan.ok = true;
            plan.program = winePath;
            plan.arguments.push_back(path);
            plan.arguments.insert(plan.arguments.end(), arguments.begin(), arguments.end());
            return plan;
        }
#endif
        plan.reason = "it is not executable";
        return plan;
    }
    (void)winePath;
    plan.ok = true;
    plan.program = path;
    plan.arguments = arguments;
    return plan;
}
