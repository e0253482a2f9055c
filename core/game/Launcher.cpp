#include "game/Launcher.h"

#include "source/PathText.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#ifndef _WIN32
#include <unistd.h>
#endif

namespace {

[[maybe_unused]] bool hasExeSuffix(const std::string& path)
{
    return path.size() >= 4 && equalsNoCase(path.substr(path.size() - 4), ".exe");
}

} // namespace

StartPlan PlanStart(const std::string& path, const std::vector<std::string>& arguments, const std::string& winePath)
{
    StartPlan plan;
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) {
        plan.reason = errno == ENOENT ? "the file does not exist" : std::strerror(errno);
        return plan;
    }
    if (!S_ISREG(st.st_mode)) {
        plan.reason = "it is not a file";
        return plan;
    }
#ifndef _WIN32
    const bool executable = (st.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) != 0 && access(path.c_str(), X_OK) == 0;
    if (!executable) {
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
#endif
    (void)winePath;
    plan.ok = true;
    plan.program = path;
    plan.arguments = arguments;
    return plan;
}
